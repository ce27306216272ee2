// The menu commands, with the message box and the setup dialog answered by the tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "app/printers/Printer.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

class CommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    FirstRun = false;
    SharedPrinter().Discard();
    spooler.printers = {{"P", ""}, {"Q on LPT1:", ""}};
    spooler.SetDefault("P,,");
    dialogs.answer = IDNO;
    dialogs.WhileAsked = [this] {
      // The icon is away while the question is up.
      iconWhileAsked = tray.calls.empty() ? -1 : static_cast<int>(tray.calls.back().message);
    };
    form = std::make_unique<TMainForm>(Application);
    form->LoadSettings();
    form->BuildPrinterMenu();
    form->ApplyDefaultPrinter(-1);
    form->TrayForm->SetActive(true);
    tray.calls.clear();
  }
  void TearDown() override {
    SharedPrinter().Discard();
    Application->SetMainForm(nullptr);
    FirstRun = true;
  }
  void Click(TMenuItem* item) { item->Click(); }

  TTestKey settings{"Software\\Zorvane"};
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TFakeDialogs dialogs;
  std::unique_ptr<TMainForm> form;
  int iconWhileAsked = 0;
};

TEST_F(CommandsTest, UnInstallAnsweredNoLeavesEverythingAndBringsTheIconBack) {
  form->ComputeShortcutPath();
  form->CreateStartupShortcut();
  Click(form->mUnInstall);
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Zorvane: UnInstall: Are you sure you want to do this ? 292"}));
  EXPECT_EQ(iconWhileAsked, NIM_DELETE);
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  EXPECT_TRUE(form->ShortcutExists());
  EXPECT_TRUE(TTestKey::Exists("Software\\Zorvane"));
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(CommandsTest, UnInstallAnsweredYesRemovesTheShortcutAndSettingsAndCloses) {
  Application->SetMainForm(form.get());
  form->ComputeShortcutPath();
  form->CreateStartupShortcut();
  dialogs.answer = IDYES;
  Click(form->mUnInstall);
  EXPECT_FALSE(form->ShortcutExists());
  EXPECT_FALSE(TTestKey::Exists("Software\\Zorvane"));
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE}));  // the icon stays away
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the program ends
}

TEST_F(CommandsTest, PrinterSettingsOpensOneDialogAndOnlyWithADefault) {
  form->TrayFormDblClick(form->TrayForm);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_FALSE(form->SetupDialogOpen);
  form->SetupDialogOpen = true;  // as while the dialog is up
  form->TrayFormDblClick(form->TrayForm);
  Click(form->mPrinterSettings);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(shell.beeps, 2);
  form->SetupDialogOpen = false;
  spooler.SetDefault("");
  form->BuildPrinterMenu();
  form->TrayFormDblClick(form->TrayForm);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(shell.beeps, 2);
}

TEST_F(CommandsTest, ShowPortInformationChangesEveryCaptionAtOnceAndKeepsTheCheck) {
  auto captions = [this] {
    std::string all;
    TMenuItem& items = form->PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      all += items.Items(i)->Caption() + (items.Items(i)->Checked() ? "*" : "") + ";";
    return all;
  };
  EXPECT_EQ(captions(), "P*;Q;");
  Click(form->mShowPortInfo);
  EXPECT_EQ(captions(), "P*;Q on LPT1:;");
  EXPECT_TRUE(form->mShowPortInfo->Checked());
  EXPECT_EQ(TTestKey::GetRaw("Software\\Zorvane", "Show Port Information").data,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(CommandsTest, ShowSplashScreenChangesOnlyTheStoredOptionAndItsCheck) {
  const int writes = spooler.writes;
  Click(form->mShowSplashScreen);
  EXPECT_FALSE(form->ShowSplash);
  EXPECT_FALSE(form->mShowSplashScreen->Checked());
  EXPECT_EQ(TTestKey::GetRaw("Software\\Zorvane", "Show Splash Screen").data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_TRUE(tray.calls.empty());
}

// Presses Escape in the About window once it is up, noting whether the icon was away then.
bool iconAwayWhileAbout = false;
int visibleWhileAbout = 0;
TFakeNotifyIcon* shellSeen = nullptr;
BOOL CALLBACK CountVisible(HWND window, LPARAM) {
  if (IsWindowVisible(window)) ++visibleWhileAbout;
  return TRUE;
}
void CALLBACK PressEscape(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  iconAwayWhileAbout = !shellSeen->calls.empty() && shellSeen->calls.back().message == NIM_DELETE;
  visibleWhileAbout = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountVisible, 0);
  PostMessageA(GetForegroundWindow() ? GetForegroundWindow() : GetActiveWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(CommandsTest, AboutTakesTheIconAwayWhileItsWindowIsUp) {
  shellSeen = &tray;
  iconAwayWhileAbout = false;
  SetTimer(nullptr, 0, 300, &PressEscape);
  Click(form->mAbout);
  EXPECT_TRUE(iconAwayWhileAbout);
  EXPECT_EQ(visibleWhileAbout, 1);  // the About window, and nothing else of ours
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
}

}  // namespace
}  // namespace zv::test
