#include "Testing.h"

namespace zv::test {

class CommandsTest : public FormTest {
 protected:
  void SetUp() override {
    FirstRun = false;
    SharedPrinter().Discard();
    dialogs.answer = IDNO;
    // The icon is away while the question is up.
    dialogs.WhileAsked = [this] { iconWhileAsked = tray.calls.empty() ? 0 : tray.calls.back().message; };
    Application->SetMainForm(&form);
    form.LoadSettings();
    Start({{"P", ""}, {"Q on LPT1:", ""}}, "P,,");
    form.TrayForm->SetActive(true);
    form.ComputeShortcutPath();
    form.CreateStartupShortcut();
    tray.calls.clear();
  }
  void TearDown() override {
    SharedPrinter().Discard();
    Application->SetMainForm(nullptr);
    Quitting(PM_REMOVE);
    FirstRun = true;
  }
  bool Quitting(UINT remove = PM_NOREMOVE) { return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, remove); }

  DWORD iconWhileAsked = 0;
  MSG quit{};
};

// After Yes nothing waits to run: what an announcement during the question kept for later is dropped,
// and nothing is remembered for the network once the settings have gone. A question that fails brings
// the icon back.
TEST_F(CommandsTest, UnInstallAsksWithTheIconAwayAndOnlyYesRemovesEverythingAndEnds) {
  dialogs.WhileAsked = [] { throw Exception("no question"); };
  EXPECT_THROW(form.mUnInstall->Click(), Exception);
  EXPECT_EQ(tray.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  TFakeNetwork net;
  net.network = "10.1.0.1 office";
  form.mRememberPerNetwork->Click();
  TFakeWindows windows;  // the switch the program turned off, found with no value
  windows.SetMode("1");
  TTestKey::SetRaw(key.Path(), kFoundModeValue, REG_SZ, "none", 5);
  dialogs.WhileAsked = [this] {
    iconWhileAsked = tray.calls.empty() ? 0 : tray.calls.back().message;
    TWaiting::TChange switching(form.Core().Waiting(), TChangeKind::Switching);
    spooler.SetDefault("Q on LPT1:,,");
    Announce();  // kept until the switch ends
  };
  for (const int answer : {IDNO, IDYES}) {
    const bool yes = answer == IDYES;
    dialogs.answer = answer;
    tray.calls.clear();
    form.mUnInstall->Click();
    EXPECT_EQ(iconWhileAsked, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray.Messages(), (yes ? std::vector<DWORD>{NIM_DELETE} : std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
    EXPECT_EQ(form.ShortcutExists(), !yes);
    EXPECT_EQ(TTestKey::Exists(key.Path()), !yes);
    EXPECT_EQ(windows.Mode(), yes ? "none" : "1");
    EXPECT_EQ(Quitting(), yes);
    MSG message;  // what waited runs now, if anything does
    while (PeekMessageA(&message, form.Handle(), 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(TTestKey::Exists(key.Path()), !yes);
  }
  EXPECT_EQ(dialogs.messages, std::vector<std::string>(3, "Zorvane: UnInstall: Are you sure you want to do this ? 292"));
  EXPECT_EQ(shell.beeps, 3);
}

// Clicked as the user does, by their place in the menu.
TEST_F(CommandsTest, AddPrinterOpensThePrintersFolderAndExitEnds) {
  form.mAddPrinter->Click();
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(shell.commands, std::vector<std::string>{"\"" + std::string(system) + "\\control.exe\" Printers"});
  EXPECT_FALSE(Quitting());
  form.mExit->Click();
  EXPECT_TRUE(Quitting());
}

TEST_F(CommandsTest, PrinterSettingsOpensOneDialogAndOnlyWithADefault) {
  form.TrayFormDblClick(form.TrayForm);
  EXPECT_FALSE(form.SetupDialogOpen);
  form.SetupDialogOpen = true;  // as while the dialog is up
  form.mPrinterSettings->Click();
  form.SetupDialogOpen = false;
  spooler.SetDefault("");
  form.BuildPrinterMenu();
  form.TrayFormDblClick(form.TrayForm);
  EXPECT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(shell.beeps, 1);  // for the second dialog; none without a default
  Entry("P")->Click();  // a default chosen is known at once
  form.TrayFormDblClick(form.TrayForm);
  EXPECT_EQ(dialogs.dialogs, 2);
}

TEST_F(CommandsTest, TheOptionsAreSavedAndCheckedAndPortInformationChangesEveryCaptionAtOnce) {
  spooler.platformId = 1;  // ports are the catalogue's on Windows 95
  Start({{"P on 2nd floor", "LPT2:"}, {"q", "LPT1:"}}, "P on 2nd floor,winspool,LPT2:");
  EXPECT_EQ(Shown(), "P on 2nd floor*;q; | P on 2nd floor");  // cut at its port only
  for (TMenuItem* option : {form.mShowPortInfo, form.mShowSplashScreen, form.mRememberPerNetwork}) option->Click();
  EXPECT_EQ(Shown(), "P on 2nd floor on LPT2:*;q on LPT1:; | P on 2nd floor on LPT2:");
  EXPECT_TRUE(form.mShowPortInfo->Checked() && !form.mShowSplashScreen->Checked() && form.mRememberPerNetwork->Checked());
  const auto stored = [&](const char* name) { return TTestKey::GetRaw(key.Path(), name).data; };
  const std::vector<std::uint8_t> yes(4, 0xFF), no(4, 0);
  EXPECT_EQ(std::make_tuple(stored("Show Port Information"), stored("Show Splash Screen"), stored("Remember Printer per Network")),
            std::make_tuple(yes, no, yes));
}

}  // namespace zv::test
