#include "Testing.h"

namespace zv::test {

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
  // The stored port option (REG_NONE: none) and what is read; the splash, stored off, stays on
  // (the default) when reading stops at the port option.
  const std::tuple<const char*, DWORD, std::string, bool, bool> cases[] = {
      {"no option stored", REG_NONE, "", false, false},
      {"on", REG_DWORD, kYes, true, false},
      {"text that says true", REG_SZ, "True", true, false},
      {"text that is no boolean", REG_SZ, std::string(65536, 'x'), false, true},
      {"a short number", REG_DWORD, "\1", false, false},
  };
  for (const auto& [what, type, data, portInfo, splash] : cases) {
    key.Remove();
    Store("Version", REG_SZ, "0.9");
    Store("Show Splash Screen", REG_DWORD, kNo);
    if (type != REG_NONE) Store("Show Port Information", type, data);
    auto form = Start();
    EXPECT_EQ(form->Core().Options.ShowPortInfo, portInfo) << what;
    EXPECT_EQ(form->Core().Options.ShowSplash, splash) << what;
    EXPECT_EQ(Stored("Version"), "1.0b") << what;
    EXPECT_EQ(Stored("Show Port Information"), type == REG_NONE ? "(none)" : data) << what << ": kept";
    EXPECT_EQ(form->mShowSplashScreen->Checked(), splash) << what;
  }
  key.Remove();  // no key at all: created with the defaults
  auto form = Start();
  const std::pair<const char*, std::string> defaults[] = {
      {"Author", "Fenwarrow"}, {"Version", "1.0b"}, {"Show Port Information", kNo}, {"Show Splash Screen", kYes}};
  for (const auto& [name, value] : defaults) EXPECT_EQ(Stored(name), value) << name;
  form->DeleteSettingsKey();
  form->DeleteSettingsKey();  // already gone: no failure
  EXPECT_FALSE(TTestKey::Exists(kKey));
}

// A missing shortcut resets the options only where the start can make one: a shortcut that
// cannot be written was never there for the user to delete. It never forgets the networks.
TEST_F(SettingsTest, AMissingShortcutResetsTheOptionsOnlyWhereOneCanBeMade) {
  const std::string folder = TempFolder("zorvane-settings-test");
  const std::pair<std::string, bool> cases[] = {
      {folder + "\\Sets Windows 95 Default Printer.LNK", true},            // it can be made there
      {folder + "\\missing\\Sets Windows 95 Default Printer.LNK", false},  // a folder not there
      {"", false},                                                         // no folder at all
  };
  for (const auto& [path, reset] : cases) {
    key.Remove();
    Store("Show Port Information", REG_DWORD, kYes);
    key.Set("Networks\\10.1.0.1", "Device", "A");
    Store(kFoundModeValue, REG_SZ, "none");
    ShortcutPath = path;
    DeleteFileA(path.c_str());
    auto form = Start(true);
    EXPECT_EQ(form->Core().Options.ShowPortInfo, !reset) << path;
    EXPECT_EQ(Stored("Show Port Information"), reset ? kNo : kYes) << path;
    EXPECT_TRUE(TTestKey::Exists(std::string(kKey) + "\\Networks\\10.1.0.1")) << path << ": the printers remembered per network are the user's";
    EXPECT_EQ(Stored(kFoundModeValue), "none") << path << ": UnInstall can still put Windows' switch back";
    DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

// An option the policy forces holds, greyed in the menu with its check mark; a click changes
// neither it nor the user's own value, which comes back when the policy goes. The machine's wins.
TEST_F(SettingsTest, AForcedOptionIsGreyedKeepsTheUsersOwnValueAndGivesItBackWhenThePolicyGoes) {
  TTestKey machine{kPolicyKey, HKEY_LOCAL_MACHINE}, user{kPolicyKey};
  Store("Show Port Information", REG_DWORD, kNo);
  Store("Remember Printer per Network", REG_DWORD, kYes);
  machine.Set("", "Show Port Information", 1);
  user.Set("", "Show Port Information", 0u);
  user.Set("", "Remember Printer per Network", 0u);
  auto form = Start();
  // (checked, greyed) of each option in the menu that pops up, and the options in force.
  const auto shown = [&] {
    TMenuHandle menu(form->PMenu->BuildMenu());
    std::string states;
    for (int i = 0; i < 3; ++i) {
      const UINT state = GetMenuState(GetSubMenu(menu.Get(), 5), i, MF_BYPOSITION);
      states += std::string(state & MF_CHECKED ? "x" : "-") + (state & MF_GRAYED ? "g " : "  ");
    }
    const TOptions& options = form->Core().Options;
    return states + std::to_string(options.ShowPortInfo) + std::to_string(options.ShowSplash) + std::to_string(options.RememberPerNetwork);
  };
  EXPECT_EQ(shown(), "xg x  -g 110");
  for (TMenuItem* item : {form->mShowPortInfo, form->mRememberPerNetwork, form->mShowSplashScreen}) item->Click();
  EXPECT_EQ(shown(), "xg -  -g 100");
  EXPECT_EQ(Stored("Show Port Information"), kNo);
  EXPECT_EQ(Stored("Remember Printer per Network"), kYes);
  EXPECT_EQ(Stored("Show Splash Screen"), kNo);
  machine.Remove();
  user.Remove();
  SendMessageA(form->Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Policy"));
  EXPECT_EQ(shown(), "-  -  x  001");
}

}  // namespace zv::test
