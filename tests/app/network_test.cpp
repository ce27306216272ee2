#include "Testing.h"

namespace zv::test {

// An address as the routing table holds it: network byte order.
DWORD Ip(DWORD a, DWORD b, DWORD c, DWORD d) { return a | b << 8 | c << 16 | d << 24; }
TRoute Default(DWORD gateway, DWORD index, DWORD metric) { return {0, 0, gateway, index, metric}; }

const DWORD kHome = Ip(192, 168, 1, 1), kWork = Ip(10, 0, 0, 1);
const TRoute kLocal{Ip(192, 168, 1, 0), Ip(255, 255, 255, 0), 0, 1, 1};  // on-link, not a way out
const std::vector<TAdapterInfo> kAdapters{{1, "Home.LAN"}, {2, "corp.example.com"}};
const std::string kRouter = "02-00-00-00-01-01";
const std::vector<TNeighbour> kNeighbours{{kHome, 1, kRouter}, {kWork, 2, "00-00-00-00-00-00"}, {kWork, 1, kRouter}};

TEST(LookAtTables, NamesTheWayOutAsARegistryKeyName) {
  const TRoute home = Default(kHome, 1, 5);
  const DWORD vpn = Ip(10, 8, 0, 1), half = Ip(128, 0, 0, 0);
  const std::string cut(200 - 11 - 2 - 23, 'x');  // what of a long suffix fits beside any router's address
  // clang-format off
  const struct { std::vector<TRoute> routes; std::vector<TAdapterInfo> adapters; std::vector<TNeighbour> neighbours; std::string identity; } cases[] = {
      {{}, kAdapters, kNeighbours, ""},  // no default route (an on-link one is none: the lowest metric below)
      {{Default(kWork, 2, 5), Default(0, 1, 1)}, kAdapters, kNeighbours, ""},  // the best one has no gateway
      // The lowest metric; a router address of zeros, or one known on another interface only, is not known.
      {{kLocal, Default(kHome, 1, 10), Default(kWork, 2, 5)}, kAdapters, kNeighbours, "10.0.0.1 corp.example.com"},
      // Equal metrics: the lowest interface, then the lowest gateway.
      {{Default(kWork, 2, 5), Default(Ip(192, 168, 2, 1), 1, 5), Default(Ip(192, 168, 1, 9), 1, 5)}, kAdapters, {}, "192.168.1.9 home.lan"},
      {{home}, kAdapters, kNeighbours, "192.168.1.1 home.lan " + kRouter},
      {{home}, {}, kNeighbours, "192.168.1.1  " + kRouter},
      {{home}, {{1, ""}}, {}, "192.168.1.1"},
      {{home}, {{1, "Bad\\Name\x01 \xC3\xA9"}}, {}, "192.168.1.1 bad_name____"},
      {{home}, {{1, std::string(300, 'x')}}, kNeighbours, "192.168.1.1 " + cut + " " + kRouter},
      {{home}, {{1, std::string(300, 'x')}}, {}, "192.168.1.1 " + cut},
      // A VPN's halves of the address space, however good their metric, are not where the machine is.
      {{{0, half, vpn, 3, 1}, {half, half, vpn, 3, 1}, home}, kAdapters, kNeighbours, "192.168.1.1 home.lan " + kRouter},
      {{{0, half, vpn, 3, 1}, {half, half, vpn, 3, 1}, kLocal}, kAdapters, kNeighbours, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string key = LookAtTables(c.routes, c.adapters, c.neighbours).Network.Key();
    EXPECT_EQ(key, c.identity);  // and read back into its parts, as another engineer's rules would
    EXPECT_EQ(TNetwork::FromKey(key).value_or(TNetwork{}).Key(), key);
  }
  for (const char* foreign : {"", " home.lan", "10.0.0.1 a b c", "10.0.0.1 a "}) EXPECT_FALSE(TNetwork::FromKey(foreign)) << foreign;
}

class NetworkPrintersTest : public FormTest {
 protected:
  void SetUp() override {
    Start({{"A", "LPT1:"}, {"B", "LPT2:"}, {"C", "LPT3:"}}, "C,,");
    form.mRememberPerNetwork->Click();
  }
  void MoveTo(const std::string& network) {
    net.network = network;
    form.Core().LookAtNetwork();
  }
  struct TStep { std::string network, act, expected; };
  // The machine moves to each network ("": none), then the user chooses a printer or, "=P": P is made
  // the default elsewhere; "+": the option is clicked; "!": an announcement that changes nothing.
  void Walk(const std::vector<TStep>& steps) {
    for (const TStep& step : steps) {
      MoveTo(step.network);
      if (step.act == "+") form.mRememberPerNetwork->Click();
      else if (step.act == "!") Announce();
      else if (step.act[0] == '=') spooler.SetDefault(step.act.substr(1) + ",,"), Announce();
      else if (!step.act.empty()) Entry(step.act)->Click();
      EXPECT_EQ(spooler.Default(), step.expected + ",,") << step.network << " " << step.act;
    }
  }
  TFakeNetwork net;
};

TEST_F(NetworkPrintersTest, WhatCannotNameAnInstalledPrinterIsIgnored) {
  key.Set("Networks\\number", "Device", 7);
  key.Set("Networks\\gone", "Device", "Z");
  key.Set("Networks\\other port", "Device", "A");
  key.Set("Networks\\other port", "Port", "LPT9:");
  key.Set("Networks\\no port", "Device", "B");
  for (const char* network : {"no port", "number", "gone", "other port"}) {
    MoveTo(network);
    EXPECT_EQ(spooler.Default(), "C,,") << network;
  }
  key.Set("Networks\\no port", "Port", "");
  TFakeWindows windows;
  windows.SetMode("0");
  MoveTo("no port");
  EXPECT_EQ(spooler.Default(), "B,,");
  EXPECT_EQ(windows.Mode(), "0");  // the program's choice, not the user's: Windows keeps managing
}

// Each network gets back the printer last made the default on it, chosen or followed; one network is
// one network on every visit, whether or not its router had answered when the machine came; two
// routers behind one gateway address are two networks. With the option off nothing follows a move.
TEST_F(NetworkPrintersTest, TheSameNetworkOnEveryVisitAndTwoRoutersNeverOne) {
  const std::string home = "192.168.1.1 home", house = home + " " + kRouter, flat = home + " 02-00-00-00-02-02";
  TTestKey::SetRaw("Software\\Zorvane\\Networks\\10.3.0.1 lab", "Device", REG_SZ, "A", 2);  // before routers counted
  TTestKey::SetRaw("Software\\Zorvane\\Networks\\10.3.0.1 lab", "Port", REG_SZ, "", 1);
  Walk({
      {house, "A", "A"}, {"", "", "A"}, {flat, "", "A"}, {flat, "B", "B"},
      {house, "", "A"}, {flat, "", "B"},                 // the same gateway, another router: another network
      {"", "", "B"}, {home, "", "B"}, {house, "", "A"},  // which router, only its answer tells
      {"", "", "A"}, {home, "C", "C"}, {flat, "", "C"},  // chosen before the router answered: the router's
      {house, "", "A"}, {flat, "", "C"},
      {house, "", "A"}, {home, "B", "B"}, {house, "", "B"}, {flat, "", "C"}, {house, "", "B"},  // an entry that lapsed
      {"10.1.0.1 office 02-00-00-00-03-03", "A", "A"}, {"", "", "A"}, {house, "", "B"}, {"", "", "B"},
      {"10.1.0.1 office", "", "A"},  // the only router behind that gateway
      {house, "", "B"}, {"10.1.0.1 office 02-00-00-00-06-06", "", "B"},
      {"10.1.0.1 office", "", "B"},  // an entry that lapsed at another router is no move to the one known
      {"10.3.0.1 lab 02-00-00-00-04-04", "", "A"},  // what was chosen there before routers counted
      {"10.4.0.1 shop", "C", "C"}, {"", "", "C"}, {house, "", "B"},
      {"10.4.0.1 shop 02-00-00-00-05-05", "", "C"},  // a visit its router never answered
      {"10.5.0.1 park", "=A", "A"}, {house, "", "B"}, {"10.5.0.1 park", "", "A"},  // followed from elsewhere: remembered
      {"", "+", "A"}, {house, "", "A"},  // the option off: nothing follows
      {home, "+", "A"}, {house, "", "A"},  // turned on before the router answered: its answer is no move
  });
  for (const char* left : {"192.168.1.1 home", "10.1.0.1 office", "10.3.0.1 lab", "10.4.0.1 shop"})
    EXPECT_FALSE(TTestKey::Exists("Software\\Zorvane\\Networks\\" + std::string(left)));
}

// An organisation's rules set the printer of a network whether or not the user remembers printers;
// the user's own choice there wins, with the option on. A rule's printer is never the user's, also
// one that was the default as the machine came and an announcement about something else followed;
// a remembered printer that has gone is forgotten and the rule applies. A printer not installed is
// no failure to report; the system's notice of a policy change is no change of printer.
TEST_F(NetworkPrintersTest, ARuleSetsThePrinterOfItsNetworkAndOnlyTheUsersOwnChoiceThereWins) {
  TTestKey machine{kPolicyKey, HKEY_LOCAL_MACHINE}, user{kPolicyKey};
  machine.Set(kPolicyNetworksKey, "10.1.0.0/16", "a");  // as the system compares printer names
  machine.Set(kPolicyNetworksKey, "10.9.0.0/16", "Z");  // not installed
  user.Set(kPolicyNetworksKey, "office", "C");
  const auto remembered = [](const std::string& network) { return TTestKey::Exists("Software\\Zorvane\\Networks\\" + network); };
  Walk({{"10.3.0.1 office", "", "C"}});
  Send(WM_SETTINGCHANGE, "Environment");
  EXPECT_FALSE(remembered("10.3.0.1 office"));
  user.Set(kPolicyNetworksKey, "office", "B");
  key.Set("Networks\\10.4.0.1 office", "Device", "Z");
  key.Set("Networks\\10.4.0.1 office", "Port", "");
  Walk({{"10.1.0.1 office", "", "A"}, {"10.3.0.1 office", "", "B"}, {"10.9.0.1 office", "", "B"},
        {"10.1.0.1 office", "", "A"}, {"10.4.0.1 office", "", "B"},
        {"10.1.0.1 office", "C", "C"}, {"10.2.0.1 office", "", "B"}, {"10.1.0.1 office", "", "C"},
        {"10.2.0.1 office", "!", "B"}, {"10.2.0.1 office", "+", "B"}, {"10.1.0.1 office", "", "A"}});  // off: the rule
  EXPECT_FALSE(remembered("10.4.0.1 office") || remembered("10.2.0.1 office"));
  EXPECT_TRUE(dialogs.messages.empty());
  spooler.SetDefault("B,,");
  Send(WM_SETTINGCHANGE, "Policy");
  EXPECT_EQ(form.TrayForm->ToolTip(), "A");
  Announce();
  EXPECT_EQ(form.TrayForm->ToolTip(), "B");
}

// Where the system tells of route changes, each notice answers one request: the next is asked for at
// once, so that every move is seen, not only the first.
TEST_F(NetworkPrintersTest, EveryRouteChangeNoticeIsFollowedAndTheNextOneAskedFor) {
  net.notices = true;
  net.network = "10.1.0.1 office";
  form.Core().WatchNetwork();
  Entry("A")->Click();
  net.network = "10.2.0.1 home";
  net.Notice();
  Entry("B")->Click();
  const int requests = net.requests;
  for (const char* network : {"10.1.0.1 office", "10.2.0.1 home", "10.1.0.1 office"}) {
    net.network = network;
    net.Notice();
    EXPECT_EQ(spooler.Default(), network[3] == '1' ? "A,," : "B,,") << network;
  }
  EXPECT_EQ(net.requests, requests + 3);
  net.network = "10.3.0.1 lab";  // no notice tells when the router answers: it is looked for at an interval
  net.Notice();
  EXPECT_TRUE(KillTimer(form.Handle(), kNetworkTimer));
  net.Notice();
  MoveTo("10.3.0.1 lab 02-00-00-00-04-04");
  EXPECT_FALSE(KillTimer(form.Handle(), kNetworkTimer));
}

}  // namespace zv::test
