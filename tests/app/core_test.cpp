#include "app/PrinterCore.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "FakeCups.h"
#include "FakeSpooler.h"
#include "RegistryFixture.h"
#include "framework/Window.h"

namespace zv::test {
namespace {

class TFakeView : public ICoreView {
 public:
  void CoreChanged() override {
    ++changes;
    if (During) During();
  }
  void ReportFailure(bool beep) override { failures.push_back(beep ? "beep and message" : "message"); }
  void PopUpMenu() override { ++popups; }
  int changes = 0, popups = 0;
  std::vector<std::string> failures;
  std::function<void()> During;  // what arrives while the view shows (its calls may dispatch messages)
};

// The core alone, with no window and no message loop: what waits is run by the test.
class CoreTest : public testing::Test {
 protected:
  void SetUp() override { lpoptions.wine = false; }
  // Broadcasts are counted from here on.
  void Start(std::vector<TPrinterRecord> printers, const std::string& profile) {
    spooler.printers = std::move(printers);
    spooler.SetDefault(profile);
    core.Refresh();
    received = 0;
  }
  // The entries as the user sees them, "*" on the checked one, then the tip.
  std::string Shown() {
    std::string shown;
    for (const TMenuEntry& entry : core.Entries()) shown += entry.Caption + (entry.Checked ? "*" : "") + ";";
    return shown + " | " + core.Tip();
  }
  int Entry(const std::string& caption) {
    for (std::size_t i = 0; i < core.Entries().size(); ++i)
      if (core.Entries()[i].Caption == caption) return static_cast<int>(i);
    return -2;
  }

  TTestKey key{"Software\\Zorvane"};
  TFakeSpooler spooler;
  TFakeCups lpoptions;
  TFakeView view;
  TPrinterCore core{nullptr, view, key.Path()};
  // Another top-level window on the desktop, counting the profile-change broadcasts it receives.
  int received = 0;
  TWindow other{TWindowParams{}, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                  if (m == WM_WININICHANGE) ++received;
                  return DefWindowProcA(w, m, wp, lp);
                }};
};

TEST_F(CoreTest, EntriesAreSortedIgnoringCaseAndCutAtTheirPortUnlessPortsAreShown) {
  spooler.platformId = 1;
  Start({{"beta", "LPT1:"}, {"Alpha", "LPT2:"}, {"Canon on 2nd floor", "LPT3:"}, {std::string(100, 'x'), "X:"}},
        "beta,winspool,LPT1:");
  EXPECT_EQ(Shown(), "Alpha;beta*;Canon;" + std::string(80, 'x') + "; | beta");
  EXPECT_EQ(core.Entries()[0].Index, 1);
  core.Options.ShowPortInfo = true;
  core.Refresh();
  EXPECT_EQ(Shown(), "Alpha on LPT2:;beta on LPT1:*;Canon on 2nd floor on LPT3:;" + std::string(80, 'x') +
                         "; | beta on LPT1:");
}

// Only a value that was written is checked and announced to the others.
TEST_F(CoreTest, AChoiceIsWrittenWholeCheckedAndAnnouncedOnceAndAFailedWriteIsNeither) {
  const std::string longName(300, 'L'), longEntry = longName.substr(0, 80);
  Start({{"P", ""}, {longName, ""}}, "P,winspool,Ne00:");
  EXPECT_EQ(spooler.Default(), "P,,");
  core.Apply(Entry(longEntry));
  EXPECT_EQ(spooler.Default(), longName + ",,");
  EXPECT_EQ(Shown(), longEntry + "*;P; | " + longEntry);
  EXPECT_EQ(received, 1);

  spooler.failWrite = true;
  core.Apply(Entry("P"));
  EXPECT_EQ(Shown(), longEntry + ";P; | There is no Default Printer");
  EXPECT_EQ(view.failures, std::vector<std::string>{"message"});
  EXPECT_EQ(received, 1);
}

TEST_F(CoreTest, AChoiceSetsThePrinterItShowsAfterPrintersChangedBehindOurBackOrSaysItHasGone) {
  Start({{"P", ""}, {"Q", ""}, {"R", ""}}, "Q,,");
  // No announcement reaches us: P and the default Q are removed, A is added in front.
  spooler.printers = {{"A", ""}, {"R", ""}};
  core.Apply(Entry("R"));
  EXPECT_EQ(spooler.Default(), "R,,");
  EXPECT_EQ(Shown(), "P;Q;R*; | R");

  const int writes = spooler.writes;
  core.Apply(Entry("P"));
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_EQ(view.failures, std::vector<std::string>{"beep and message"});
  EXPECT_EQ(Shown(), "A;R*; | R");

  // A Windows 95 entry names its port as well: the printer moved to another port is not the one
  // the entry shows.
  spooler.platformId = 1;
  Start({{"L", "LPT1:"}, {"M", "LPT2:"}}, "M,winspool,LPT2:");
  spooler.printers = {{"L", "LPT3:"}, {"M", "LPT2:"}};
  core.Apply(Entry("L"));
  EXPECT_EQ(spooler.Default(), "M,,LPT2:");
  EXPECT_EQ(view.failures.size(), 2u);
}

TEST_F(CoreTest, WithoutADefaultNothingIsCheckedOrWrittenAndOddValuesAreReadAsTheyStand) {
  Start({{"P", ""}, {"Q", ""}}, "Gone,,");
  EXPECT_EQ(Shown(), "P;Q; | There is no Default Printer");
  EXPECT_FALSE(core.DefaultKnown());
  EXPECT_EQ(spooler.Default(), "Gone,,");
  Start({}, "Gone,,");
  EXPECT_TRUE(core.Entries().empty());

  const std::string umlauts = "Drucker \xC4\xD6\xDC";
  const std::tuple<std::vector<TPrinterRecord>, std::string, std::string> cases[] = {
      {{{"P", ""}, {umlauts, ""}}, "\tP,,", umlauts + ";P;"},  // only spaces are skipped
      {{{"P", ""}, {umlauts, ""}}, umlauts + ",winspool,LPT1:", umlauts + "*;P;"},
      {{{"Laser & Co", ""}}, "Laser & Co,,", "Laser & Co*;"},
      {{{"Left,Right", ""}}, "Left,Right,,", "Left,Right;"},  // the profile's first field names no printer
  };
  for (const auto& [printers, profile, menu] : cases) {
    Start(printers, profile);
    EXPECT_EQ(Shown().substr(0, menu.size()), menu) << profile.substr(0, 20);
    core.Apply(0);
    EXPECT_EQ(spooler.Default(), printers[0].Name == "P" ? umlauts + ",," : printers[0].Name + ",,");
  }
  EXPECT_TRUE(view.failures.empty());
}

TEST_F(CoreTest, AChangeElsewhereIsFollowedWrittenBackAndAnnouncedOnceButOurOwnEchoIsNot) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  spooler.SetDefault("P,other,stuff");
  spooler.printers.push_back({"R", ""});
  core.Announced();
  EXPECT_EQ(Shown(), "P*;Q;R; | P");
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(received, 1);
  const unsigned generation = core.Generation();
  {
    TWaiting::TChange own(core.Waiting(), TChangeKind::Announcing);
    core.Announced();
  }
  core.RunWaiting();
  EXPECT_EQ(core.Generation(), generation);
}

