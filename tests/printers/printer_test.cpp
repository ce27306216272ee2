#include "printers/Printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "FakeSpooler.h"

namespace zv::test {
namespace {

std::vector<std::string> Names(TPrinter& printer) {
  std::vector<std::string> names;
  for (const auto& e : printer.Entries()) names.push_back(e.Name + "|" + e.Device.DeviceName + "|" + e.Device.PortName);
  return names;
}

// The current printer's device, driver and port, or the message raised.
std::string Current(TPrinter& printer) {
  std::string device, driver, port;
  HGLOBAL block;
  try {
    printer.ReadCurrent(device, driver, port, block);
  } catch (const EPrinter& e) {
    return e.Message();
  }
  return device + "," + driver + "," + port;
}

TEST(Catalogue, WindowsNtListsBareNamesAndWindows95OnePerPortUpToTheFirstEmptyOne) {
  TFakeSpooler spooler;
  spooler.printers = {{"P", "LPT1:,FILE:"}, {"Q", "LPT1:,,FILE:"}, {"R", "  COM1:"}, {"S", "LPT2: ,X"}, {"T", ""}};
  TPrinter nt;
  EXPECT_EQ(Names(nt), (std::vector<std::string>{"P|P|", "Q|Q|", "R|R|", "S|S|", "T|T|"}));
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
    const std::string value = std::string(length, 'v').substr(0, length ? length - 1 : 0) + (length ? "!" : "");
    ASSERT_TRUE(Spooler().WriteProfile("ZorvaneTest", "Value", value));
    EXPECT_EQ(Spooler().ReadProfile("ZorvaneTest", "Value"), value) << length;
  }
  WriteProfileStringA("ZorvaneTest", nullptr, nullptr);
}

TEST(Catalogue, TheDefaultIsTheProfilesFirstFieldMatchedExactlyAndWhole) {
  const std::string longName(300, 'n');
  TFakeSpooler spooler(
      {{"A", "LPT2:"}, {"P", "LPT1:,FILE:"}, {longName + "x", "LPT3:"}, {longName, "LPT4:"}, {"A,B", "LPT5:"}}, "");
  spooler.platformId = 1;
  const std::pair<std::string, std::string> cases[] = {
      {"   P,winspool,FILE:", "P,,LPT1:"},  // a printer's first port, whatever port the profile names
      {longName + ",winspool,LPT4:", longName + ",,LPT4:"},
      {"p,winspool,LPT1:", kNoDefaultPrinter},
      {"A,B,winspool,LPT5:", "A,B,,LPT5:"},  // a name with a comma, before the shorter name it begins with
      {"A,winspool,LPT2:", "A,,LPT2:"},
      {"", kNoDefaultPrinter},
      {",,", kNoDefaultPrinter},
  };
  for (const auto& [profile, current] : cases) {
    spooler.SetDefault(profile);
    TPrinter printer;
    EXPECT_EQ(Current(printer), current) << profile;
  }
}

TEST(Catalogue, FailuresOfTheDriverOrTheListGiveNoBlockOrAnEmptyListAndNoError) {
  TFakeSpooler spooler({{"A", ""}}, "A,,");
  for (bool failOpen : {false, true}) {
    spooler.failDocumentProperties = !failOpen;
    spooler.failOpen = failOpen;
    TPrinter printer;
    EXPECT_EQ(printer.CurrentIndex(), 0);
    EXPECT_EQ(printer.DeviceModeBlock(), nullptr);
  }
  spooler.failEnumeration = true;
  EXPECT_TRUE(TPrinter().Entries().empty());
  spooler.failEnumeration = false;
  EXPECT_EQ(TPrinter().Entries().size(), 1u);
}

TEST(Catalogue, TheSharedCatalogueKeepsConfirmedSettingsWhileTheirPrinterIsTheDefaultAndFindsNewOnes) {
  TFakeSpooler spooler({{"A", ""}}, "A,,");
  TPrinter& shared = SharedPrinter();
  shared.Discard();
  shared.ResetToDefault();
  HGLOBAL confirmed = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
  shared.SelectPrinter("A", "", "", confirmed);  // as the setup dialog's OK does
  shared.ResetToDefault();
  EXPECT_EQ(shared.DeviceModeBlock(), confirmed);

  // A printer installed after the list was built becomes the default.
  spooler.printers.push_back({"New", ""});
  spooler.SetDefault("New,,");
  shared.ResetToDefault();
  EXPECT_EQ(Current(shared), "New,,");
  EXPECT_STREQ(reinterpret_cast<const char*>(shared.DevMode()->dmDeviceName), "New");  // New's own settings
  shared.Discard();
}

// Against the real spooler: run by the end-to-end script that fills the private CUPS.
TEST(RealCatalogue, ListsTheQueuesOfThePrivateCupsAndResolvesItsDefault) {
  const char* queues = std::getenv("ZORVANE_CUPS_QUEUES");
  const char* expectedDefault = std::getenv("ZORVANE_CUPS_DEFAULT");
  if (!queues || !expectedDefault) GTEST_SKIP() << "run by tests/e2e/test_catalogue.sh";
  const bool nt = Spooler().PlatformId() == 2;
  std::vector<std::string> expected;
  const std::string list = queues;
  for (std::size_t cursor = 0; cursor < list.size();) {
    const std::string queue = NextField(list, cursor);
    expected.push_back(nt ? queue + "|" + queue + "|" : queue + " on CUPS:" + queue + "|" + queue + "|CUPS:" + queue);
  }
  TPrinter printer;
  std::vector<std::string> names = Names(printer);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Current(printer), std::string(expectedDefault) + ",," + (nt ? "" : "CUPS:" + std::string(expectedDefault)));
  // The driver's own settings. (Wine's driver gives none to a program it runs as Windows 95.)
  if (nt) {
    EXPECT_STREQ(reinterpret_cast<const char*>(printer.DevMode()->dmDeviceName), expectedDefault);
  }
  std::printf("platform %lu: %zu printers, default %s\n", Spooler().PlatformId(), names.size(), expectedDefault);
}

}  // namespace
}  // namespace zv::test
