#include "app/cups_default.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeSpooler.h"

namespace zv::test {
namespace {

class TFakeCups : public TStandIn<ICupsPlatform> {
 public:
  bool wine = true;
  std::vector<std::string> files = {"/usr/bin/lpoptions"};
  bool succeed = true;
  std::vector<std::string> runs;

  bool UnderWine() override { return wine; }
  std::string FindFile(const std::string& unixPath) override {
    for (const auto& f : files)
      if (f == unixPath) return "Z:" + unixPath;
    return "";
  }
  bool Run(const std::string& commandLine, DWORD) override {
    runs.push_back(commandLine);
    return succeed;
  }
};

class CupsDefaultTest : public testing::Test {
 protected:
  void SetUp() override {
    spooler.SetDefault("Alpha,winspool,CUPS:Alpha");
    InitCupsDefault();  // CUPS's default when the program started: Alpha
    spooler.printers = {{"Alpha", "CUPS:Alpha"}, {"Beta", "CUPS:Beta"}, {"Local", "LPT1:"}, {"Odd", "CUPS:a b"}};
  }
  TFakeSpooler spooler;
  TFakeCups cups;
};

TEST_F(CupsDefaultTest, ACupsQueueBecomesTheUsersCupsDefaultOnceOnlyWhenItDiffersAndOnlyUnderWine) {
  EXPECT_FALSE(KeepCupsDefault("Alpha", ""));  // the re-application at start-up: CUPS has it already
  EXPECT_TRUE(KeepCupsDefault("Beta", ""));    // Windows NT entries: the port comes from the spooler
  EXPECT_FALSE(KeepCupsDefault("Beta", ""));
  EXPECT_TRUE(KeepCupsDefault("Alpha", "CUPS:Alpha"));  // Windows 95 entries carry the port
  EXPECT_FALSE(KeepCupsDefault("Local", ""));           // no CUPS queue
  EXPECT_FALSE(KeepCupsDefault("Odd", ""));             // a name not to put on a command line
  cups.wine = false;
  EXPECT_FALSE(KeepCupsDefault("Beta", ""));
  cups.wine = true;
  cups.files = {"/usr/local/bin/lpoptions"};
  EXPECT_TRUE(KeepCupsDefault("Beta", ""));
  cups.files.clear();
  EXPECT_FALSE(KeepCupsDefault("Alpha", "CUPS:Alpha"));  // no tool
  EXPECT_EQ(cups.runs, (std::vector<std::string>{"\"Z:/usr/bin/lpoptions\" -d Beta", "\"Z:/usr/bin/lpoptions\" -d Alpha",
                                                 "\"Z:/usr/local/bin/lpoptions\" -d Beta"}));
}

TEST_F(CupsDefaultTest, AFailedRunIsNotRepeatedUntilAnotherPrinterIsChosen) {
  cups.succeed = false;
  EXPECT_TRUE(KeepCupsDefault("Beta", ""));
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(KeepCupsDefault("Beta", ""));  // a burst of re-applications
  cups.succeed = true;
  EXPECT_FALSE(KeepCupsDefault("Alpha", "CUPS:Alpha"));  // CUPS has Alpha still
  EXPECT_TRUE(KeepCupsDefault("Beta", ""));              // a new choice of Beta is tried again
  EXPECT_EQ(cups.runs.size(), 2u);
}

}  // namespace
}  // namespace zv::test
