#include "components/TrayIcon/TrayIcon.h"

#include <gtest/gtest.h>

#include "FakeNotifyIcon.h"

namespace zv::test {
namespace {

using Calls = std::vector<DWORD>;

class TrayIconTest : public testing::Test {
 protected:
  TFakeNotifyIcon shell;
  std::unique_ptr<TTrayIcon> tray = std::make_unique<TTrayIcon>(nullptr);
  void Notify(UINT mouseMessage) { SendMessageA(tray->WindowHandle(), WM_TRAYNOTIFY, 0, mouseMessage); }
};

TEST_F(TrayIconTest, TheIconIsShownExactlyWhileActiveWithTheTipAndImageOfTheMoment) {
  TIcon icon;
  icon.LoadFromResource(1, 16);
  tray->SetToolTip("later");
  tray->SetIcon(&icon);
  tray->SetActive(false);
  EXPECT_TRUE(shell.calls.empty());  // nothing reaches the shell while inactive
  tray->SetActive(true);
  tray->SetActive(true);
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD}));
  const TNotifyIconData& d = shell.calls[0].data;
  EXPECT_EQ(d.cbSize, sizeof(TNotifyIconData));
  EXPECT_EQ(d.hWnd, tray->WindowHandle());
  EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(d.uCallbackMessage, WM_TRAYNOTIFY);
  EXPECT_STREQ(d.szTip, "later");
  EXPECT_NE(d.hIcon, nullptr);
  EXPECT_NE(d.hIcon, icon.Handle());  // the component keeps its own copy

  tray->SetIcon(tray->Icon());  // its own icon object: nothing
  tray->SetIcon(nullptr);       // an empty reference empties the image
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY}));
  EXPECT_EQ(shell.calls[1].data.hIcon, nullptr);
  tray->SetActive(false);
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY, NIM_DELETE}));

  // Tips are cut to 62 characters, stored and shown alike.
  tray->SetActive(true);
  const std::string tip62(62, 'a');
  for (const std::string& tip : {tip62, tip62 + "bc"}) {
    tray->SetToolTip(tip);
    EXPECT_EQ(tray->ToolTip(), tip62);
    EXPECT_EQ(std::string(shell.calls.back().data.szTip), tip62);
  }
}

TEST_F(TrayIconTest, AnAddWithAnEmptyTipIsRefreshedOnceUnlessTheIconWentAwayMeanwhile) {
  tray->SetActive(true);
  Pump();
  Pump();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY}));
  tray->SetActive(false);
  shell.calls.clear();
  tray->SetActive(true);
  tray->SetActive(false);
  Pump();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayIconTest, MouseActionsRaiseClickDoubleClickAndRightClickAtTheCursorAndNothingElse) {
  std::string events;
  tray->OnClick = [&](TComponent* sender) { events += sender == tray.get() ? "click " : "? "; };
  tray->OnDblClick = [&](TComponent*) { events += "double "; };
  SetCursorPos(123, 45);
  POINT cursor;
  GetCursorPos(&cursor);
  tray->OnRightClick = [&](TComponent*, TMouseButton button, TShiftState shift, int x, int y) {
    events += button == TMouseButton::mbRight && shift.Empty() && x == cursor.x && y == cursor.y ? "right " : "? ";
  };
  // Without a menu, a right click dispatches nothing that is waiting.
  PostMessageA(tray->WindowHandle(), WM_NULL, 0, 0);
  for (UINT m : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                 WM_RBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK})
    Notify(m);
  EXPECT_EQ(events, "click double click right ");
  MSG pending;
  EXPECT_TRUE(PeekMessageA(&pending, tray->WindowHandle(), WM_NULL, WM_NULL, PM_REMOVE));
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

TEST_F(TrayIconTest, ARightClickQueuedBehindTheOneShowingTheMenuDoesNotShowItAgain) {
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  item->SetCaption("item");
  menu.Items().Add(item);
  tray->SetPopupMenu(&menu);
  int shown = 0;
  tray->OnRightClick = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++shown; };
  SetTimer(nullptr, 0, 300, &CloseMenu);
  PostMessageA(tray->WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
  Notify(WM_RBUTTONUP);
  Pump();
  EXPECT_EQ(shown, 1);
}

TEST_F(TrayIconTest, DestructionRemovesOnlyAnActiveIconAndTheShellsRestartBringsItBack) {
  tray->SetToolTip("x");
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  tray.reset();
  EXPECT_TRUE(shell.calls.empty());
  tray = std::make_unique<TTrayIcon>(nullptr);
  tray->SetToolTip("x");
  tray->SetActive(true);
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  HWND window = tray->WindowHandle();
  tray.reset();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_ADD, NIM_DELETE}));
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace zv::test
