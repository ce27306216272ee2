#include "app/NetworkPrinters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "FakeWindows.h"
#include "RegistryFixture.h"
#include "MainForm.h"
#include "app/Messages.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

// An address as the routing table holds it: network byte order.
DWORD Ip(DWORD a, DWORD b, DWORD c, DWORD d) { return a | b << 8 | c << 16 | d << 24; }
TRoute Default(DWORD gateway, DWORD index, DWORD metric) { return {0, 0, gateway, index, metric}; }

const DWORD kHome = Ip(192, 168, 1, 1), kWork = Ip(10, 0, 0, 1);
const TRoute kLocal{Ip(192, 168, 1, 0), Ip(255, 255, 255, 0), 0, 1, 1};  // on-link, not a way out
const std::vector<TAdapterInfo> kAdapters{{1, "Home.LAN"}, {2, "corp.example.com"}};
const std::string kRouter = "02-00-00-00-01-01";
const std::vector<TNeighbour> kNeighbours{{kHome, 1, kRouter}, {kWork, 2, "00-00-00-00-00-00"}, {kWork, 1, kRouter}};

TEST(NetworkIdentity, NamesTheWayOutAsARegistryKeyName) {
  const TRoute home = Default(kHome, 1, 5);
  const std::string cut(200 - 12 - 18, 'x');  // what of a long suffix fits beside the router's address
  // clang-format off
  const struct { std::vector<TRoute> routes; std::vector<TAdapterInfo> adapters; std::vector<TNeighbour> neighbours; std::string identity; } cases[] = {
      {{}, kAdapters, kNeighbours, ""},
      {{kLocal}, kAdapters, kNeighbours, ""},  // no default route
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
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(NetworkIdentity(c.routes, c.adapters, c.neighbours), c.identity);
}

TEST(RouteSignature, FollowsTheChosenDefaultRouteOnly) {
  const std::string home = RouteSignature({Default(kHome, 1, 10), kLocal});
  EXPECT_NE(home, "");
  EXPECT_EQ(RouteSignature({{Ip(172, 16, 0, 0), Ip(255, 240, 0, 0), kHome, 1, 1}, Default(kHome, 1, 10)}), home);
  EXPECT_NE(RouteSignature({Default(kWork, 1, 10), kLocal}), home);
  EXPECT_NE(RouteSignature({Default(kHome, 2, 10)}), home);
  EXPECT_EQ(RouteSignature({kLocal}), "");
}

class TFakeNetwork : public TStandIn<INetworkCalls> {
 public:
  std::string network;
  int reads = 0;  // of more than the routing table
  std::string CurrentNetwork() override { return ++reads, network; }
  std::string RouteSignature() override { return "route to " + network; }
  bool notices = false;  // the system tells of route changes (not under Wine)
  int requests = 0;
  bool AwaitRouteChange(HWND, UINT) override { return ++requests, notices; }
};

class NetworkPrintersTest : public testing::Test {
 protected:
  void SetUp() override {
    spooler.printers = {{"A", "LPT1:"}, {"B", "LPT2:"}, {"C", "LPT3:"}};
    spooler.SetDefault("C,,");
    form.BuildPrinterMenu();
    form.ApplyDefaultPrinter(-1);
    form.Core().Options.RememberPerNetwork = true;
    form.Core().WatchNetwork();
  }
  void Choose(const std::string& device) {
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == device) form.ApplyDefaultPrinter(i);
  }
  void MoveTo(const std::string& network) {
    net.network = network;
    form.Core().LookAtNetwork();
  }
  TTestKey key{"Software\\Zorvane"};
  TFakeSpooler spooler;
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TFakeNetwork net;
  TMainForm form{Application};
};

TEST_F(NetworkPrintersTest, EachNetworkGetsBackThePrinterLastChosenOnItAndNothingElseMoves) {
  net.network = "10.1.0.1 office";
  form.Core().WatchNetwork();
  Choose("A");
  MoveTo("10.2.0.1 home");  // nothing remembered here yet
  EXPECT_EQ(spooler.Default(), "A,,");
  Choose("B");
  spooler.SetDefault("C,,");  // set elsewhere and followed: remembered too
  SendMessageA(form.Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"));
  MoveTo("");  // no network: nothing applied
  EXPECT_EQ(spooler.Default(), "C,,");
  MoveTo("10.1.0.1 office");
  EXPECT_EQ(spooler.Default(), "A,,");
  EXPECT_EQ(form.TrayForm->ToolTip(), "A");
  MoveTo("10.2.0.1 home");
  EXPECT_EQ(spooler.Default(), "C,,");
  const int reads = net.reads;
  for (int i = 0; i < 10; ++i) form.Core().LookAtNetwork();  // while nothing moves, only the routes are read
  EXPECT_EQ(net.reads, reads);

  form.Core().Options.RememberPerNetwork = false;
  form.Core().WatchNetwork();
  MoveTo("10.1.0.1 office");
  EXPECT_EQ(spooler.Default(), "C,,");
  form.DeleteSettingsKey();  // as UnInstall and a fresh start do: the networks go with the options
  EXPECT_FALSE(TTestKey::Exists(key.Path()));
}

TEST_F(NetworkPrintersTest, WhatCannotNameAnInstalledPrinterIsIgnoredAmongHundredsOfNetworks) {
  const std::string networks = "Software\\Zorvane\\Networks\\";
  for (int i = 0; i < 300; ++i)
    TTestKey::SetRaw(networks + "net " + std::to_string(i), "Device", REG_SZ, "B", 2);
  const DWORD number = 7;
  TTestKey::SetRaw(networks + "number", "Device", REG_DWORD, &number, 4);
  TTestKey::SetRaw(networks + "empty", "Device", REG_SZ, "", 1);
  TTestKey::SetRaw(networks + "gone", "Device", REG_SZ, "Z", 2);
  TTestKey::SetRaw(networks + "other port", "Device", REG_SZ, "A", 2);
  TTestKey::SetRaw(networks + "other port", "Port", REG_SZ, "LPT9:", 6);
  for (const char* network : {"number", "empty", "gone", "other port", "net 299"}) {
    MoveTo(network);
    EXPECT_EQ(spooler.Default(), "C,,") << network;
  }
  TTestKey::SetRaw(networks + "net 150", "Port", REG_SZ, "", 1);
  TFakeWindows windows;
  windows.SetMode("0");
  MoveTo("net 150");
  EXPECT_EQ(spooler.Default(), "B,,");
  EXPECT_EQ(windows.Mode(), "0");  // the program's choice, not the user's: Windows keeps managing
}

// Where the system tells of route changes, each notice answers one request: the next is asked for at
// once, so that every move is seen, not only the first.
TEST_F(NetworkPrintersTest, EveryRouteChangeNoticeIsFollowedAndTheNextOneAskedFor) {
  net.notices = true;
  net.network = "10.1.0.1 office";
  form.Core().WatchNetwork();
  Choose("A");
  net.network = "10.2.0.1 home";
  SendMessageA(form.Handle(), WM_ROUTECHANGED, 0, 0);
  Choose("B");
  const int requests = net.requests;
  for (const char* network : {"10.1.0.1 office", "10.2.0.1 home", "10.1.0.1 office"}) {
    net.network = network;
    SendMessageA(form.Handle(), WM_ROUTECHANGED, 0, 0);
    EXPECT_EQ(spooler.Default(), network[3] == '1' ? "A,," : "B,,") << network;
  }
  EXPECT_EQ(net.requests, requests + 3);
}

}  // namespace
}  // namespace zv::test
