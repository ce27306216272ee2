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
  EXPECT_EQ(OptionName("&Show Port Information"), "Show Port Information");
  EXPECT_EQ(OptionName("S&how Splash Screen"), "Show Splash Screen");
  EXPECT_EQ(OptionName("&UnInstall..."), "UnInstall");
  EXPECT_EQ(OptionName("&.."), "");
}

TEST_F(SettingsTest, TheFirstStartCreatesTheKeyWithItsFourValues) {
  auto form = Start();
  EXPECT_EQ(Text("Author"), "Fenwarrow");
  EXPECT_EQ(Text("Version"), "1.0b");
  EXPECT_EQ(Dword("Show Port Information"), kFalse);
  EXPECT_EQ(Dword("Show Splash Screen"), kTrue);
  EXPECT_FALSE(form->mShowPortInfo->Checked());
  EXPECT_TRUE(form->mShowSplashScreen->Checked());
  EXPECT_EQ(form->Reg->Key, kKey);
}

TEST_F(SettingsTest, AWrongVersionIsRewrittenAndTheStoredOptionsKept) {
  TTestKey::SetRaw(kKey, "Version", REG_SZ, "0.9", 4);
  TTestKey::SetRaw(kKey, "Show Port Information", REG_DWORD, &kTrue, 4);
  TTestKey::SetRaw(kKey, "Show Splash Screen", REG_DWORD, &kFalse, 4);
  auto form = Start();
  EXPECT_EQ(Text("Version"), "1.0b");
  EXPECT_TRUE(form->ShowPortInfo);
  EXPECT_FALSE(form->ShowSplash);
  EXPECT_TRUE(form->mShowPortInfo->Checked());
  EXPECT_FALSE(form->mShowSplashScreen->Checked());
}

TEST_F(SettingsTest, AMissingOptionKeepsItsDefaultAndIsNotWrittenBack) {
  TTestKey::SetRaw(kKey, "Show Splash Screen", REG_DWORD, &kFalse, 4);
  auto form = Start();
  EXPECT_FALSE(form->ShowPortInfo);
  EXPECT_FALSE(form->ShowSplash);
  EXPECT_FALSE(TTestKey::GetRaw(kKey, "Show Port Information").found);
  EXPECT_EQ(Text("Version"), "1.0b");  // a missing version is written
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

TEST_F(SettingsTest, SavedOptionsComeBackAtTheNextStart) {
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
}

TEST_F(SettingsTest, DeletingTheKeyNeverFails) {
  auto form = Start();
  form->DeleteSettingsKey();
  EXPECT_FALSE(TTestKey::Exists(kKey));
  form->DeleteSettingsKey();
  EXPECT_EQ(form->Reg->Key, "Software");
}

// Whatever another program or a damaged profile left as the port option: a defined answer, no
// crash, and nothing of the key lost or changed.
TEST_F(SettingsTest, BadOptionDataGivesADefinedAnswerAndChangesNothing) {
  struct TCase {
    const char* what;
    DWORD type;
    std::vector<std::uint8_t> data;
    bool portInfo;  // what the option is afterwards
    bool splash;    // false once the stored splash value (off) was read
  };
  const std::vector<std::uint8_t> sixteen(16, 0);
  std::vector<std::uint8_t> tagged = sixteen;
  tagged[0] = 5;  // a double 0.0
  const TCase cases[] = {
      {"REG_SZ True, unterminated", REG_SZ, {'T', 'r', 'u', 'e'}, true, false},
      {"REG_SZ that is no boolean", REG_SZ, {'m', 'a', 'y', 'b', 'e', 0}, false, true},
      {"REG_SZ of 64 KB", REG_SZ, std::vector<std::uint8_t>(65536, 'x'), false, true},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, {'1', 0}, false, false},
      {"REG_MULTI_SZ", REG_MULTI_SZ, {'1', 0, 0}, false, false},
      {"REG_BINARY of 0 bytes", REG_BINARY, {}, false, false},
      {"REG_BINARY of 15 bytes", REG_BINARY, std::vector<std::uint8_t>(15, 1), false, false},
      {"REG_BINARY of 16 bytes, no kind", REG_BINARY, sixteen, false, false},
      {"REG_BINARY of 16 bytes, a double", REG_BINARY, tagged, false, false},
      {"REG_BINARY of 17 bytes", REG_BINARY, std::vector<std::uint8_t>(17, 1), false, false},
      {"REG_DWORD of 2 bytes", REG_DWORD, {1, 0}, false, false},
      {"REG_DWORD 5", REG_DWORD, {5, 0, 0, 0}, true, false},
  };
  for (const TCase& c : cases) {
    key.Remove();
    TTestKey::SetRaw(kKey, "Version", REG_SZ, "1.0b", 5);
    TTestKey::SetRaw(kKey, "Show Port Information", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    TTestKey::SetRaw(kKey, "Show Splash Screen", REG_DWORD, &kFalse, 4);
    auto form = Start();
    EXPECT_EQ(form->ShowPortInfo, c.portInfo) << c.what;
    EXPECT_EQ(form->ShowSplash, c.splash) << c.what;
    auto raw = TTestKey::GetRaw(kKey, "Show Port Information");
    // The 8-bit query adds a terminator to unterminated text as it reads it.
    if (c.type == REG_SZ && raw.data.size() == c.data.size() + 1 && raw.data.back() == 0) raw.data.pop_back();
    EXPECT_EQ(raw.type, c.type) << c.what;
    EXPECT_EQ(raw.data, c.data) << c.what;
    EXPECT_EQ(Dword("Show Splash Screen"), kFalse) << c.what;
  }
}

}  // namespace
}  // namespace zv::test
