#include "Testing.h"

namespace zv::test {

std::vector<std::string> Names(TPrinter& printer) {
  std::vector<std::string> names;
  for (const auto& e : printer.Entries()) names.push_back(e.Name + "|" + e.Device.DeviceName + "|" + e.Device.PortName);
  return names;
}

// The current printer's entry; resolving the default raises EPrinter when there is none.
std::string Current(TPrinter& printer) { return Names(printer).at(printer.CurrentIndex()); }

TEST(Catalogue, WindowsNtListsBareNamesAndWindows95OnePerPortUpToTheFirstEmptyOne) {
  TFakeSpooler spooler({{"P", "LPT1:,FILE:"}, {"Q", "LPT1:,,FILE:"}, {"R", "  COM1:"}, {"S", "LPT2: ,X"}}, "");
  TPrinter().Entries();  // as Windows NT lists them
  spooler.platformId = 1;
  TPrinter printer;
  EXPECT_EQ(Names(printer), (std::vector<std::string>{"P on LPT1:|P|LPT1:", "P on FILE:|P|FILE:", "Q on LPT1:|Q|LPT1:",
                                                      "R on COM1:|R|COM1:", "S on LPT2: |S|LPT2: ", "S on X|S|X"}));
  // Windows NT: the local printers and the connections to shared ones; Windows 95: the local ones, with ports.
  EXPECT_EQ(spooler.asked, (std::vector<std::string>{"6/4", "2/5"}));
}

// Through the real profile: values at the edges of the reading's growing buffer come back whole.
TEST(Profile, ValuesOfEveryLengthAreReadWhole) {
  for (std::size_t length : {0, 1, 254, 255, 256, 257, 511, 512, 513, 5000}) {
    ASSERT_TRUE(Spooler().WriteProfile("ZorvaneTest", "Value", std::string(length, 'v')));
    EXPECT_EQ(Spooler().ReadProfile("ZorvaneTest", "Value"), std::string(length, 'v'));
  }
  WriteProfileStringA("ZorvaneTest", nullptr, nullptr);
}

// The default is the printer named by the longest beginning of the profile's value that names one,
// exactly (blanks before it skipped), and the first entry of its ports; none when nothing matches.
TEST(Catalogue, TheDefaultIsTheProfilesFirstFieldMatchedExactlyAndWhole) {
  const std::string longName(300, 'n');
  TFakeSpooler spooler(
      {{"A", "LPT2:"}, {"P", "LPT1:,FILE:"}, {longName + "x", "LPT3:"}, {longName, "LPT4:"}, {"A,B", "LPT5:"}}, "");
  spooler.platformId = 1;
  const auto current = [&](const std::string& profile) {
    spooler.SetDefault(profile);
    TPrinter printer;
    return Current(printer);
  };
  EXPECT_EQ(current("   P,winspool,FILE:"), "P on LPT1:|P|LPT1:");  // its first port, whatever the profile names
  EXPECT_EQ(current(longName + ",winspool,LPT4:"), longName + " on LPT4:|" + longName + "|LPT4:");
  EXPECT_THROW(current("p,winspool,LPT1:"), EPrinter);
  // A name with a comma, before the shorter name it begins with.
  EXPECT_EQ(current("A,B,winspool,LPT5:"), "A,B on LPT5:|A,B|LPT5:");
  EXPECT_EQ(current("A,winspool,LPT2:"), "A on LPT2:|A|LPT2:");
}

// The current printer's settings are its driver's, or none when the driver fails, and an empty list
// when the spooler fails: no error either way. A default installed since the list was read is found
// by reading it again. (That settings confirmed in the setup dialog are kept while their printer is
// the default, the dialog's test shows.)
TEST(Catalogue, SettingsAreTheDriversAFailureLeavesNoneWithoutAnErrorAndANewDefaultIsFound) {
  TFakeSpooler spooler({{"A", ""}}, "A,,");
  TPrinter catalogue;
  catalogue.ResetToDefault();
  spooler.printers.push_back({"New", ""});
  spooler.SetDefault("New,,");
  catalogue.ResetToDefault();
  EXPECT_EQ(Current(catalogue), "New|New|");
  EXPECT_STREQ(reinterpret_cast<const char*>(catalogue.DevMode()->dmDeviceName), "New");  // New's own settings

  for (bool failOpen : {false, true}) {
    spooler.failDocumentProperties = !failOpen;
    spooler.failOpen = failOpen;
    TPrinter printer;
    EXPECT_EQ(Current(printer), "New|New|");
    EXPECT_EQ(printer.DeviceModeBlock(), nullptr);
  }
  spooler.failEnumeration = true;
  EXPECT_TRUE(TPrinter().Entries().empty());
}

// Against the real spooler: run by the end-to-end script that fills the private CUPS.
TEST(RealCatalogue, ListsTheQueuesOfThePrivateCupsAndResolvesItsDefault) {
  const char* queues = std::getenv("ZORVANE_CUPS_QUEUES");
  const char* expectedDefault = std::getenv("ZORVANE_CUPS_DEFAULT");
  if (!queues || !expectedDefault) GTEST_SKIP() << "run by tests/e2e/test_catalogue.sh";
  const bool nt = Spooler().PlatformId() == 2;
  const auto entry = [nt](const std::string& queue) {  // Windows 95 lists a queue with its port
    return nt ? queue + "|" + queue + "|" : queue + " on CUPS:" + queue + "|" + queue + "|CUPS:" + queue;
  };
  std::vector<std::string> expected;
  for (std::size_t cursor = 0; queues[cursor];) expected.push_back(entry(NextField(queues, cursor)));
  TPrinter printer;
  std::vector<std::string> names = Names(printer);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Current(printer), entry(expectedDefault));
  // The driver's own settings. (Wine's driver gives none to a program it runs as Windows 95.)
  if (nt) {
    EXPECT_STREQ(reinterpret_cast<const char*>(printer.DevMode()->dmDeviceName), expectedDefault);
  }
  std::printf("platform %lu: %zu printers, default %s\n", Spooler().PlatformId(), names.size(), expectedDefault);
}

}  // namespace zv::test
