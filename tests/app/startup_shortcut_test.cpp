#include <gtest/gtest.h>

#include <tuple>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "MainForm.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

constexpr char kLink[] = "\\Sets Windows 95 Default Printer.LNK";

// The prefix's own StartUp value is put back afterwards; the shell's folder is the test's.
class StartupShortcutTest : public testing::Test {
 protected:
  void TearDown() override { SetStartUp(saved); }
  static void SetStartUp(const TTestKey::TRaw& value) {  // not found: no value
    SHDeleteValueA(HKEY_CURRENT_USER, kShellFoldersKey, "StartUp");
    if (value.found) TTestKey::SetRaw(kShellFoldersKey, "StartUp", value.type, value.data.data(), value.data.size());
  }
  static TTestKey::TRaw Text(const std::string& s) { return {REG_SZ, {s.c_str(), s.c_str() + s.size() + 1}, true}; }

  const TTestKey::TRaw saved = TTestKey::GetRaw(kShellFoldersKey, "StartUp");
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TMainForm form{Application};
};

TEST_F(StartupShortcutTest, TheFolderIsTheStartUpValueOrTheShellsOwnAndNeverRelative) {
  const std::string longFolder = "C:\\" + std::string(120, 'f');
  const std::tuple<const char*, TTestKey::TRaw, const char*, std::string> cases[] = {
      {"a folder", Text("C:\\Start"), "C:\\Shell", std::string("C:\\Start") + kLink},
      {"a folder with its backslash", Text("C:\\Start\\"), "C:\\Shell", std::string("C:\\Start") + kLink},
      {"a network folder", Text("\\\\server\\share"), "C:\\Shell", std::string("\\\\server\\share") + kLink},
      {"a long folder, never cut", Text(longFolder), "C:\\Shell", longFolder + kLink},
      {"no value", {}, "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a number", {REG_DWORD, {5, 0, 0, 0}, true}, "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a relative folder", Text("Start"), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a folder without a drive", Text("\\Start"), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a drive's root", Text("C:\\"), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a server without a share", Text("\\\\server"), "D:\\", ""},
      {"empty text", Text(""), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a relative folder and no shell folder", Text("5"), "", ""},
  };
  for (const auto& [what, value, shellFolder, expected] : cases) {
    SetStartUp(value);
    shell.startup = shellFolder;
    form.ComputeShortcutPath();
    EXPECT_EQ(ShortcutPath, expected) << what;
  }
  // Without a folder no shortcut is made or removed anywhere, and the shell hears of none.
  EXPECT_FALSE(form.CreateStartupShortcut());
  form.RemoveStartupShortcut();
  EXPECT_TRUE(shell.notices.empty());
}

TEST_F(StartupShortcutTest, TheShortcutIsRemovedWithANoticeToTheShellEvenWhenAlreadyGone) {
  SetStartUp(Text(TempFolder("zorvane-startup-test")));
  form.ComputeShortcutPath();
  EXPECT_TRUE(form.CreateStartupShortcut());
  form.RemoveStartupShortcut();
  EXPECT_FALSE(form.ShortcutExists());
  form.RemoveStartupShortcut();
  const std::string notice = "4 1 " + ShortcutPath + " (both)";
  EXPECT_EQ(shell.notices, (std::vector<std::string>{notice, notice}));
}

// A step of the start that fails must not leave a process without an icon: it could not be
// ended, and it would keep every later start from running.
TEST_F(StartupShortcutTest, AFailedStartUpStepStillShowsTheIcon) {
  TTestKey settings("Software\\Zorvane");
  TTestKey::SetRaw(settings.Path(), "Show Splash Screen", REG_DWORD, "\0\0\0\0", 4);  // off
  SetStartUp(Text(TempFolder("zorvane-startup-test")));
  form.ComputeShortcutPath();
  form.CreateStartupShortcut();  // no first run: the stored options count
  spooler.printers = {{"P", ""}};
  spooler.throwEnumeration = true;
  EXPECT_THROW(form.FormCreate(), std::bad_alloc);
  EXPECT_TRUE(form.TrayForm->Active());
  ASSERT_FALSE(tray.calls.empty());
  EXPECT_STREQ(tray.calls.back().data.szTip, "There is no Default Printer");
  form.RemoveStartupShortcut();
}

}  // namespace
}  // namespace zv::test
