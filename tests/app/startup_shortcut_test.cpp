#include "Testing.h"
#include "app/MachineInstallation.h"
#include "framework/Lifecycle.h"

namespace zv::test {

constexpr char kLink[] = "\\Sets Windows 95 Default Printer.LNK";

// The prefix's own StartUp value is put back afterwards; the shell's folder is the test's.
class StartupShortcutTest : public FormTest {
 protected:
  void TearDown() override { SetStartUp(saved); }
  static void SetStartUp(const TTestKey::TRaw& value) {  // not found: no value
    SHDeleteValueA(HKEY_CURRENT_USER, kShellFoldersKey, "StartUp");
    if (value.found) TTestKey::SetRaw(kShellFoldersKey, "StartUp", value.type, value.data.data(), value.data.size());
  }
  static TTestKey::TRaw Text(const std::string& s) { return {REG_SZ, {s.c_str(), s.c_str() + s.size() + 1}, true}; }

  const TTestKey::TRaw saved = TTestKey::GetRaw(kShellFoldersKey, "StartUp");
};

// A value that is not an absolute folder below a drive or a share (no value, another folder) is
// never used: the shell's own folder is, if it is one. The path is never cut.
TEST_F(StartupShortcutTest, TheFolderIsTheStartUpValueOrTheShellsOwnAndNeverRelative) {
  const auto path = [&](const TTestKey::TRaw& value, const char* shellFolder = "C:\\Shell") {
    SetStartUp(value);
    shell.startup = shellFolder;
    form.ComputeShortcutPath();
    return ShortcutPath;
  };
  const std::string start = std::string("C:\\Start") + kLink, shells = std::string("C:\\Shell") + kLink;
  const std::string longFolder = "C:\\" + std::string(120, 'f');
  EXPECT_EQ(path(Text("C:\\Start")), start);
  EXPECT_EQ(path(Text("C:\\Start\\")), start);
  EXPECT_EQ(path(Text("\\\\server\\share")), std::string("\\\\server\\share") + kLink);
  EXPECT_EQ(path(Text(longFolder)), longFolder + kLink);
  EXPECT_EQ(path({}), shells);  // no value
  EXPECT_EQ(path(Text("Start")), shells);
  EXPECT_EQ(path(Text("\\Start")), shells);  // no drive
  EXPECT_EQ(path(Text("C:Start")), shells);   // relative to the drive's current folder
  EXPECT_EQ(path(Text("C:Start"), "C:Shell"), "");
  EXPECT_EQ(path(Text("C:\\")), shells);     // a drive's root
  EXPECT_EQ(path(Text("\\\\server"), "D:\\"), "");  // a server without a share, and a drive's root
  EXPECT_FALSE(form.CreateStartupShortcut());  // without a folder no shortcut is made anywhere
}

// A step of the start that fails must not leave a process without an icon: it could not be
// ended, and it would keep every later start from running. The shortcut is removed with a notice
// to the shell, also when it has gone already.
TEST_F(StartupShortcutTest, AFailedStartUpStepStillShowsTheIconAndTheShortcutGoesWithANotice) {
  key.Set("", "Show Splash Screen", 0u);  // off
  SetStartUp(Text(TempFolder("zorvane-startup-test")));
  form.ComputeShortcutPath();
  EXPECT_TRUE(form.CreateStartupShortcut());  // no first run: the stored options count
  spooler.throwEnumeration = true;
  EXPECT_THROW(form.FormCreate(), std::bad_alloc);
  EXPECT_TRUE(form.TrayForm->Active());
  EXPECT_EQ(form.TrayForm->ToolTip(), "There is no Default Printer");
  form.RemoveStartupShortcut();
  EXPECT_FALSE(form.ShortcutExists());
  form.RemoveStartupShortcut();
  EXPECT_EQ(shell.notices, std::vector<std::string>(2, "4 1 " + ShortcutPath + " (both)"));
}

// The copy that the installer package put in for every user starts from the machine's Run key: it
// makes no shortcut, a missing one is no first run (the options stay), and UnInstall says who
// removes the program. The package names the program in its own case; another copy is the user's.
TEST_F(StartupShortcutTest, TheCopyInstalledForEveryUserMakesNoShortcutAndUnInstallSaysWhoRemovesIt) {
  struct TInstallation {
    explicit TInstallation(const std::string& program) {
      TTestKey::SetRaw(kInstallationKey, kInstalledProgramValue, REG_SZ, program.c_str(),
                       static_cast<DWORD>(program.size() + 1), HKEY_LOCAL_MACHINE);
    }
    ~TInstallation() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallationKey); }
  };
  std::string program = ModuleFileName();
  {
    const TInstallation another(program + "2");
    EXPECT_FALSE(InstalledForEveryUser());
  }
  CharUpperA(program.data());
  const TInstallation installed(program);
  key.Set("", "Show Splash Screen", 0u);
  key.Set("", "Show Port Information", 1u);
  SetStartUp(Text(TempFolder("zorvane-installed-test")));
  form.FormCreate();
  EXPECT_FALSE(FirstRun);
  EXPECT_FALSE(form.ShortcutExists());
  EXPECT_TRUE(form.Core().OwnOptions().ShowPortInfo);
  dialogs.answer = IDYES;
  form.mUnInstall->Click();
  EXPECT_EQ(dialogs.messages.back(), std::string("Zorvane: UnInstall: ") + kInstalledForEveryUser + " 64");
  EXPECT_FALSE(TTestKey::Exists(key.Path()));
}

}  // namespace zv::test
