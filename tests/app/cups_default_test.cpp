#include "Testing.h"

namespace zv::test {

class CupsDefaultTest : public testing::Test {
 protected:
  // Hands the printer on and waits until its step, if any, has ended.
  bool Keep(TCupsDefault& cups, const std::string& device, bool chosen, const std::string& port = "") {
    const bool handed = cups.Keep(device, port, chosen);
    while (cups.Busy()) Sleep(1);
    return handed;
  }
  TFakeSpooler spooler{{{"Alpha", "CUPS:Alpha"}, {"Beta", "CUPS:Beta"}, {"Local", "LPT1:"},
                        {"Office,2F", "CUPS:Office,2F"}, {"Odd", "CUPS:Q$(id);`id`|<>&*"}},
                       "Alpha,winspool,CUPS:Alpha"};  // CUPS's default when the program started
  TFakeCups lpoptions;
};

// A choice is always sent, its queue whole as its port names it; a re-application only where CUPS
// may lack the queue and it was not just tried. A step that failed or ran out of time may have
// changed CUPS or not: what CUPS had is forgotten. On Windows nothing is sent.
TEST_F(CupsDefaultTest, AChoiceIsAlwaysSentWholeAReapplicationOnlyWhereCupsMayLackItAndOnlyUnderWine) {
  TCupsDefault cups;
  EXPECT_FALSE(Keep(cups, "Alpha", false));  // the start's re-application: CUPS has it already
  EXPECT_TRUE(Keep(cups, "Alpha", true));    // chosen in the menu: CUPS's default may have changed from Linux
  EXPECT_FALSE(Keep(cups, "Local", true));   // no CUPS queue
  EXPECT_TRUE(Keep(cups, "Office,2F", true));
  EXPECT_TRUE(Keep(cups, "Odd", true));
  EXPECT_TRUE(Keep(cups, "Gone", true, "CUPS:Gamma"));  // Windows 95 entries carry the port
  EXPECT_TRUE(Keep(cups, "Beta", false));               // followed from elsewhere
  lpoptions.succeed = false;
  EXPECT_TRUE(Keep(cups, "Alpha", true));
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Keep(cups, "Alpha", false));  // a burst of re-applications
  lpoptions.succeed = true;
  EXPECT_TRUE(Keep(cups, "Beta", false));  // CUPS may no longer have Beta
  lpoptions.wine = false;
  EXPECT_FALSE(Keep(cups, "Beta", true));
  EXPECT_EQ(lpoptions.Runs(),
            (std::vector<std::string>{"lpoptions -d Alpha", "lpoptions -d Office,2F", "lpoptions -d Q$(id);`id`|<>&*",
                                      "lpoptions -d Gamma", "lpoptions -d Beta", "lpoptions -d Alpha",
                                      "lpoptions -d Beta"}));
}

// (That of quick choices only the last is sent, the core's test shows, to the command.)
TEST_F(CupsDefaultTest, TheEndLetsGoOfARunningStepAtOnce) {
  auto cups = std::make_unique<TCupsDefault>();
  lpoptions.Gate(false);
  cups->Keep("Beta", "", true);
  lpoptions.Runs(1);  // Beta is being sent and takes its time
  const DWORD start = GetTickCount();
  cups.reset();
  EXPECT_LT(GetTickCount() - start, 1000u);
}

// The real step under Wine: every name reaches the Linux program byte for byte and no shell reads
// it. (That a step let go of returns at once and leaves no file behind, the end-to-end switching
// test sees, as Exit lets go of a step that hangs.)
TEST(RealCupsStep, HandsEveryNameWhole) {
  ICupsPlatform& real = TSeam<ICupsPlatform>::Platform();
  TKernelHandle abandon(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // The Linux side compares the name with its bytes as printf writes them, not as they came.
  const auto arrives = [&](const std::string& name, const std::string& expected) {
    std::string octal;
    for (const unsigned char c : expected)
      octal += "\\" + std::to_string(c >> 6) + std::to_string((c >> 3) & 7) + std::to_string(c & 7);
    return real.Run({"sh", "-c", "[ \"$1\" = \"$(printf '" + octal + "')\" ]", "sh", name}, abandon.Get());
  };
  for (const std::string name : {"Office,2F", "B\xC3\xBCro", "\xE4\xBA\x8B\xE5\x8B\x99\xE6\x89\x80", "Q$(id);`id`|<>&*",
                                 "it's \"quoted\"", "back\\slash\\", "a\\\"b", "tab\tand space", "", "%PATH%"})
    EXPECT_TRUE(arrives(name, name)) << name;
  EXPECT_FALSE(arrives("Office", "Office,2F"));
  EXPECT_FALSE(real.Run({"B\xFCro"}, abandon.Get()));  // no UTF-8: nothing runs
}

}  // namespace zv::test
