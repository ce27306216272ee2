#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "app/main_window.h"
#include "framework/Application.h"
#include "framework/Window.h"

namespace zv::test {
namespace {

// Another top-level window on the desktop: counts the profile-change broadcasts it receives.
class TBroadcastListener {
 public:
  TBroadcastListener()
      : window_(TWindowParams{}, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
          if (m == WM_WININICHANGE) ++received;
          return DefWindowProcA(w, m, wp, lp);
        }) {}
  int received = 0;

 private:
  TWindow window_;
};

class PrinterMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    Application->OnMessageBox = [this](const std::string& text, const std::string& caption, UINT flags) {
      messages.push_back(caption + ": " + text + " " + std::to_string(flags));
      return IDOK;
    };
  }
  void TearDown() override { Application->OnMessageBox = nullptr; }

  TMainForm& Form() {
    if (!form) form = std::make_unique<TMainForm>(Application);
    return *form;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    TMenuItem& items = Form().PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i) captions.push_back(items.Items(i)->Caption());
    return captions;
  }
  std::vector<int> Tags() {
    std::vector<int> tags;
    TMenuItem& items = Form().PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i) tags.push_back(items.Items(i)->Tag());
    return tags;
  }
  std::string Checked() {
    std::string checked;
    TMenuItem& items = Form().PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      if (items.Items(i)->Checked()) checked += items.Items(i)->Caption() + ";";
    return checked;
  }
  void Rebuild() {
    Form().BuildPrinterMenu();
    Form().ApplyDefaultPrinter(-1);
  }

  TFakeSpooler spooler;
  TFakeNotifyIcon shell;
  std::vector<std::string> messages;
  std::unique_ptr<TMainForm> form;
};

TEST_F(PrinterMenuTest, TheDescriptionHasTheFixedItemsInOrder) {
  TMenuItem& items = Form().PMenu->Items();
  ASSERT_EQ(items.Count(), FixedCount);
  std::vector<std::string> captions;
  for (int i = 0; i < items.Count(); ++i) captions.push_back(items.Items(i)->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"&Exit", "&UnInstall...", "&About...", "-", "A&dd Printer...",
                                                "&Options", "&Printer Settings..."}));
  EXPECT_EQ(Form().mOptions->Items(0)->Caption(), "&Show Port Information");
  EXPECT_EQ(Form().mOptions->Items(1)->Caption(), "S&how Splash Screen");
  EXPECT_FALSE(Form().PMenu->AutoPopup());
  EXPECT_EQ(Form().TrayForm->ToolTip(), "?");
  EXPECT_FALSE(Form().TrayForm->Active());
}

TEST_F(PrinterMenuTest, EntriesAreSortedIgnoringCaseWithTheirCatalogueIndexAsTag) {
  spooler.platformId = 1;
  spooler.printers = {{"beta", "LPT1:"}, {"Alpha", "LPT2:"}};
  spooler.SetDefault("beta,winspool,LPT1:");
  Rebuild();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_EQ(Tags(), (std::vector<int>{1, 0}));
  EXPECT_EQ(Checked(), "beta;");
  EXPECT_EQ(Form().TrayForm->ToolTip(), "beta");
  EXPECT_TRUE(Form().DefaultKnown);

  Form().ShowPortInfo = true;
  Rebuild();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha on LPT2:", "beta on LPT1:"}));
  EXPECT_EQ(Checked(), "beta on LPT1:;");
}

TEST_F(PrinterMenuTest, CaptionsAreCutAt80CharactersAndBeforeTheFirstOn) {
  const std::string hundred(100, 'x');
  EXPECT_EQ(Form().PrinterCaption(hundred), hundred.substr(0, 80));
  EXPECT_EQ(Form().PrinterCaption("Canon on 2nd floor on LPT1:"), "Canon");
  EXPECT_EQ(Form().PrinterCaption(" on LPT1:"), "");
  EXPECT_EQ(Form().PrinterCaption("Laser & Co"), "Laser & Co");
  EXPECT_EQ(Form().PrinterCaption("Moonlight"), "Moonlight");
  Form().ShowPortInfo = true;
  EXPECT_EQ(Form().PrinterCaption("Canon on 2nd floor on LPT1:"), "Canon on 2nd floor on LPT1:");
  EXPECT_EQ(Form().PrinterCaption(std::string(79, 'y') + " on LPT1:"), std::string(79, 'y') + " ");
}

