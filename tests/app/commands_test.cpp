#include <gtest/gtest.h>

#include <memory>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "FakeWindows.h"
#include "RegistryFixture.h"
#include "MainForm.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

class CommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    FirstRun = false;
    SharedPrinter().Discard();
    dialogs.answer = IDNO;
    // The icon is away while the question is up.
    dialogs.WhileAsked = [this] { iconWhileAsked = tray.calls.empty() ? 0 : tray.calls.back().message; };
    form = std::make_unique<TMainForm>(Application);
    Application->SetMainForm(form.get());
    form->LoadSettings();
    form->BuildPrinterMenu();
    form->TrayForm->SetActive(true);
    form->ComputeShortcutPath();
    form->CreateStartupShortcut();
    tray.calls.clear();
  }
  void TearDown() override {
    SharedPrinter().Discard();
    Application->SetMainForm(nullptr);
    Quitting(PM_REMOVE);
    FirstRun = true;
  }
  bool Quitting(UINT remove = PM_NOREMOVE) { return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, remove); }
  TMenuItem* Entry(int i) { return form->PMenu->Items().Items(FixedCount + i); }  // 1: the first printer

  TTestKey settings{"Software\\Zorvane"};
  TFakeSpooler spooler{{{"P", ""}, {"Q on LPT1:", ""}}, "P,,"};
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TFakeDialogs dialogs;
  std::unique_ptr<TMainForm> form;
  DWORD iconWhileAsked = 0;
  MSG quit{};
};

TEST_F(CommandsTest, UnInstallAsksWithTheIconAwayAndOnlyYesRemovesEverythingAndEnds) {
  TFakeWindows windows;  // the switch the program turned off, found with no value
  windows.SetMode("1");
  TTestKey::SetRaw(settings.Path(), kFoundModeValue, REG_SZ, "none", 5);
  form->mUnInstall->Click();
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Zorvane: UnInstall: Are you sure you want to do this ? 292"}));
  EXPECT_EQ(iconWhileAsked, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));  // No: the icon is back
  EXPECT_TRUE(form->ShortcutExists());
  EXPECT_TRUE(TTestKey::Exists(settings.Path()));
  EXPECT_EQ(windows.Mode(), "1");
  EXPECT_FALSE(Quitting());

  tray.calls.clear();
  dialogs.answer = IDYES;
  form->mUnInstall->Click();
  EXPECT_FALSE(form->ShortcutExists());
  EXPECT_FALSE(TTestKey::Exists(settings.Path()));
  EXPECT_EQ(windows.Mode(), "none");
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE}));  // the icon stays away
  EXPECT_TRUE(Quitting());
}

HWND about = nullptr;  // the window in front while About is up
void CALLBACK CloseAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  about = GetForegroundWindow();
  PostMessageA(about, WM_CLOSE, 0, 0);
}

// Clicked as the user does, by their place in the menu.
TEST_F(CommandsTest, AboutShowsItsWindowWithTheIconAwayAddPrinterOpensThePrintersFolderAndExitEnds) {
  about = nullptr;
  SetTimer(nullptr, 0, 200, &CloseAbout);
  form->mAbout->Click();
  EXPECT_TRUE(about && about != form->Handle() && !IsWindow(about));  // it was shown, and went with its close
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  form->mAddPrinter->Click();
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(shell.commands, std::vector<std::string>{"\"" + std::string(system) + "\\control.exe\" Printers"});
  EXPECT_FALSE(Quitting());
  form->mExit->Click();
  EXPECT_TRUE(Quitting());
}

TEST_F(CommandsTest, PrinterSettingsOpensOneDialogAndOnlyWithADefault) {
  form->TrayFormDblClick(form->TrayForm);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_FALSE(form->SetupDialogOpen);
  form->SetupDialogOpen = true;  // as while the dialog is up
  form->TrayFormDblClick(form->TrayForm);
  form->mPrinterSettings->Click();
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(shell.beeps, 2);
  form->SetupDialogOpen = false;
  spooler.SetDefault("");
  form->BuildPrinterMenu();
  form->TrayFormDblClick(form->TrayForm);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(shell.beeps, 2);
}

TEST_F(CommandsTest, TheOptionsAreSavedAndCheckedAndPortInformationChangesEveryCaptionAtOnce) {
  spooler.platformId = 1;  // ports are the catalogue's on Windows 95
  spooler.printers = {{"P", "LPT2:"}, {"Q", "LPT1:"}};
  spooler.SetDefault("P,winspool,LPT2:");
  form->Core().Refresh();
  EXPECT_EQ(Entry(2)->Caption(), "Q");
  form->mShowPortInfo->Click();
  EXPECT_EQ(Entry(2)->Caption(), "Q on LPT1:");
  EXPECT_TRUE(form->mShowPortInfo->Checked());
  EXPECT_TRUE(Entry(1)->Checked());  // P, still the default
  EXPECT_EQ(TTestKey::GetRaw(settings.Path(), "Show Port Information").data,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  form->mShowSplashScreen->Click();
  EXPECT_FALSE(form->mShowSplashScreen->Checked());
  EXPECT_EQ(TTestKey::GetRaw(settings.Path(), "Show Splash Screen").data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  form->mRememberPerNetwork->Click();
  EXPECT_TRUE(form->mRememberPerNetwork->Checked());
  FirstRun = false;
  TMainForm next(Application);  // the next start: the check marks agree with what it read
  next.LoadSettings();
  EXPECT_TRUE(next.mRememberPerNetwork->Checked() && next.Core().Options.RememberPerNetwork && !next.mShowSplashScreen->Checked());
}

}  // namespace
}  // namespace zv::test
