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
    reapplied = spooler.Default();
    if (form.PMenu->Items().Count() > FixedCount + 1) form.PMenu->Items().Items(FixedCount + 1)->Click();
    return spooler.Default();
  }
  std::string reapplied;
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
    EXPECT_TRUE(messages.empty()) << c.what;
    if (!c.known) {
      EXPECT_EQ(reapplied, c.value) << c.what << ": nothing is re-applied without a default";
    }
    // The first entry, chosen, is the default whatever the profile held before.
    EXPECT_EQ(written, nonAscii + ",,") << c.what;
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

}  // namespace
}  // namespace zv::test
