#include "app/printers/Printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "FakeSpooler.h"

namespace zv::test {
namespace {

std::vector<std::string> Names(TPrinter& printer) {
  std::vector<std::string> names;
  for (const auto& e : printer.Entries()) names.push_back(e.Name);
  return names;
}

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const EPrinter& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

TEST(NextField, SkipsLeadingBlanksKeepsTrailingOnesAndStopsAtCommas) {
  std::string text = "  LPT1: ,FILE:,,x";
  std::size_t cursor = 0;
  EXPECT_EQ(NextField(text, cursor), "LPT1: ");
  EXPECT_EQ(NextField(text, cursor), "FILE:");
  EXPECT_EQ(NextField(text, cursor), "");
  EXPECT_EQ(NextField(text, cursor), "x");
  EXPECT_EQ(cursor, text.size());
  EXPECT_EQ(NextField(text, cursor), "");
}

TEST(Catalogue, WindowsNtListsBareNamesAndReadsThemAsDeviceWithEmptyDriverAndPort) {
  TFakeSpooler spooler;
  spooler.printers = {{"Laser", "ignored:"}, {"Ink", ""}};
  spooler.SetDefault("Ink,winspool,Ne00:");
  TPrinter printer;
  EXPECT_EQ(Names(printer), (std::vector<std::string>{"Laser", "Ink"}));
  EXPECT_EQ(printer.CurrentIndex(), 1);
  std::string device, driver, port;
  HGLOBAL block = nullptr;
  printer.ReadCurrent(device, driver, port, block);
  EXPECT_EQ(device, "Ink");
  EXPECT_EQ(driver, "");
  EXPECT_EQ(port, "");
  EXPECT_NE(block, nullptr);
}

TEST(Catalogue, Windows95GivesOneEntryPerPortUpToTheFirstEmptyField) {
  TFakeSpooler spooler;
  spooler.platformId = 1;
  spooler.printers = {{"P", "LPT1:,FILE:"}, {"Q", "LPT1:,,FILE:"}, {"R", "  COM1:"}, {"S", "LPT2: ,X"}, {"T", ""}};
  TPrinter printer;
  EXPECT_EQ(Names(printer), (std::vector<std::string>{
                                "P on LPT1:", "P on FILE:", "Q on LPT1:", "R on COM1:", "S on LPT2: ", "S on X"}));
  EXPECT_EQ(printer.Entries()[1].Device.PortName, "FILE:");
  EXPECT_EQ(printer.Entries()[1].Device.DeviceName, "P");
  EXPECT_EQ(printer.Entries()[1].Device.DriverName, "");
}

TEST(Catalogue, DefaultResolutionIsCaseSensitiveIgnoresLeadingBlanksAndTakesThePrintersFirstPort) {
  TFakeSpooler spooler;
  spooler.platformId = 1;
  spooler.printers = {{"A", "LPT2:"}, {"P", "LPT1:,FILE:"}};
  spooler.SetDefault("   P,winspool,FILE:");
  {
    TPrinter printer;
    EXPECT_EQ(printer.CurrentIndex(), 1);  // "P on LPT1:", though the profile names FILE:
  }
  spooler.SetDefault("p,winspool,LPT1:");
  TPrinter printer;
  EXPECT_EQ(Message([&] { printer.CurrentIndex(); }), kNoDefaultPrinter);
}

TEST(Catalogue, LongDefaultPrinterNamesAreFoundWhole) {
  TFakeSpooler spooler;
  const std::string longName(300, 'n');
  spooler.printers = {{longName + "x", ""}, {longName, ""}};
  spooler.SetDefault(longName + ",winspool,Ne00:");
  TPrinter printer;
  EXPECT_EQ(printer.CurrentIndex(), 1);
  std::string device, driver, port;
  HGLOBAL block;
  printer.ReadCurrent(device, driver, port, block);
  EXPECT_EQ(device, longName);
}

TEST(Catalogue, NoPrintersOrNoDefaultFailsWithTheNoDefaultMessage) {
  TFakeSpooler spooler;
  {
    TPrinter printer;
    EXPECT_TRUE(printer.Entries().empty());
    EXPECT_EQ(Message([&] { printer.CurrentIndex(); }), kNoDefaultPrinter);
  }
  spooler.printers = {{"A", ""}};
  for (const char* value : {"", ",,", "Missing,winspool,x"}) {
    spooler.SetDefault(value);
    TPrinter printer;
    EXPECT_EQ(Message([&] { printer.CurrentIndex(); }), kNoDefaultPrinter) << value;
    // Writing an index first resolves the default, so it fails the same way.
    EXPECT_EQ(Message([&] { printer.SetCurrentIndex(0); }), kNoDefaultPrinter) << value;
  }
}

TEST(Catalogue, IndexWritesCheckTheRangeAndMinusOneReselectsTheDefault) {
  TFakeSpooler spooler;
  spooler.printers = {{"A", ""}, {"B", ""}};
  spooler.SetDefault("B,,");
  TPrinter printer;
  EXPECT_EQ(Message([&] { printer.SetCurrentIndex(2); }), kIndexOutOfRange);
  EXPECT_EQ(Message([&] { printer.SetCurrentIndex(-2); }), kIndexOutOfRange);
  EXPECT_EQ(printer.CurrentIndex(), 1);  // the failed write left the resolved default

  printer.SetCurrentIndex(0);
  const HGLOBAL blockOfB = printer.DeviceModeBlock();
  std::string device, driver, port;
  HGLOBAL block;
  printer.ReadCurrent(device, driver, port, block);
  EXPECT_EQ(device, "A");
  EXPECT_EQ(block, blockOfB);  // a written index keeps the block of the printer selected before
  EXPECT_STREQ(reinterpret_cast<const char*>(printer.DevMode()->dmDeviceName), "B");

  printer.SetCurrentIndex(-1);
  spooler.SetDefault("A,,");
  printer.ReadCurrent(device, driver, port, block);  // reads the profile again
  EXPECT_EQ(device, "A");
  EXPECT_STREQ(reinterpret_cast<const char*>(printer.DevMode()->dmDeviceName), "A");
}

TEST(Catalogue, SelectPrinterAppendsAnUnknownDeviceAndPortAndOwnsTheBlocksItIsGiven) {
  TFakeSpooler spooler;
  spooler.printers = {{"A", ""}};
  TPrinter printer;
  HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
  printer.SelectPrinter("Z", "drv", "LPT9:", mine);
  EXPECT_EQ(Names(printer), (std::vector<std::string>{"A", "Z on LPT9:"}));
  EXPECT_EQ(printer.CurrentIndex(), 1);
  EXPECT_EQ(printer.Entries()[1].Device.DriverName, "drv");
  EXPECT_EQ(printer.DeviceModeBlock(), mine);
  EXPECT_EQ(GlobalFlags(mine) & GMEM_LOCKCOUNT, 1u);  // held locked

  printer.SelectPrinter("Z", "other", "LPT9:", mine);  // the same block: kept; driver not compared
  EXPECT_EQ(printer.Entries().size(), 2u);
  EXPECT_EQ(printer.DeviceModeBlock(), mine);

  HGLOBAL next = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
  printer.SelectPrinter("A", "", "", next);
  EXPECT_EQ(printer.CurrentIndex(), 0);
  EXPECT_EQ(printer.DeviceModeBlock(), next);
  EXPECT_EQ(GlobalFlags(mine), GMEM_INVALID_HANDLE);  // the replaced block was freed
  EXPECT_EQ(spooler.openHandles, 1);                  // one printer handle, the last selection's
}

TEST(Catalogue, DriverFailuresLeaveNoBlockAndNoError) {
  TFakeSpooler spooler;
  spooler.printers = {{"A", ""}};
  spooler.SetDefault("A,,");
  spooler.failDocumentProperties = true;
  {
    TPrinter printer;
    EXPECT_EQ(printer.CurrentIndex(), 0);
    EXPECT_EQ(printer.DeviceModeBlock(), nullptr);
    EXPECT_NE(printer.PrinterHandle(), nullptr);
  }
  EXPECT_EQ(spooler.openHandles, 0);  // destruction closed it
  spooler.failDocumentProperties = false;
  spooler.failOpen = true;
  TPrinter printer;
  EXPECT_EQ(printer.CurrentIndex(), 0);
  EXPECT_EQ(printer.DeviceModeBlock(), nullptr);
  EXPECT_EQ(printer.PrinterHandle(), nullptr);
}

TEST(Catalogue, AFailedEnumerationGivesAnEmptyListOnceAndANewObjectEnumeratesAgain) {
  TFakeSpooler spooler;
  spooler.printers = {{"A", ""}};
  spooler.failEnumeration = true;
  TPrinter failed;
  EXPECT_TRUE(failed.Entries().empty());
  spooler.failEnumeration = false;
  EXPECT_TRUE(failed.Entries().empty());  // this object never asks again
  EXPECT_EQ(spooler.enumerations, 1);
  TPrinter fresh;
  EXPECT_EQ(fresh.Entries().size(), 1u);
}

TEST(Catalogue, TheSharedCatalogueKeepsConfirmedSettingsWhileTheirPrinterIsTheDefaultAndFindsNewOnes) {
  TFakeSpooler spooler;
  spooler.printers = {{"A", ""}};
  spooler.SetDefault("A,,");
  TPrinter& shared = SharedPrinter();
  shared.Discard();
  shared.ResetToDefault();
  EXPECT_EQ(shared.CurrentIndex(), 0);
  HGLOBAL confirmed = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
  shared.SelectPrinter("A", "", "", confirmed);  // as the setup dialog's OK does
  shared.ResetToDefault();
  EXPECT_EQ(shared.DeviceModeBlock(), confirmed);

  // A printer installed after the list was built becomes the default.
  spooler.printers.push_back({"New", ""});
  spooler.SetDefault("New,,");
  shared.ResetToDefault();
  std::string device, driver, port;
  HGLOBAL block;
  shared.ReadCurrent(device, driver, port, block);
  EXPECT_EQ(device, "New");
  EXPECT_STREQ(reinterpret_cast<const char*>(shared.DevMode()->dmDeviceName), "New");  // New's own settings
  shared.Discard();
}

}  // namespace
}  // namespace zv::test

