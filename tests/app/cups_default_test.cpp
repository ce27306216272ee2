#include "app/cups_default.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "FakeDialogs.h"
#include "FakeNotifyIcon.h"
#include "FakeSpooler.h"
#include "app/main_window.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

// lpoptions as the CUPS step sees it; a closed gate holds every run until the test opens it.
class TFakeCups : public TStandIn<ICupsPlatform> {
 public:
  bool wine = true;
  std::string tool = "/usr/bin/lpoptions";  // the one there is
  bool succeed = true;

  bool UnderWine() override { return wine; }
  bool FileExists(const std::string& unixPath) override { return unixPath == tool; }
  bool Run(const std::string& command, DWORD) override {
    std::unique_lock<std::mutex> guard(lock_);
    runs_.push_back(command);
    changed_.notify_all();
    changed_.wait(guard, [this] { return open_; });
    return succeed;
  }
  void Gate(bool open) {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = open;
    changed_.notify_all();
  }
  // Waits until the given number of runs has started; the commands so far.
  std::vector<std::string> Runs(std::size_t started = 0) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::seconds(5), [&] { return runs_.size() >= started; });
    return runs_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = true;
  std::vector<std::string> runs_;
};

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
  TCupsDefault cups(nullptr);
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
  TCupsDefault cups(nullptr);
  lpoptions.succeed = false;
  EXPECT_TRUE(Keep(cups, "Beta"));
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Keep(cups, "Beta"));  // a burst of re-applications
  lpoptions.succeed = true;
  EXPECT_FALSE(Keep(cups, "Alpha", "CUPS:Alpha"));  // CUPS has Alpha still
  EXPECT_TRUE(Keep(cups, "Beta"));                  // a new choice of Beta is tried again
  EXPECT_EQ(lpoptions.Runs().size(), 2u);
}

TEST_F(CupsDefaultTest, RapidSwitchesSendOnlyTheLastChoiceWithoutWaitingForCups) {
  TCupsDefault cups(nullptr);
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

// A switch is done before CUPS follows. A Windows program that starts meanwhile copies CUPS's old
// default into the profile; the choice stands once CUPS has it, and announcements wait till then.
TEST_F(CupsDefaultTest, AChoiceIsNeverUndoneByACopyOfTheOldCupsDefault) {
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TMainForm form(Application);
  form.BuildPrinterMenu();
  form.ApplyDefaultPrinter(-1);
  auto chooseAndCopy = [&](const char* device, const std::string& elsewhere, const std::string& stands) {
    lpoptions.Gate(false);
    const std::size_t runs = lpoptions.Runs().size();
    TMenuItem& items = form.PMenu->Items();
    for (int i = FixedCount + 1; i < items.Count(); ++i)
      if (items.Items(i)->Caption() == device) form.ApplyDefaultPrinter(i);
    lpoptions.Runs(runs + 1);
    spooler.SetDefault(elsewhere);
    SendMessageA(form.Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"));
    EXPECT_EQ(form.TrayForm->ToolTip(), device);  // the announcement waits for CUPS
    lpoptions.Gate(true);
    EXPECT_TRUE(Pump([&] { return spooler.Default() == stands + ",,"; })) << spooler.Default();
    EXPECT_EQ(form.TrayForm->ToolTip(), stands);
  };
  chooseAndCopy("Beta", "Alpha,winspool,CUPS:Alpha", "Beta");
  chooseAndCopy("Alpha", "Gamma,winspool,CUPS:Gamma", "Gamma");  // a printer chosen elsewhere is followed
}

// The shell's notice of a right-click can arrive as a sent message while a change runs (the tool
// tip's call to the shell, the broadcast): the menu comes up after the change, and a choice made
// in it is the last word, for the profile and for CUPS alike.
TEST_F(CupsDefaultTest, ARightClickInTheMiddleOfAChangeShowsTheMenuAfterIt) {
  TFakeNotifyIcon tray;
  TFakeShell shell;
  TMainForm form(Application);
  form.TrayForm->SetActive(true);
  form.BuildPrinterMenu();
  int shown = 0;
  form.TrayForm->OnRightClick = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++shown; };
  tray.During = [&](DWORD) {
    tray.During = nullptr;
    SetTimer(nullptr, 0, 300, &CloseMenu);  // a menu shown now would wait for a choice
    SendMessageA(form.TrayForm->WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
  };
  form.ApplyDefaultPrinter(-1);
  EXPECT_EQ(shown, 0);
  MSG later;
  ASSERT_TRUE(PeekMessageA(&later, form.TrayForm->WindowHandle(), WM_TRAYNOTIFY, WM_TRAYNOTIFY, PM_REMOVE));
  EXPECT_EQ(later.lParam, WM_RBUTTONUP);
}

}  // namespace
}  // namespace zv::test
