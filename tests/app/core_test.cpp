#include "Testing.h"

namespace zv::test {

// The window as the core sees it, noting what the core asks of it; its announcements are real.
class TFakeWindow : public ICoreWindow {
 public:
  void CoreChanged() override {}
  void ReportFailure(bool beep) override { failures.push_back(beep ? "beep and message" : "message"); }
  void PopUpMenu() override { ++popups; }
  void Tell(const char* text) override { told.push_back(text); }
  void Post(TCoreWake what) override {
    std::lock_guard<std::mutex> guard(lock);
    posts.push_back(what);
  }
  void Pace(bool on) override { paced = on; }
  void Announce() override { AnnounceDefaultPrinter(); }
  // Waits a while (two seconds at most) for a post, as the message loop hears the system's notices;
  // true when one came, taken away.
  bool Posted(TCoreWake what, int tries = 40) {
    for (int i = 0; i < tries; ++i, Sleep(50)) {
      Application->ProcessMessages();
      std::lock_guard<std::mutex> guard(lock);
      if (const auto it = std::find(posts.begin(), posts.end(), what); it != posts.end()) return posts.erase(it), true;
    }
    return false;
  }
  int popups = 0;
  bool paced = false;
  std::vector<std::string> failures, told;
  std::mutex lock;
  std::vector<TCoreWake> posts;
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
  TFakeWindow view;
  TPrinterCore core{view, key.Path()};
  // Another top-level window on the desktop, counting the profile-change broadcasts it receives.
  int received = 0;
  TWindow other{TWindowParams{}, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                  if (m == WM_WININICHANGE) ++received;
                  return DefWindowProcA(w, m, wp, lp);
                }};
};

// Without a default nothing is checked or written, and odd values are read as they stand.
TEST_F(CoreTest, WithoutADefaultNothingIsCheckedOrWrittenAndOddValuesAreReadAsTheyStand) {
  Start({}, "Gone,,");
  EXPECT_TRUE(core.Entries().empty());
  // Only spaces are skipped before the name; "&" is no accelerator here, and "\t" no blank.
  Start({{"P", ""}, {"Laser & Co", ""}}, "\tP,,");
  EXPECT_EQ(Shown(), "Laser & Co;P; | There is no Default Printer");
  EXPECT_EQ(spooler.Default(), "\tP,,");
  core.Apply(0);
  EXPECT_EQ(spooler.Default(), "Laser & Co,,");
  EXPECT_TRUE(view.failures.empty());
}

