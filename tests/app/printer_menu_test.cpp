#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

class PrinterMenuTest : public testing::Test {
 protected:
  // The printer entries as the user sees them: caption, and "*" on the checked one.
  std::string Menu() {
    std::string menu;
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      menu += items.Items(i)->Caption() + (items.Items(i)->Checked() ? "*" : "") + ";";
    return menu;
  }
  TMenuItem* Entry(const std::string& caption) {
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == caption) return items.Items(i);
    return nullptr;
  }
  // Broadcasts are counted from here on.
  void Start(std::vector<TPrinterRecord> printers, const std::string& profile) {
    spooler.printers = std::move(printers);
    spooler.SetDefault(profile);
    form.BuildPrinterMenu();
    form.ApplyDefaultPrinter(-1);
    received = 0;
  }
  void Announce() { SendMessageA(form.Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows")); }
  std::string Shown() { return Menu() + " | " + form.TrayForm->ToolTip(); }  // the menu and the tool tip

  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TFakeDialogs dialogs;
  const std::vector<std::string> failure{"Zorvane: Failure to set Default Printer! 0"};
  TMainForm form{Application};
  // Another top-level window on the desktop, counting the profile-change broadcasts it receives.
  int received = 0;
  TWindow other{TWindowParams{}, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                  if (m == WM_WININICHANGE) ++received;
                  return DefWindowProcA(w, m, wp, lp);
                }};
};

TEST_F(PrinterMenuTest, EntriesAreSortedIgnoringCaseAndCutAtTheirPort) {
  spooler.platformId = 1;
  Start({{"beta", "LPT1:"}, {"Alpha", "LPT2:"}, {"Canon on 2nd floor", "LPT3:"}, {std::string(100, 'x'), "X:"}},
        "beta,winspool,LPT1:");
  EXPECT_EQ(Menu(), "Alpha;beta*;Canon;" + std::string(80, 'x') + ";");
}

// Only a value that was written is checked and announced to the others; our own announcement
// changes nothing here.
TEST_F(PrinterMenuTest, AChoiceIsWrittenWholeCheckedAndAnnouncedToOthersAndAFailedWriteIsNeither) {
  const std::string longName(300, 'L'), longEntry = longName.substr(0, 80);
  Start({{"P", ""}, {longName, ""}}, "P,winspool,Ne00:");
  TMenuItem* p = Entry("P");
  Entry(longEntry)->Click();
  EXPECT_EQ(spooler.Default(), longName + ",,");
  EXPECT_EQ(Shown(), longEntry + "*;P; | " + longName.substr(0, 62));
  EXPECT_EQ(received, 1);
  EXPECT_EQ(Entry("P"), p);  // our own broadcast rebuilt nothing

  spooler.failWrite = true;
  p->Click();
  EXPECT_EQ(Shown(), longEntry + ";P; | There is no Default Printer");
  EXPECT_EQ(dialogs.messages, failure);
  EXPECT_EQ(received, 1);
}

TEST_F(PrinterMenuTest, AClickSetsThePrinterItShowsAfterPrintersChangedBehindOurBack) {
  Start({{"P", ""}, {"Q", ""}, {"R", ""}}, "Q,,");
  // No announcement reaches us: P and the default Q are removed, A is added in front.
  spooler.printers = {{"A", ""}, {"R", ""}};
  Entry("R")->Click();
  EXPECT_EQ(spooler.Default(), "R,,");
  EXPECT_EQ(Menu(), "P;Q;R*;");

  // A printer that is gone: nothing is written, the user hears and sees it, the menu is current.
  const int writes = spooler.writes;
  Entry("P")->Click();
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(dialogs.messages, failure);
  EXPECT_EQ(Shown(), "A;R*; | R");

  // A Windows 95 entry names its port as well: the printer moved to another port is not the one
  // the entry shows.
  spooler.platformId = 1;
  Start({{"L", "LPT1:"}, {"M", "LPT2:"}}, "M,winspool,LPT2:");
  spooler.printers = {{"L", "LPT3:"}, {"M", "LPT2:"}};
  Entry("L")->Click();
  EXPECT_EQ(spooler.Default(), "M,,LPT2:");
  EXPECT_EQ(shell.beeps, 2);
}

TEST_F(PrinterMenuTest, WithoutADefaultNothingIsCheckedOrWrittenAndWithoutPrintersOnlyTheCommandsStay) {
  Start({{"P", ""}, {"Q", ""}}, "Gone,,");
  EXPECT_EQ(Shown(), "P;Q; | There is no Default Printer");
  EXPECT_EQ(spooler.Default(), "Gone,,");
  Start({}, "Gone,,");
  EXPECT_EQ(form.PMenu->Items().Count(), FixedCount);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrinterMenuTest, OddProfileValuesAndPrinterNamesGiveADefinedMenuAndAreWrittenWhole) {
  const std::string umlauts = "Drucker \xC4\xD6\xDC";
  const std::tuple<std::vector<TPrinterRecord>, std::string, std::string> cases[] = {
      {{{"P", ""}, {umlauts, ""}}, "\tP,,", umlauts + ";P;"},  // only spaces are skipped
      {{{"P", ""}, {umlauts, ""}}, umlauts + ",winspool,LPT1:", umlauts + "*;P;"},
      {{{"Laser & Co", ""}}, "Laser & Co,,", "Laser & Co*;"},
      {{{"Left,Right", ""}}, "Left,Right,,", "Left,Right;"},  // the profile's first field names no printer
  };
  for (const auto& [printers, profile, menu] : cases) {
    Start(printers, profile);
    EXPECT_EQ(Menu(), menu) << profile.substr(0, 20);
    form.PMenu->Items().Items(FixedCount + 1)->Click();
    EXPECT_EQ(spooler.Default(), printers.size() == 1 ? printers[0].Name + ",," : umlauts + ",,");
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrinterMenuTest, AChangeElsewhereRebuildsMovesTheCheckAndIsWrittenBackAndAnnouncedOnce) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  spooler.SetDefault("P,other,stuff");
  spooler.printers.push_back({"R", ""});
  Announce();
  Pump();  // an echo of our own announcement would come back now
  EXPECT_EQ(Menu(), "P*;Q;R;");
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(received, 1);
}

// The tool tip's call to the shell lets messages sent to us through; an announcement arriving
// then must wait until the switch is done, and the clicked entry must live through it.
TEST_F(PrinterMenuTest, AnAnnouncementDuringTheSwitchIsHandledAfterItNeverInside) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  form.TrayForm->SetActive(true);
  std::string menuDuring;
  bool announced = false;
  tray.During = [&](DWORD message) {
    if (message != NIM_MODIFY || std::exchange(announced, true)) return;
    spooler.printers.push_back({"R", ""});
    Announce();
    menuDuring = Menu();
  };
  Entry("P")->Click();
  tray.During = nullptr;
  EXPECT_EQ(menuDuring, "P*;Q;");
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(Menu(), "P*;Q;");
  Pump();  // the announcement, handled now
  EXPECT_EQ(Shown(), "P*;Q;R; | P");
}

TEST_F(PrinterMenuTest, ClicksDuringARebuildAreIgnored) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  const int writes = spooler.writes;
  form.MenuRebuilding = true;
  Entry("P")->Click();
  form.mShowPortInfo->Click();
  form.MenuRebuilding = false;
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_FALSE(form.ShowPortInfo);
}

}  // namespace
}  // namespace zv::test