// What arrives while the menu is open waits: the printer picked in it becomes the default, and
// the announcement and a right-click are handled after the choice, in the order they came.
TEST_F(CoreTest, WhileTheMenuIsOpenAnnouncementsAndRightClicksWaitForTheChoiceMadeInIt) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  ASSERT_TRUE(core.MenuMayOpen());
  spooler.printers.push_back({"A", ""});  // another program adds a printer and announces it
  core.Announced();
  EXPECT_FALSE(core.MenuMayOpen());
  EXPECT_EQ(Shown(), "P;Q*; | Q");  // the entry the user is about to pick still stands for P
  core.Apply(Entry("P"));
  core.RunWaiting();  // nothing runs while the menu is up
  EXPECT_EQ(view.popups, 0);
  core.MenuClosed();
  core.RunWaiting();
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(Shown(), "A;P*;Q; | P");
  EXPECT_EQ(view.popups, 1);
  EXPECT_TRUE(core.Waiting().Idle());
}

// Under Wine the switch is done before CUPS follows, and nothing waits for CUPS: the menu opens
// and a change made elsewhere is followed while a step runs. Of quick choices only the last is
// sent; a choice in the menu reaches CUPS even for the printer checked already (CUPS's default may
// have been changed from Linux since), while the start's re-application starts no lpoptions.
TEST_F(CoreTest, QuickChoicesSendTheLastToCupsAndEveryChoiceInTheMenuReachesIt) {
  lpoptions.wine = true;
  Start({{"Alpha", "CUPS:Alpha"}, {"Beta", "CUPS:Beta"}, {"Gamma", "CUPS:Gamma"}}, "Alpha,winspool,CUPS:Alpha");
  lpoptions.Gate(false);
  core.Apply(Entry("Beta"));
  lpoptions.Runs(1);
  for (const char* device : {"Gamma", "Alpha", "Gamma"}) core.Apply(Entry(device));
  ASSERT_TRUE(core.MenuMayOpen());
  core.MenuClosed();
  spooler.SetDefault("Alpha,winspool,CUPS:Alpha");  // chosen elsewhere
  core.Announced();
  EXPECT_EQ(core.Tip(), "Alpha");
  EXPECT_EQ(spooler.Default(), "Alpha,,");
  lpoptions.Gate(true);
  lpoptions.Runs(2);
  core.Apply(Entry("Alpha"));  // checked already
  EXPECT_EQ(lpoptions.Runs(3),
            (std::vector<std::string>{"lpoptions -d Beta", "lpoptions -d Alpha", "lpoptions -d Alpha"}));
}

}  // namespace
}  // namespace zv::test
