#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

constexpr char kKey[] = "Software\\Zorvane";
const DWORD kTrue = 0xFFFFFFFF, kFalse = 0;

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    FirstRun = false;
    ShortcutPath.clear();
  }
  void TearDown() override {
    FirstRun = true;
    ShortcutPath.clear();
  }
  // A freshly started program: new options at their defaults, then the settings loaded.
  std::unique_ptr<TMainForm> Start() {
    auto form = std::make_unique<TMainForm>(Application);
    form->LoadSettings();
    return form;
  }
  static DWORD Dword(const char* name) {
    auto raw = TTestKey::GetRaw(kKey, name);
    DWORD value = 0x12345678;
    if (raw.type == REG_DWORD && raw.data.size() == 4) memcpy(&value, raw.data.data(), 4);
    return value;
  }
  static std::string Text(const char* name) {
    auto raw = TTestKey::GetRaw(kKey, name);
    return raw.type == REG_SZ ? std::string(raw.data.begin(), raw.data.end() - 1) : "(not text)";
  }
  TTestKey key{kKey};
  TFakeSpooler spooler;
  TFakeNotifyIcon shell;
};

TEST(OptionName, RemovesAmpersandsAndTrailingDots) {
  for (const auto& [caption, name] : std::vector<std::pair<std::string, std::string>>{
           {"&Show Port Information", "Show Port Information"},
           {"S&how Splash Screen", "Show Splash Screen"},
           {"&UnInstall...", "UnInstall"},
           {"&..", ""}})
    EXPECT_EQ(OptionName(caption), name);
}

// What a start makes of the stored key, whatever another program or a damaged profile left.
TEST_F(SettingsTest, AStartReadsTheOptionsItCanWritesTheVersionAndLeavesTheRestAsItWas) {
  struct TValue {
    const char* name;
    DWORD type;
    std::string data;
  };
  const std::string yes("\xFF\xFF\xFF\xFF", 4), no(4, '\0');
  const struct {
    const char* what;
    std::vector<TValue> stored;  // nothing stored: no key at all
    bool portInfo, splash;
  } cases[] = {
      {"no key: created with the defaults", {}, false, true},
      {"an old version", {{"Version", REG_SZ, "0.9"}, {"Show Port Information", REG_DWORD, yes}}, true, true},
      {"only the splash option", {{"Show Splash Screen", REG_DWORD, no}}, false, false},
      {"a number", {{"Show Port Information", REG_DWORD, std::string("\5\0\0\0", 4)}}, true, true},
      {"text that says true", {{"Show Port Information", REG_SZ, "True"}}, true, true},
      {"text that is no boolean", {{"Show Port Information", REG_SZ, std::string(65536, 'x')}}, false, true},
      {"a short number", {{"Show Port Information", REG_DWORD, "\1"}}, false, true},
      {"a kind never stored", {{"Show Port Information", REG_MULTI_SZ, std::string("1\0\0", 3)}}, false, true},
  };
  for (const auto& c : cases) {
    key.Remove();
    for (const TValue& v : c.stored) TTestKey::SetRaw(kKey, v.name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    auto form = Start();
    EXPECT_EQ(form->ShowPortInfo, c.portInfo) << c.what;
    EXPECT_EQ(form->ShowSplash, c.splash) << c.what;
    EXPECT_EQ(Text("Version"), "1.0b") << c.what;
    if (c.stored.empty()) {
      EXPECT_EQ(Text("Author"), "Fenwarrow");
      EXPECT_EQ(Dword("Show Port Information"), kFalse);
      EXPECT_EQ(Dword("Show Splash Screen"), kTrue);
    }
    for (const TValue& v : c.stored) {
      if (std::string(v.name) == "Version") continue;
      auto raw = TTestKey::GetRaw(kKey, v.name);
      EXPECT_EQ(std::string(raw.data.begin(), raw.data.end()).substr(0, v.data.size()), v.data) << c.what << ": kept";
    }
    if (c.stored.size() == 1 && std::string(c.stored[0].name) == "Show Splash Screen") {
      EXPECT_FALSE(TTestKey::GetRaw(kKey, "Show Port Information").found) << "a missing option is not written back";
    }
    EXPECT_EQ(form->mShowPortInfo->Checked(), c.portInfo) << c.what;
    EXPECT_EQ(form->mShowSplashScreen->Checked(), c.splash) << c.what;
  }
}

// A missing shortcut resets the options only where the start can make one: a shortcut that
// cannot be written was never there for the user to delete.
TEST_F(SettingsTest, AMissingShortcutResetsTheOptionsOnlyWhereOneCanBeMade) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "zorvane-settings-test";
  CreateDirectoryA(folder.c_str(), nullptr);
  const struct {
    const char* what;
    std::string path;
    bool reset;
  } cases[] = {
      {"a folder the shortcut can be made in", folder + "\\Sets Windows 95 Default Printer.LNK", true},
      {"a folder that does not exist", folder + "\\missing\\Sets Windows 95 Default Printer.LNK", false},
      {"no folder at all", "", false},
  };
  for (const auto& c : cases) {
    key.Remove();
    TTestKey::SetRaw(kKey, "Show Port Information", REG_DWORD, &kTrue, 4);
    TTestKey::SetRaw(kKey, "Stray", REG_SZ, "x", 2);
    ShortcutPath = c.path;
    DeleteFileA(c.path.c_str());
    FirstRun = true;
    auto form = Start();
    EXPECT_EQ(form->ShowPortInfo, !c.reset) << c.what;
    EXPECT_EQ(Dword("Show Port Information"), c.reset ? kFalse : kTrue) << c.what;
    EXPECT_EQ(TTestKey::GetRaw(kKey, "Stray").found, !c.reset) << c.what;
    DeleteFileA(c.path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

TEST_F(SettingsTest, SavedOptionsComeBackAtTheNextStartAndDeletingTheKeyNeverFails) {
  {
    auto form = Start();
    form->ShowPortInfo = true;
    form->ShowSplash = false;
    form->SaveOptions();
    EXPECT_TRUE(form->mShowPortInfo->Checked());
  }
  auto restarted = Start();
  EXPECT_TRUE(restarted->ShowPortInfo);
  EXPECT_FALSE(restarted->ShowSplash);
  restarted->DeleteSettingsKey();
  EXPECT_FALSE(TTestKey::Exists(kKey));
  restarted->DeleteSettingsKey();
}

}  // namespace
}  // namespace zv::test
