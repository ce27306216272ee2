#include "app/cups_default.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "FakeCups.h"
#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "MainForm.h"
#include "app/Messages.h"
#include "framework/Application.h"
#include "framework/Window.h"

namespace zv::test {
namespace {

class CupsDefaultTest : public testing::Test {
 protected:
  void SetUp() override {
    spooler.SetDefault("Alpha,winspool,CUPS:Alpha");  // CUPS's default when the program started
    spooler.printers = {{"Alpha", "CUPS:Alpha"}, {"Beta", "CUPS:Beta"}, {"Gamma", "CUPS:Gamma"},
                        {"Local", "LPT1:"},      {"Odd", "CUPS:a b"}};
  }
  bool Keep(TCupsDefault& cups, const std::string& device, const std::string& port = "") {
    const bool handed = cups.Keep(device, port);
    while (cups.Busy()) Sleep(1);
    return handed;
  }
  TFakeSpooler spooler;
  TFakeCups lpoptions;
};

TEST_F(CupsDefaultTest, ACupsQueueBecomesTheUsersCupsDefaultOnceOnlyWhenItDiffersAndOnlyUnderWine) {
  TCupsDefault cups(nullptr, 0);
  EXPECT_FALSE(Keep(cups, "Alpha"));  // the re-application at start-up: CUPS has it already
  EXPECT_TRUE(Keep(cups, "Beta"));    // Windows NT entries: the port comes from the spooler
  EXPECT_FALSE(Keep(cups, "Beta"));
  EXPECT_TRUE(Keep(cups, "Alpha", "CUPS:Alpha"));  // Windows 95 entries carry the port
  EXPECT_FALSE(Keep(cups, "Local"));               // no CUPS queue
  EXPECT_FALSE(Keep(cups, "Odd"));                 // a name not to put on a command line
  lpoptions.wine = false;
  EXPECT_FALSE(Keep(cups, "Beta"));
  lpoptions.wine = true;
  lpoptions.tool = "/usr/local/bin/lpoptions";
  EXPECT_TRUE(Keep(cups, "Beta"));
  lpoptions.tool.clear();
  Keep(cups, "Alpha", "CUPS:Alpha");  // no tool: nothing runs
  EXPECT_EQ(lpoptions.Runs(), (std::vector<std::string>{"/usr/bin/lpoptions -d Beta", "/usr/bin/lpoptions -d Alpha",
                                                        "/usr/local/bin/lpoptions -d Beta"}));
}

TEST_F(CupsDefaultTest, AFailedRunIsNotRepeatedUntilAnotherPrinterIsChosen) {
  TCupsDefault cups(nullptr, 0);
  lpoptions.succeed = false;
  EXPECT_TRUE(Keep(cups, "Beta"));
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Keep(cups, "Beta"));  // a burst of re-applications
  lpoptions.succeed = true;
  EXPECT_FALSE(Keep(cups, "Alpha", "CUPS:Alpha"));  // CUPS has Alpha still
  EXPECT_TRUE(Keep(cups, "Beta"));                  // a new choice of Beta is tried again
  EXPECT_EQ(lpoptions.Runs().size(), 2u);
}

TEST_F(CupsDefaultTest, RapidSwitchesSendOnlyTheLastChoiceWithoutWaitingForCups) {
  TCupsDefault cups(nullptr, 0);
  lpoptions.Gate(false);
  EXPECT_TRUE(cups.Keep("Beta", ""));
  lpoptions.Runs(1);  // Beta is being sent and takes its time
  for (const char* device : {"Gamma", "Alpha", "Beta", "Gamma"}) cups.Keep(device, "");
  EXPECT_TRUE(cups.Busy());
  EXPECT_TRUE(cups.Superseded("Alpha"));
  EXPECT_FALSE(cups.Superseded("Beta"));
  lpoptions.Gate(true);
  while (cups.Busy()) Sleep(1);
  EXPECT_EQ(lpoptions.Runs(), (std::vector<std::string>{"/usr/bin/lpoptions -d Beta", "/usr/bin/lpoptions -d Gamma"}));
}

// The window's part: CUPS's notice reaches the core, and a moment later the profile is looked at
// once more. A Windows program that read CUPS's old default just before may write it only then.
TEST_F(CupsDefaultTest, AfterCupsSettledALateCopyOfItsOldDefaultIsWrittenOverAndAnnounced) {
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TMainForm form(Application);
  form.Core().Refresh();
  int received = 0;
  TWindow other{TWindowParams{}, [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                  if (m == WM_WININICHANGE) ++received;
                  return DefWindowProcA(w, m, wp, lp);
                }};
  form.ApplyDefaultPrinter(FixedCount + 2);  // Beta
  ASSERT_TRUE(Pump([&] { return form.Core().Waiting().Idle(); }));
  Pump();
  spooler.SetDefault("Alpha,winspool,CUPS:Alpha");
  received = 0;
  EXPECT_TRUE(Pump([&] { return spooler.Default() == "Beta,,"; })) << spooler.Default();
  EXPECT_EQ(received, 1);
  EXPECT_EQ(form.TrayForm->ToolTip(), "Beta");
}

}  // namespace
}  // namespace zv::test