// Names as CUPS and the spooler give them, sorted as people read them, ignoring case: commas,
// " on" and other scripts inside a name are the name. A start never makes another printer the default, a choice sets exactly its printer, and a
// value that would read as another printer, or a name the system could not give whole, is refused.
TEST_F(CoreTest, EveryPrinterNameIsTakenWholeAndNeverWrittenAsAnotherPrinter) {
  const std::string office = "Office,2F", kanji = "\xE4\xBA\x8B\xE5\x8B\x99\xE6\x89\x80";  // 事務所
  Start({{"Office", ""}, {office, ""}, {"HP on 2nd floor", ""}, {"canon online", ""}, {kanji, ""}},
        office + ",wineps.drv,CUPS:" + office);
  EXPECT_EQ(Shown(), kanji + ";canon online;HP on 2nd floor;Office;Office,2F*; | Office,2F");
  EXPECT_EQ(spooler.Default(), office + ",,");
  for (const std::string& name : {kanji, std::string("Office"), office}) {
    core.Apply(Entry(name));
    EXPECT_EQ(spooler.Default(), name + ",,");
  }
  Start({{std::string(79, 'x') + kanji, ""}, {"A", ""}, {"A,", ""}}, "A,,,");
  EXPECT_EQ(core.Entries()[2].Caption, std::string(79, 'x') + kanji.substr(0, 3));  // 80 characters, none cut in half
  core.Apply(Entry("A"));  // "A,," would name "A,"
  EXPECT_EQ(spooler.Default(), "A,,,");
  Start({{"B", ""}, {"B??", "", false}}, "B,,");
  core.Apply(Entry("B??"));
  EXPECT_EQ(spooler.Default(), "B,,");
  EXPECT_EQ(view.failures, (std::vector<std::string>{"message", "message"}));
  spooler.SetDefault("B??,,");  // named so by the system: checked, left as it is
  core.Refresh();
  EXPECT_EQ(Shown(), "B;B??*; | B??");
  EXPECT_EQ(spooler.Default(), "B??,,");
  EXPECT_EQ(view.failures.size(), 2u);
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

// Only a value that was written is checked and announced to the others, once; our own echo is no change.
TEST_F(CoreTest, AChoiceOrAChangeElsewhereIsWrittenWholeCheckedAndAnnouncedOnceAndAFailedWriteIsNeither) {
  const std::string longName(300, 'L'), longEntry = longName.substr(0, 80);
  Start({{"P", ""}, {longName, ""}}, "P,winspool,Ne00:");
  EXPECT_EQ(spooler.Default(), "P,,");
  core.Apply(Entry(longEntry));
  EXPECT_EQ(spooler.Default(), longName + ",,");
  EXPECT_EQ(Shown(), longEntry + "*;P; | " + longEntry);
  spooler.SetDefault("P,other,stuff");
  spooler.printers.push_back({"R", ""});
  core.Announced();
  EXPECT_EQ(Shown(), longEntry + ";P*;R; | P");
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(received, 2);
  const unsigned generation = core.Generation();
  {
    TWaiting::TChange own(core.Waiting(), TChangeKind::Announcing);
    core.Announced();
  }
  core.Wake(TCoreWake::RunWaiting);
  EXPECT_EQ(core.Generation(), generation);

  spooler.failWrite = true;
  core.Apply(Entry(longEntry));
  EXPECT_EQ(Shown(), longEntry + ";P*;R; | P");  // the default that stood still stands
  EXPECT_EQ(view.failures, std::vector<std::string>{"message"});
  EXPECT_EQ(received, 2);
}

// What arrives while the menu is open waits: the printer picked in it becomes the default, and
// the announcement is handled after the choice; a right-click on the icon meanwhile opens no
// second menu. One during another change shows the menu after it.
TEST_F(CoreTest, WhileTheMenuIsOpenAnnouncementsWaitForTheChoiceMadeInIt) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  ASSERT_TRUE(core.MenuMayOpen());
  spooler.printers.push_back({"A", ""});  // another program adds a printer and announces it
  core.Announced();
  EXPECT_FALSE(core.MenuMayOpen());
  EXPECT_EQ(Shown(), "P;Q*; | Q");  // the entry the user is about to pick still stands for P
  core.Apply(Entry("P"));
  core.Wake(TCoreWake::RunWaiting);  // nothing runs while the menu is up
  EXPECT_EQ(view.popups, 0);
  core.MenuClosed();
  core.Wake(TCoreWake::RunWaiting);
  EXPECT_EQ(spooler.Default(), "P,,");
  EXPECT_EQ(Shown(), "A;P*;Q; | P");
  EXPECT_EQ(view.popups, 0);
  {
    TWaiting::TChange rebuilding(core.Waiting(), TChangeKind::Rebuilding);
    EXPECT_FALSE(core.MenuMayOpen());
  }
  core.Wake(TCoreWake::RunWaiting);
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

// Windows 10 and later make the printer used last the default while they manage it: only a
// choice in the menu turns that off and tells the user once, unless an administrator says no;
// UnInstall puts back what was found unless the user set the switch since.
TEST_F(CoreTest, OnlyAChoiceInTheMenuStopsWindowsManagingTheDefaultAndUnInstallPutsItBack) {
  TFakeWindows windows;
  const TTestKey policies[] = {TTestKey(kPolicyKey), TTestKey(kPolicyKey, HKEY_LOCAL_MACHINE)};
  const struct { TWindowsVersion version; const char *before, *chosen; HKEY policyRoot; DWORD policy; const char *userSets, *unInstalled; } rows[] = {
      {{10, 0, 19045}, "none", "1", nullptr, 0, nullptr, "none"},
      {{10, 0, 19045}, "none", "1", nullptr, 0, "0", "0"},  // the user's own setting stays
      {{10, 0, 19045}, "0", "1", nullptr, 0, "none", "none"},
      {{10, 0, 10240}, "0", "0", nullptr, 0, nullptr, "0"},
      {{6, 3, 9600}, "none", "none", nullptr, 0, nullptr, "none"},
      {{10, 0, 19045}, "1", "1", nullptr, 0, nullptr, "1"},
      {{10, 0, 19045}, "0", "0", HKEY_LOCAL_MACHINE, 1, nullptr, "0"},
      {{10, 0, 19045}, "none", "none", HKEY_CURRENT_USER, 1, nullptr, "none"},
      {{10, 0, 19045}, "0", "1", HKEY_LOCAL_MACHINE, 0, nullptr, "0"},
  };
  for (const auto& row : rows) {
    const std::string what = std::to_string(row.version.Build) + " " + row.before + " " + std::to_string(row.policy);
    key.Remove();
    for (const TTestKey& policy : policies) policy.Remove();
    if (row.policyRoot) TTestKey::SetRaw(kPolicyKey, kKeepManagingPolicy, REG_DWORD, &row.policy, 4, row.policyRoot);
    core.PolicyChanged();  // as the registry tells the running program
    windows.version = row.version;
    windows.SetMode(row.before);
    Start({{"P", ""}, {"Q", ""}}, "P,,");
    spooler.SetDefault("Q,,");
    core.Announced();  // followed, written back and announced
    EXPECT_EQ(windows.Mode(), row.before) << what;
    view.told.clear();
    received = 0;
    core.Apply(Entry("P"));
    const bool changed = std::string(row.chosen) != row.before;
    EXPECT_EQ(windows.Mode(), row.chosen) << what;
    EXPECT_EQ(view.told.size(), changed ? 1u : 0u) << what;
    if (row.userSets) windows.SetMode(row.userSets);
    core.UnInstall();
    EXPECT_EQ(windows.Mode(), row.unInstalled) << what;
    EXPECT_EQ(received, changed && !row.userSets ? 2 : 1) << what << ": one announcement a change";
  }
  // A value of another type or size is the user's own, whatever it holds: a choice and UnInstall leave it.
  for (const auto& [type, size] : {std::pair<DWORD, DWORD>{REG_DWORD, 0}, {REG_DWORD, 8}, {REG_NONE, 4}, {REG_BINARY, 4}}) {
    key.Remove();
    TTestKey::SetRaw(kWindowsKey, kLegacyModeValue, type, "\0\0\0\0\0\0\0", size);
    core.Apply(Entry("Q"));
    core.UnInstall();
    const auto raw = TTestKey::GetRaw(kWindowsKey, kLegacyModeValue);
    EXPECT_TRUE(raw.found && raw.type == type && raw.data == std::vector<std::uint8_t>(size)) << type << " " << size;
  }
  key.Remove();  // turned back on by the user and chosen again: off again, told no more
  windows.SetMode("0");
  view.told.clear();
  core.Apply(Entry("Q"));
  windows.SetMode("0");
  core.Apply(Entry("P"));
  EXPECT_EQ(windows.Mode(), "1");
  EXPECT_EQ(view.told, std::vector<std::string>{kWindowsStopsManaging});
}

// The core reaches its window only through the seam: work kept during a change wakes it once the
// change has ended; the network is looked at on an interval only where no notice comes or the
// router has yet to answer. A policy deployed while the program runs, with nothing announced, is
// told by the registry, once; the network is watched from then on and the rule applies at the
// next move. A rule naming a printer that cannot be written changes nothing and says nothing.
TEST_F(CoreTest, TheWindowIsWokenForWaitingWorkTheIntervalAndAPolicyDeployedMeanwhile) {
  TFakeNetwork net;
  const TTestKey user{kPolicyKey};
  Start({{"A", ""}, {"B", ""}, {"C??", "", false}}, "A,,");
  {
    TWaiting::TChange rebuilding(core.Waiting(), TChangeKind::Rebuilding);
    core.Announced();
    EXPECT_TRUE(view.posts.empty());
  }
  EXPECT_EQ(view.posts, std::vector<TCoreWake>{TCoreWake::RunWaiting});
  view.posts.clear();
  net.network = "10.1.0.1 office";
  core.StartWatching();
  EXPECT_FALSE(view.paced);  // nothing asks for moves
  user.Set(kPolicyNetworksKey, "office", "B");
  user.Set(kPolicyNetworksKey, "lab", "C??");
  ASSERT_TRUE(view.Posted(TCoreWake::PolicyChanged));
  core.Wake(TCoreWake::PolicyChanged);
  EXPECT_FALSE(view.Posted(TCoreWake::PolicyChanged, 6));  // reading it is no change of it
  EXPECT_TRUE(view.paced);  // no notices of route changes: an interval
  EXPECT_EQ(spooler.Default(), "A,,");  // where the machine is now is no move
  for (const char* network : {"10.2.0.1 office", "10.3.0.1 lab"}) {
    net.network = network;
    core.Wake(TCoreWake::LookAtNetwork);
    EXPECT_EQ(spooler.Default(), "B,,") << network;
  }
  EXPECT_EQ(Shown(), "A;B*;C??; | B");
  EXPECT_TRUE(view.failures.empty());
  net.notices = true;  // where the system tells of moves, only a router yet to answer is looked for
  core.WatchNetwork();
  EXPECT_TRUE(view.paced);
  net.network = "10.3.0.1 lab 02-00-00-00-04-04";
  core.Wake(TCoreWake::RouteChanged);
  EXPECT_FALSE(view.paced);
  user.Remove();
  ASSERT_TRUE(view.Posted(TCoreWake::PolicyChanged));
  core.Wake(TCoreWake::PolicyChanged);
  EXPECT_EQ(net.told, nullptr);  // no longer watched: no notice is asked for
}

}  // namespace zv::test
