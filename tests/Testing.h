#pragma once
// What every test builds on: GoogleTest, the stand-ins for the platform, and the main window on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "Fakes.h"
#include "app/PrinterCore.h"
#include "app/main_window.h"
#include "components/RegFiles/RegFiles.h"
#include "framework/Menus.h"
#include "printers/Printer.h"
#include "app/Messages.h"
#include "components/Just1_32/Just1_32.h"
#include "components/shell_link/ShellLink.h"
#include "forms/AboutForm.h"
#include "forms/PrinterSetupDialog.h"
#include "framework/Application.h"
#include "framework/Com.h"
#include "framework/Window.h"
#include "product/Product.h"

namespace zv::test {

// The main window on stand-ins for the spooler, the notification area, the shell and its dialogs.
class FormTest : public testing::Test {
 protected:
  void Start(std::vector<TPrinterRecord> printers, const std::string& profile) {
    spooler.printers = std::move(printers);
    spooler.SetDefault(profile);
    form.BuildPrinterMenu();
    form.ApplyDefaultPrinter(-1);
  }
  // The printer entries as the user sees them: caption, "*" on the checked one; then the tip.
  std::string Shown() {
    std::string menu;
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      menu += items.Items(i)->Caption() + (items.Items(i)->Checked() ? "*" : "") + ";";
    return menu + " | " + form.TrayForm->ToolTip();
  }
  TMenuItem* Entry(const std::string& caption) {
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == caption) return items.Items(i);
    return nullptr;
  }
  void Send(UINT message, const char* text = nullptr) { SendMessageA(form.Handle(), message, 0, reinterpret_cast<LPARAM>(text)); }
  void Announce() { Send(WM_WININICHANGE, "windows"); }

  TTestKey key{"Software\\Zorvane"};
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TFakeDialogs dialogs;
  TMainForm form{Application};
};

}  // namespace zv::test
