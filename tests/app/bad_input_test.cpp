// Input another program, a driver or a damaged profile can hand us: a defined answer, no crash,
// no message the user did not ask for, and the settings untouched.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

class BadInputTest : public testing::Test {
 protected:
  void SetUp() override {
    FirstRun = false;
    Application->OnMessageBox = [this](const std::string& text, const std::string&, UINT) {
      messages.push_back(text);
      return IDOK;
    };
    TTestKey::SetRaw("Software\\Zorvane", "Show Port Information", REG_DWORD, "\0\0\0\0", 4);
  }
  void TearDown() override {
    Application->OnMessageBox = nullptr;
    FirstRun = true;
  }
  // A start as the program makes it, then a switch to the first printer entry if there is one.
  std::string StartAndSwitch(TMainForm& form) {
    form.BuildPrinterMenu();
    form.ApplyDefaultPrinter(-1);
    if (form.PMenu->Items().Count() > FixedCount + 1) form.PMenu->Items().Items(FixedCount + 1)->Click();
    return spooler.Default();
  }
  TTestKey settings{"Software\\Zorvane"};
  TFakeSpooler spooler;
  TFakeNotifyIcon shell;
  std::vector<std::string> messages;
};

TEST_F(BadInputTest, DefaultPrinterProfileValues) {
  struct TCase {
    const char* what;
    std::string value;
    bool known;  // a default is found
  };
  const std::string nonAscii = "Drucker \xC4\xD6\xDC";
  const TCase cases[] = {
      {"empty", "", false},
      {"only commas", ",,,,", false},
      {"10,000 characters", std::string(10000, 'x'), false},
      {"10,000 characters naming a printer", "P," + std::string(9998, 'd'), true},
      {"non-ASCII bytes", nonAscii + ",winspool,LPT1:", true},
      {"blanks and tabs", "\tP,,", false},
  };
  for (const TCase& c : cases) {
    spooler.printers = {{"P", ""}, {nonAscii, ""}};
    spooler.profile.clear();
    spooler.SetDefault(c.value);
    messages.clear();
    TMainForm form(Application);
    const std::string written = StartAndSwitch(form);
    EXPECT_EQ(form.DefaultKnown, c.known) << c.what;
    EXPECT_EQ(form.PMenu->Items().Count() > FixedCount, c.known) << c.what;
    EXPECT_TRUE(messages.empty()) << c.what;
    if (!c.known) {
      EXPECT_EQ(written, c.value) << c.what << ": nothing is written without a default";
    }
  }
  spooler.profile.clear();  // missing altogether
  TMainForm form(Application);
  form.BuildPrinterMenu();
  EXPECT_FALSE(form.DefaultKnown);
  EXPECT_EQ(form.TrayForm->ToolTip(), "There is no Default Printer");
}

TEST_F(BadInputTest, PrinterNames) {
  struct TCase {
    const char* what;
    std::string name;
    bool defaultable;  // a name with a comma cannot be named by the profile's first field
  };
  const TCase cases[] = {
      {"ampersand", "Laser & Co", true},
      {"comma", "Left,Right", false},
      {"300 characters", std::string(300, 'n'), true},
      {"non-ASCII", "Imprimante \xE9t\xE9", true},
  };
  for (const TCase& c : cases) {
    spooler.printers = {{c.name, ""}};
    spooler.SetDefault(c.name + ",,");
    messages.clear();
    TMainForm form(Application);
    const std::string written = StartAndSwitch(form);
    EXPECT_EQ(form.DefaultKnown, c.defaultable) << c.what;
    EXPECT_TRUE(messages.empty()) << c.what;
    if (c.defaultable) {
      EXPECT_EQ(written, c.name + ",,") << c.what;
      EXPECT_EQ(form.PMenu->Items().Items(FixedCount + 1)->Caption(), c.name.substr(0, 80)) << c.what;
    }
  }
}

TEST_F(BadInputTest, ADriverWhoseSettingsCannotBeReadStillSwitches) {
  spooler.printers = {{"P", ""}, {"Q", ""}};
  spooler.SetDefault("Q,,");
  spooler.failDocumentProperties = true;
  TMainForm form(Application);
  EXPECT_EQ(StartAndSwitch(form), "P,,");
  EXPECT_TRUE(messages.empty());
}

TEST_F(BadInputTest, StartUpFolderValues) {
  const auto saved = TTestKey::GetRaw(kShellFoldersKey, "StartUp");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "zorvane-not-a-folder";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string values[] = {"C:\\no\\such\\folder", file, ""};
  for (const std::string& value : values) {
    TTestKey::SetRaw(kShellFoldersKey, "StartUp", REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    TMainForm form(Application);
    form.ComputeShortcutPath();
    if (value.empty()) {
      DeleteFileA(ShortcutPath.c_str());  // the root of the drive: not ours to fill
    }
    form.CreateStartupShortcut();
    EXPECT_EQ(form.ShortcutExists(),
              value.empty() && GetFileAttributesA(ShortcutPath.c_str()) != INVALID_FILE_ATTRIBUTES)
        << value;
    if (value.empty()) {
      DeleteFileA(ShortcutPath.c_str());
    }
  }
  DeleteFileA(file.c_str());
  TTestKey::SetRaw(kShellFoldersKey, "StartUp", saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace zv::test
