#include "app/cups_default.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FakeCups.h"
#include "FakeSpooler.h"

namespace zv::test {
namespace {

class CupsDefaultTest : public testing::Test {
 protected:
  void SetUp() override {
    spooler.SetDefault("Alpha,winspool,CUPS:Alpha");  // CUPS's default when the program started
    spooler.printers = {{"Alpha", "CUPS:Alpha"},
                        {"Beta", "CUPS:Beta"},
                        {"Local", "LPT1:"},
                        {"Office,2F", "CUPS:Office,2F"},
                        {"Odd", "CUPS:Q$(id);`id`|<>&*"},
                        {"B\xC3\xBCro", "CUPS:B\xC3\xBCro"}};
  }
  bool Keep(TCupsDefault& cups, const std::string& device, bool chosen, const std::string& port = "") {
    const bool handed = cups.Keep(device, port, chosen);
    while (cups.Busy()) Sleep(1);
    return handed;
  }
  TFakeSpooler spooler;
  TFakeCups lpoptions;
};

TEST_F(CupsDefaultTest, AChoiceIsAlwaysSentWholeAReapplicationOnlyWhereCupsMayLackItAndOnlyUnderWine) {
  TCupsDefault cups;
  const struct {
    const char* device;
    bool chosen, handed;
  } rows[] = {
      {"Alpha", false, false},  // the start's re-application: CUPS has it already
      {"Beta", false, true},    // followed from elsewhere
      {"Beta", false, false},   // again: just tried
      {"Beta", true, true},     // chosen in the menu: CUPS's default may have changed from Linux
      {"Local", true, false},   // no CUPS queue
      {"Office,2F", true, true}, {"Odd", true, true}, {"B\xC3\xBCro", true, true},
  };
  for (const auto& row : rows) EXPECT_EQ(Keep(cups, row.device, row.chosen), row.handed) << row.device;
  EXPECT_TRUE(Keep(cups, "Alpha", true, "CUPS:Alpha"));  // Windows 95 entries carry the port
  lpoptions.wine = false;
  EXPECT_FALSE(Keep(cups, "Beta", true));
  EXPECT_EQ(lpoptions.Runs(), (std::vector<std::string>{"lpoptions -d Beta", "lpoptions -d Beta",
                                                        "lpoptions -d Office,2F", "lpoptions -d Q$(id);`id`|<>&*",
                                                        "lpoptions -d B\xC3\xBCro", "lpoptions -d Alpha"}));
}

// A step that failed or ran out of time may have changed CUPS or not: what CUPS had is forgotten.
TEST_F(CupsDefaultTest, AfterAFailedStepCupsDefaultIsUnknownButAFailureIsNotRepeatedByReapplications) {
  TCupsDefault cups;
  lpoptions.succeed = false;
  EXPECT_TRUE(Keep(cups, "Beta", true));
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Keep(cups, "Beta", false));  // a burst of re-applications
  lpoptions.succeed = true;
  EXPECT_TRUE(Keep(cups, "Alpha", false));  // CUPS may no longer have Alpha
  EXPECT_FALSE(Keep(cups, "Alpha", false));
  EXPECT_EQ(lpoptions.Runs().size(), 2u);
}

TEST_F(CupsDefaultTest, RapidSwitchesSendOnlyTheLastChoiceAndTheEndLetsGoOfARunningStepAtOnce) {
  auto cups = std::make_unique<TCupsDefault>();
  lpoptions.Gate(false);
  EXPECT_TRUE(cups->Keep("Beta", "", true));
  lpoptions.Runs(1);  // Beta is being sent and takes its time
  for (const char* device : {"Alpha", "Beta", "Alpha"}) cups->Keep(device, "", true);
  EXPECT_TRUE(cups->Busy());
  lpoptions.Gate(true);
  while (cups->Busy()) Sleep(1);
  EXPECT_EQ(lpoptions.Runs(), (std::vector<std::string>{"lpoptions -d Beta", "lpoptions -d Alpha"}));
  lpoptions.Gate(false);
  cups->Keep("Beta", "", true);
  lpoptions.Runs(3);
  const DWORD start = GetTickCount();
  cups.reset();
  EXPECT_LT(GetTickCount() - start, 1000u);
}

// The real step under Wine: every name reaches the Linux program byte for byte and no shell reads
// it; once a step has ended its file is gone; a step let go of returns at once.
TEST(RealCupsStep, HandsEveryNameWholeLeavesNoFileAndLetsGoAtOnce) {
  ICupsPlatform& real = TSeam<ICupsPlatform>::Platform();
  ASSERT_TRUE(real.UnderWine());
  TKernelHandle abandon(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // The Linux side compares the name with its bytes as printf writes them, not as they came.
  const auto arrives = [&](const std::string& name, const std::string& expected) {
    std::string octal;
    for (const unsigned char c : expected) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      octal += escape;
    }
    return real.Run({"sh", "-c", "[ \"$1\" = \"$(printf '" + octal + "')\" ]", "sh", name}, abandon.Get());
  };
  for (const std::string name : {"Office,2F", "B\xC3\xBCro", "\xE4\xBA\x8B\xE5\x8B\x99\xE6\x89\x80", "Q$(id);`id`|<>&*",
                                 "it's \"quoted\"", "back\\slash\\", "a\\\"b", "tab\tand space", "", "%PATH%"})
    EXPECT_TRUE(arrives(name, name)) << name;
  EXPECT_FALSE(arrives("Office", "Office,2F"));
  EXPECT_FALSE(real.Run({"B\xFCro"}, abandon.Get()));  // no UTF-8: nothing runs
  std::wstring folder(MAX_PATH + 1, L'\0');
  folder.resize(GetTempPathW(MAX_PATH + 1, folder.data()));
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileW((folder + L"zorvane-cups-" + std::to_wstring(GetCurrentProcessId()) + L"-*").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  SetEvent(abandon.Get());
  const DWORD start = GetTickCount();
  EXPECT_FALSE(real.Run({"sleep", "10"}, abandon.Get()));
  EXPECT_LT(GetTickCount() - start, 1000u);
}

}  // namespace
}  // namespace zv::test
