#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "framework/Application.h"
#include "framework/Window.h"

namespace zv::test {
namespace {

std::vector<std::string> notices;
void WINAPI RecordNotice(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
  notices.push_back(std::to_string(event) + " " + std::to_string(flags) + " " + static_cast<const char*>(item1) +
                    (item1 == item2 ? " (both)" : ""));
}

// Keeps the prefix's own StartUp value and puts it back afterwards.
class StartupShortcutTest : public testing::Test {
 protected:
  void SetUp() override { saved = TTestKey::GetRaw(kShellFoldersKey, "StartUp"); }
  void TearDown() override {
    if (saved.found)
      TTestKey::SetRaw(kShellFoldersKey, "StartUp", saved.type, saved.data.data(),
                       static_cast<DWORD>(saved.data.size()));
  }
  void SetStartUp(const std::string& folder) {
    TTestKey::SetRaw(kShellFoldersKey, "StartUp", REG_SZ, folder.c_str(), static_cast<DWORD>(folder.size() + 1));
  }
  std::string Computed() {
    form.ComputeShortcutPath();
    return ShortcutPath;
  }
  TTestKey::TRaw saved;
  TFakeSpooler spooler;
  TFakeNotifyIcon shell;
  TMainForm form{Application};
};

TEST_F(StartupShortcutTest, ThePathHasExactlyOneBackslashBeforeTheFileNameAndIsNeverCut) {
  const std::string own(saved.data.begin(), saved.data.end() - 1);
  ASSERT_GT(own.size() + 36, 90u) << "the prefix's StartUp folder is long enough for the old cut";
  EXPECT_EQ(Computed(), own + "\\Sets Windows 95 Default Printer.LNK");
  SetStartUp("C:\\Start");
  EXPECT_EQ(Computed(), "C:\\Start\\Sets Windows 95 Default Printer.LNK");
  SetStartUp("C:\\Start\\");
  EXPECT_EQ(Computed(), "C:\\Start\\Sets Windows 95 Default Printer.LNK");
  HKEY key;
  RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_ALL_ACCESS, &key);
  RegDeleteValueA(key, "StartUp");
  RegCloseKey(key);
  EXPECT_EQ(Computed(), "\\Sets Windows 95 Default Printer.LNK");
  const DWORD number = 5;
  TTestKey::SetRaw(kShellFoldersKey, "StartUp", REG_DWORD, &number, 4);
  EXPECT_EQ(Computed(), "5\\Sets Windows 95 Default Printer.LNK");
}

TEST_F(StartupShortcutTest, TheShortcutIsCreatedForThisProgramAndRemovedWithANoticeToTheShell) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "zorvane-startup-test";
  CreateDirectoryA(folder.c_str(), nullptr);
  SetStartUp(folder);
  form.ComputeShortcutPath();
  DeleteFileA(ShortcutPath.c_str());
  EXPECT_FALSE(form.ShortcutExists());
  form.CreateStartupShortcut();
  EXPECT_TRUE(form.ShortcutExists());

  notices.clear();
  ShellChangeNotify = &RecordNotice;
  form.RemoveStartupShortcut();
  EXPECT_FALSE(form.ShortcutExists());
  form.RemoveStartupShortcut();  // already gone: the shell is told all the same
  ShellChangeNotify = &SHChangeNotify;
  const std::string notice = "4 1 " + ShortcutPath + " (both)";
  EXPECT_EQ(notices, (std::vector<std::string>{notice, notice}));
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace zv::test