namespace zv::test {
namespace {

// Against the real spooler: run by the end-to-end script that fills the private CUPS.
TEST(RealCatalogue, ListsTheQueuesOfThePrivateCupsAndResolvesItsDefault) {
  const char* queues = std::getenv("ZORVANE_CUPS_QUEUES");
  const char* expectedDefault = std::getenv("ZORVANE_CUPS_DEFAULT");
  if (!queues || !expectedDefault) GTEST_SKIP() << "run by tests/e2e/test_catalogue.sh";
  const bool nt = Spooler().PlatformId() == 2;
  std::vector<std::string> expected;
  std::string list = queues;
  for (std::size_t cursor = 0; cursor < list.size();) {
    std::string queue = NextField(list, cursor);
    expected.push_back(nt ? queue : queue + " on CUPS:" + queue);
  }
  TPrinter printer;
  std::vector<std::string> names = Names(printer);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  std::string device, driver, port;
  HGLOBAL block = nullptr;
  printer.ReadCurrent(device, driver, port, block);
  EXPECT_EQ(device, expectedDefault);
  EXPECT_EQ(port, nt ? "" : "CUPS:" + std::string(expectedDefault));
  if (nt) {
    // The driver's own settings. (Wine's driver gives none to a program it runs as Windows 95:
    // the catalogue then simply holds no block.)
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(printer.DevMode()->dmDeviceName), expectedDefault);
  }
  std::printf("platform %lu: %zu printers, default %s\n", Spooler().PlatformId(), names.size(), device.c_str());
}

}  // namespace
}  // namespace zv::test
