// The About and splash window, and the printer setup dialog with the system dialog stood in for.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "app/printers/Printer.h"
#include "forms/AboutForm.h"
#include "forms/PrinterSetupDialog.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

MSG Key(HWND window, UINT message, WPARAM key) {
  MSG m{};
  m.hwnd = window;
  m.message = message;
  m.wParam = key;
  return m;
}

TEST(AboutForm, OnlyTheAboutWindowClosesAndFromTheKeyboardByEveryKeyOfItsButton) {
  const struct {
    const char* what;
    UINT message;
    WPARAM key;
  } keys[] = {
      {"Escape", WM_KEYDOWN, VK_ESCAPE},
      {"Enter", WM_KEYDOWN, VK_RETURN},
      {"Space", WM_KEYDOWN, VK_SPACE},
      {"Alt+C", WM_SYSKEYDOWN, 'C'},
  };
  TAboutForm splash(Application, 0);
  splash.Show();
  EXPECT_FALSE(splash.CloseButton->Visible());
  EXPECT_FALSE(splash.CloseButton->Enabled());
  for (const auto& k : keys) {
    MSG message = Key(GetFocus(), k.message, k.key);
    EXPECT_FALSE(splash.KeyPreview(message)) << k.what;
  }
  EXPECT_EQ(splash.ModalResult(), mrNone);
  splash.Hide();

  TAboutForm about(Application, 1);
  about.Show();
  EXPECT_TRUE(about.CloseButton->Visible());
  EXPECT_EQ(GetFocus(), about.CloseButton->Handle());
  for (const auto& k : keys) {
    about.SetModalResult(mrNone);
    MSG message = Key(GetFocus(), k.message, k.key);
    EXPECT_TRUE(about.KeyPreview(message)) << k.what;
    EXPECT_EQ(about.ModalResult(), mrOk) << k.what;
  }
  MSG other = Key(GetFocus(), WM_KEYDOWN, 'X');
  EXPECT_FALSE(about.KeyPreview(other));
  // Centred when shown.
  EXPECT_EQ(about.Left(), (GetSystemMetrics(SM_CXSCREEN) - about.Width()) / 2);
}

// What the stand-in for PrintDlgA saw and does.
struct TDialogScript {
  PRINTDLGA seen{};
  std::vector<std::uint8_t> devNames;
  std::vector<std::uint8_t> devMode;
  int calls = 0;
  BOOL answer = FALSE;
  const char* device = nullptr;  // replace the printer names with these when answering
  const char* port = "";
};
TDialogScript script;

HGLOBAL Block(const std::vector<std::uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

std::vector<std::uint8_t> Bytes(HGLOBAL block) {
  std::vector<std::uint8_t> bytes(GlobalSize(block));
  std::memcpy(bytes.data(), GlobalLock(block), bytes.size());
  GlobalUnlock(block);
  return bytes;
}

BOOL WINAPI StandInDialog(PRINTDLGA* record) {
  ++script.calls;
  script.seen = *record;
  if (record->hDevNames) script.devNames = Bytes(record->hDevNames);
  if (record->hDevMode) script.devMode = Bytes(record->hDevMode);
  if (script.device) {
    // As the dialog does for another printer: new blocks in place of the ones it was given.
    GlobalFree(record->hDevNames);
    std::vector<std::uint8_t> names(8, 0);
    auto put = [&names](const std::string& text, int at) {
      names[at] = static_cast<std::uint8_t>(names.size());
      names.insert(names.end(), text.begin(), text.end());
      names.push_back(0);
    };
    put("winspool", 0);
    put(script.device, 2);
    put(script.port, 4);
    record->hDevNames = Block(names);
  }
  return script.answer;
}

class SetupDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    script = TDialogScript{};
    spooler.printers = {{"P", ""}, {"Q", ""}};
    spooler.SetDefault("P,,");
    dialogs.OnPrintDialog = [](PRINTDLGA& record) { return StandInDialog(&record); };
    SharedPrinter().Discard();
    SharedPrinter().SetCurrentIndex(-1);
    std::string d, r, p;
    HGLOBAL block;
    SharedPrinter().ReadCurrent(d, r, p, block);
    SharedPrinter().SelectPrinter(d, r, p, block);
    held = SharedPrinter().DeviceModeBlock();
  }
  void TearDown() override { SharedPrinter().Discard(); }
  TFakeSpooler spooler;
  TFakeDialogs dialogs;
  TPrinterSetupDialog dialog{nullptr};
  HGLOBAL held = nullptr;
};

TEST_F(SetupDialogTest, TheDialogGetsTheRecordTheNamesAndACopyOfTheSettings) {
  script.answer = FALSE;
  dialog.RunSetup(SharedPrinter());
  ASSERT_EQ(script.calls, 1);
  EXPECT_EQ(script.seen.Flags & PD_PRINTSETUP, static_cast<DWORD>(PD_PRINTSETUP));
  // DEVNAMES: offsets 8, then driver "", device "P", port "".
  const std::vector<std::uint8_t> expected = {8, 0, 9, 0, 11, 0, 0, 0, 0, 'P', 0, 0};
  EXPECT_EQ(script.devNames, expected);
  EXPECT_NE(script.seen.hDevMode, held);  // a copy, never the catalogue's own block
  EXPECT_EQ(script.devMode, Bytes(held));
  // Cancelled: both blocks released, the shared catalogue unchanged.
  EXPECT_EQ(GlobalFlags(script.seen.hDevMode), GMEM_INVALID_HANDLE);
  EXPECT_EQ(GlobalFlags(script.seen.hDevNames), GMEM_INVALID_HANDLE);
  EXPECT_EQ(SharedPrinter().DeviceModeBlock(), held);
  EXPECT_EQ(SharedPrinter().CurrentIndex(), 0);
}

TEST_F(SetupDialogTest, ConfirmingMakesTheDialogsPrinterAndSettingsTheSharedCataloguesOwn) {
  script.answer = TRUE;
  dialog.RunSetup(SharedPrinter());
  EXPECT_EQ(SharedPrinter().DeviceModeBlock(), script.seen.hDevMode);
  EXPECT_EQ(GlobalFlags(held), GMEM_INVALID_HANDLE);  // the old block was freed
  EXPECT_EQ(GlobalFlags(script.seen.hDevNames), GMEM_INVALID_HANDLE);
  EXPECT_EQ(SharedPrinter().CurrentIndex(), 0);
  script.device = "Q";
  dialog.RunSetup(SharedPrinter());
  EXPECT_EQ(SharedPrinter().CurrentIndex(), 1);
  script.device = "Q";
  script.port = "LPT9:";
  dialog.RunSetup(SharedPrinter());
  const auto& entries = SharedPrinter().Entries();
  EXPECT_EQ(entries.back().Name, "Q on LPT9:");
  EXPECT_EQ(SharedPrinter().CurrentIndex(), static_cast<int>(entries.size()) - 1);
}

}  // namespace
}  // namespace zv::test