TEST_F(PrinterMenuTest, ChoosingAnEntryWritesItMovesTheCheckAndIgnoresOurOwnBroadcast) {
  TBroadcastListener other;
  spooler.printers = {{"P", ""}, {"Q", ""}};
  spooler.SetDefault("Q,winspool,Ne00:");
  Rebuild();
  EXPECT_EQ(spooler.Default(), "Q,,");  // re-applied, as at every start
  const int enumerations = spooler.enumerations;
  other.received = 0;

  Form().PMenu->Items().Items(FixedCount + 1)->Click();  // "P"
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(Checked(), "P;");
  EXPECT_EQ(Form().TrayForm->ToolTip(), "P");
  EXPECT_EQ(other.received, 1);
  EXPECT_EQ(spooler.enumerations, enumerations + 1);  // the switch's own catalogue; no rebuild
  EXPECT_FALSE(Form().OwnBroadcast);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PrinterMenuTest, LongNamesAreWrittenWhole) {
  const std::string name(300, 'L');
  spooler.printers = {{name, ""}};
  spooler.SetDefault(name + ",,");
  Rebuild();
  EXPECT_EQ(spooler.Default(), name + ",,");
  EXPECT_EQ(Form().TrayForm->ToolTip(), name.substr(0, 62));
}

TEST_F(PrinterMenuTest, AFailedProfileWriteSaysSoAndLeavesNothingCheckedAndNothingBroadcast) {
  TBroadcastListener other;
  spooler.printers = {{"P", ""}, {"Q", ""}};
  spooler.SetDefault("Q,,");
  Rebuild();
  other.received = 0;
  spooler.failWrite = true;
  Form().PMenu->Items().Items(FixedCount + 1)->Click();
  EXPECT_EQ(Checked(), "");
  EXPECT_EQ(Form().TrayForm->ToolTip(), "There is no Default Printer");
  EXPECT_EQ(messages, (std::vector<std::string>{"Zorvane: Failure to set Default Printer! 0"}));
  EXPECT_EQ(other.received, 0);
}

TEST_F(PrinterMenuTest, AChangeElsewhereRebuildsOnceMovesTheCheckAndWritesItBackOnce) {
  spooler.printers = {{"P", ""}, {"Q", ""}};
  spooler.SetDefault("Q,,");
  Rebuild();
  const int writes = spooler.writes;
  spooler.SetDefault("P,other,stuff");
  spooler.printers.push_back({"R", ""});
  SendMessageA(Form().Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"P", "Q", "R"}));
  EXPECT_EQ(Checked(), "P;");
  EXPECT_EQ(spooler.writes, writes + 1);
  EXPECT_EQ(spooler.Default(), "P,,");
}

TEST_F(PrinterMenuTest, WithoutPrintersOrADefaultOnlyTheFixedItemsRemain) {
  spooler.printers = {{"P", ""}};
  spooler.SetDefault("P,,");
  Rebuild();
  EXPECT_EQ(Form().PMenu->Items().Count(), FixedCount + 2);
  spooler.printers.clear();
  Rebuild();
  EXPECT_EQ(Form().PMenu->Items().Count(), FixedCount);
  EXPECT_EQ(Form().TrayForm->ToolTip(), "There is no Default Printer");
  EXPECT_FALSE(Form().DefaultKnown);
  EXPECT_FALSE(Form().MenuRebuilding);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PrinterMenuTest, ClicksDuringARebuildAreIgnored) {
  spooler.printers = {{"P", ""}, {"Q", ""}};
  spooler.SetDefault("Q,,");
  Rebuild();
  const int writes = spooler.writes;
  Form().MenuRebuilding = true;
  Form().PMenu->Items().Items(FixedCount + 1)->Click();
  Form().mShowPortInfo->Click();
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_FALSE(Form().ShowPortInfo);
}

}  // namespace
}  // namespace zv::test
