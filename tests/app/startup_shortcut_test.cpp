#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

constexpr char kLink[] = "\\Sets Windows 95 Default Printer.LNK";

std::string TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "zorvane-startup-test";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// The prefix's own StartUp value is put back afterwards; the shell's folder is the test's.
class StartupShortcutTest : public testing::Test {
 protected:
  void SetUp() override { saved = TTestKey::GetRaw(kShellFoldersKey, "StartUp"); }
  void TearDown() override {
    SetStartUp(saved.found ? std::optional<TValue>({saved.type, std::string(saved.data.begin(), saved.data.end())})
                           : std::nullopt);
  }
  struct TValue {
    DWORD type;
    std::string data;
  };
  static void SetStartUp(const std::optional<TValue>& value) {
    SHDeleteValueA(HKEY_CURRENT_USER, kShellFoldersKey, "StartUp");
    if (value) TTestKey::SetRaw(kShellFoldersKey, "StartUp", value->type, value->data.data(), value->data.size());
  }
  static TValue Text(const std::string& text) { return {REG_SZ, text + '\0'}; }

  TTestKey::TRaw saved;
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TMainForm form{Application};
};

TEST_F(StartupShortcutTest, TheFolderIsTheStartUpValueOrTheShellsOwnAndNeverRelative) {
  const std::string longFolder = "C:\\" + std::string(120, 'f');
  struct TCase {
    const char* what;
    std::optional<TValue> value;
    const char* shell;
    std::string expected;
  } cases[] = {
      {"a folder", Text("C:\\Start"), "C:\\Shell", std::string("C:\\Start") + kLink},
      {"a folder with its backslash", Text("C:\\Start\\"), "C:\\Shell", std::string("C:\\Start") + kLink},
      {"a network folder", Text("\\\\server\\share"), "C:\\Shell", std::string("\\\\server\\share") + kLink},
      {"a long folder, never cut", Text(longFolder), "C:\\Shell", longFolder + kLink},
      {"no value", std::nullopt, "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a number", TValue{REG_DWORD, std::string("\5\0\0\0", 4)}, "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"empty text", Text(""), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a relative folder", Text("Start"), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"a folder without a drive", Text("\\Start"), "C:\\Shell", std::string("C:\\Shell") + kLink},
      {"no value and no shell folder", std::nullopt, "", ""},
      {"a relative folder and no shell folder", Text("5"), "", ""},
  };
  for (const TCase& c : cases) {
    SetStartUp(c.value);
    shell.startup = c.shell;
    form.ComputeShortcutPath();
    EXPECT_EQ(ShortcutPath, c.expected) << c.what;
  }
}

TEST_F(StartupShortcutTest, WithoutAFolderNoShortcutIsMadeOrRemovedAnywhere) {
  SetStartUp(std::nullopt);
  form.ComputeShortcutPath();
  EXPECT_FALSE(form.CreateStartupShortcut());
  EXPECT_FALSE(form.ShortcutExists());
  form.RemoveStartupShortcut();
  EXPECT_TRUE(shell.notices.empty());
  EXPECT_EQ(GetFileAttributesA(kLink), INVALID_FILE_ATTRIBUTES);  // the root of the current drive
}

TEST_F(StartupShortcutTest, TheShortcutIsCreatedForThisProgramAndRemovedWithANoticeToTheShell) {
  SetStartUp(Text(TempFolder()));
  form.ComputeShortcutPath();
  DeleteFileA(ShortcutPath.c_str());
  EXPECT_FALSE(form.ShortcutExists());
  EXPECT_TRUE(form.CreateStartupShortcut());
  EXPECT_TRUE(form.ShortcutExists());

  form.RemoveStartupShortcut();
  EXPECT_FALSE(form.ShortcutExists());
  form.RemoveStartupShortcut();  // already gone: the shell is told all the same
  const std::string notice = "4 1 " + ShortcutPath + " (both)";
  EXPECT_EQ(shell.notices, (std::vector<std::string>{notice, notice}));
}

// A step of the start that fails must not leave a process without an icon: it could not be
// ended, and it would keep every later start from running.
TEST_F(StartupShortcutTest, AFailedStartUpStepStillShowsTheIcon) {
  TTestKey settings("Software\\Zorvane");
  const DWORD off = 0;
  TTestKey::SetRaw(settings.Path(), "Show Splash Screen", REG_DWORD, &off, 4);
  SetStartUp(Text(TempFolder()));
  form.ComputeShortcutPath();
  form.CreateStartupShortcut();  // no first run: the stored options count
  spooler.printers = {{"P", ""}};
  spooler.throwEnumeration = true;
  EXPECT_THROW(form.FormCreate(), std::bad_alloc);
  EXPECT_TRUE(form.TrayForm->Active());
  ASSERT_FALSE(tray.calls.empty());
  EXPECT_EQ(tray.calls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_STREQ(tray.calls.back().data.szTip, "There is no Default Printer");
  form.RemoveStartupShortcut();
}

}  // namespace
}  // namespace zv::test
