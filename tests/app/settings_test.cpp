#include <gtest/gtest.h>

#include <memory>

#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

constexpr char kKey[] = "Software\\Zorvane";
const std::string kYes("\xFF\xFF\xFF\xFF", 4), kNo(4, '\0');

class SettingsTest : public testing::Test {
 protected:
  void TearDown() override {
    FirstRun = true;
    ShortcutPath.clear();
  }
  std::unique_ptr<TMainForm> Start(bool firstRun = false) {
    FirstRun = firstRun;
    auto form = std::make_unique<TMainForm>(Application);
    form->LoadSettings();
    return form;
  }
  static void Store(const char* name, DWORD type, const std::string& data) {
    TTestKey::SetRaw(kKey, name, type, data.data(), static_cast<DWORD>(data.size()));
  }
  // A value's bytes, as stored (text without its terminator); "(none)" when it is missing.
  static std::string Stored(const char* name) {
    const auto raw = TTestKey::GetRaw(kKey, name);
    std::string data(raw.data.begin(), raw.data.end());
    if (raw.type == REG_SZ && !data.empty() && data.back() == '\0') data.pop_back();
    return raw.found ? data : "(none)";
  }
  TTestKey key{kKey};
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
};

// What a start makes of the stored key, whatever another program or a damaged profile left:
// options it can read, the version written, everything else as it was, check marks that agree.
TEST_F(SettingsTest, AStartReadsTheOptionsItCanWritesTheVersionAndLeavesTheRestAsItWas) {
  const struct {
    const char* what;
    DWORD type;  // of the stored port option; REG_NONE: none stored
    std::string data;
    bool portInfo;
    bool splash = false;  // stays on (the default) when reading stops at the port option
  } cases[] = {
      {"no option stored", REG_NONE, "", false},
      {"on", REG_DWORD, kYes, true},
      {"a number", REG_DWORD, std::string("\5\0\0\0", 4), true},
      {"text that says true", REG_SZ, "True", true},
      {"text that is no boolean", REG_SZ, std::string(65536, 'x'), false, true},
      {"a short number", REG_DWORD, "\1", false},
  };
  for (const auto& c : cases) {
    key.Remove();
    Store("Version", REG_SZ, "0.9");
    Store("Show Splash Screen", REG_DWORD, kNo);
    if (c.type != REG_NONE) Store("Show Port Information", c.type, c.data);
    auto form = Start();
    EXPECT_EQ(form->ShowPortInfo, c.portInfo) << c.what;
    EXPECT_EQ(form->ShowSplash, c.splash) << c.what;
    EXPECT_EQ(Stored("Version"), "1.0b") << c.what;
    EXPECT_EQ(Stored("Show Port Information"), c.type == REG_NONE ? "(none)" : c.data) << c.what << ": kept";
    EXPECT_EQ(form->mShowPortInfo->Checked(), c.portInfo) << c.what;
    EXPECT_EQ(form->mShowSplashScreen->Checked(), c.splash) << c.what;
  }
  key.Remove();  // no key at all: created with the defaults
  auto form = Start();
  EXPECT_EQ(Stored("Author"), "Fenwarrow");
  EXPECT_EQ(Stored("Version"), "1.0b");
  EXPECT_EQ(Stored("Show Port Information"), kNo);
  EXPECT_EQ(Stored("Show Splash Screen"), kYes);
  form->DeleteSettingsKey();
  form->DeleteSettingsKey();  // already gone: no failure
  EXPECT_FALSE(TTestKey::Exists(kKey));
}

// A missing shortcut resets the options only where the start can make one: a shortcut that
// cannot be written was never there for the user to delete.
TEST_F(SettingsTest, AMissingShortcutResetsTheOptionsOnlyWhereOneCanBeMade) {
  const std::string folder = TempFolder("zorvane-settings-test");
  const std::pair<std::string, bool> cases[] = {
      {folder + "\\Sets Windows 95 Default Printer.LNK", true},              // it can be made there
      {folder + "\\missing\\Sets Windows 95 Default Printer.LNK", false},  // a folder not there
      {"", false},                                                         // no folder at all
  };
  for (const auto& [path, reset] : cases) {
    key.Remove();
    Store("Show Port Information", REG_DWORD, kYes);
    ShortcutPath = path;
    DeleteFileA(path.c_str());
    auto form = Start(true);
    EXPECT_EQ(form->ShowPortInfo, !reset) << path;
    EXPECT_EQ(Stored("Show Port Information"), reset ? kNo : kYes) << path;
    DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace zv::test
