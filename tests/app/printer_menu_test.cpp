#include <utility>

#include "Testing.h"

namespace zv::test {

// The window's part of the printer menu: it shows what the core says and turns clicks into choices.
using PrinterMenuTest = FormTest;

TEST_F(PrinterMenuTest, EntriesFollowTheFixedItemsAndAClickChoosesThePrinterItShowsOrSaysWhy) {
  Start({{"Q on LPT1:", ""}, {"P", ""}, {"Gone", ""}}, "P,,");
  EXPECT_TRUE(form.PMenu->Items().Items(FixedCount)->IsSeparator());
  EXPECT_EQ(Shown(), "Gone;P*;Q on LPT1:; | P");
  form.ApplyDefaultPrinter(FixedCount);  // the separator: no printer
  Entry("Q on LPT1:")->Click();
  EXPECT_EQ(spooler.Default(), "Q on LPT1:,,");
  EXPECT_EQ(Shown(), "Gone;P;Q on LPT1:*; | Q on LPT1:");

  spooler.printers.pop_back();
  Entry("Gone")->Click();
  spooler.failWrite = true;
  Entry("P")->Click();
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>(2, "Zorvane: Failure to set Default Printer! 0")));
  EXPECT_EQ(shell.beeps, 1);  // for the printer that went, not for the failed write
  EXPECT_EQ(Shown(), "P;Q on LPT1:*; | Q on LPT1:");  // the default that stood still stands
}

// The shell's call for the tool tip lets messages sent to us through: an announcement and a right-click
// arriving then wait until the switch is done, the clicked entry living through it (the right-click
// is told at once all the same), and are handled
// after it, in the order they came. Clicks that a rebuild's nested messages deliver are ignored.
TEST_F(PrinterMenuTest, WhatArrivesDuringASwitchIsHandledAfterItAndClicksDuringARebuildDoNothing) {
  Start({{"P", ""}, {"Q", ""}}, "Q,,");
  form.TrayForm->SetActive(true);
  int shown = 0;
  form.TrayForm->OnRightClick = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++shown; };
  std::string menuDuring;
  bool arrived = false;
  tray.During = [&](DWORD message) {
    if (message != NIM_MODIFY || std::exchange(arrived, true)) return;
    spooler.printers.push_back({"R", ""});
    Announce();
    SetTimer(nullptr, 0, 300, &CloseMenu);  // a menu shown now would wait for a choice
    SendMessageA(form.TrayForm->WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
    menuDuring = Shown();
  };
  Entry("P")->Click();
  EXPECT_EQ(menuDuring, "P*;Q; | P");
  EXPECT_EQ(shown, 1);  // the right-click is told, though its menu waits
  MSG waited;  // the window is woken once the change has ended, and does what waited then
  ASSERT_TRUE(PeekMessageA(&waited, form.Handle(), WM_COREWAKE, WM_COREWAKE, PM_REMOVE));
  DispatchMessageA(&waited);
  EXPECT_EQ(Shown(), "P*;Q;R; | P");
  MSG later;
  ASSERT_TRUE(PeekMessageA(&later, form.TrayForm->WindowHandle(), WM_TRAYNOTIFY, WM_TRAYNOTIFY, PM_REMOVE));
  EXPECT_EQ(later.lParam, WM_RBUTTONUP);

  const int writes = spooler.writes;
  {
    TWaiting::TChange rebuilding(form.Core().Waiting(), TChangeKind::Rebuilding);
    Entry("Q")->Click();
    form.mShowPortInfo->Click();
  }
  EXPECT_EQ(spooler.writes, writes);
  EXPECT_FALSE(form.Core().Options.ShowPortInfo);
}

}  // namespace zv::test
