#include "components/TrayIcon/TrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

TEST_F(TrayIconTest, ActiveAddsAndRemovesTheIconWithTheRecordAsSpecifiedAndOnlyOnAChange) {
  tray->SetToolTip("tip");
  tray->SetActive(false);
  EXPECT_TRUE(shell.calls.empty());
  tray->SetActive(true);
  tray->SetActive(true);
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD}));
  const TNotifyIconData& d = shell.calls[0].data;
  EXPECT_EQ(d.cbSize, sizeof(TNotifyIconData));
  EXPECT_EQ(d.hWnd, tray->WindowHandle());
  EXPECT_EQ(d.uID, 0u);
  EXPECT_EQ(d.uFlags, 7u);
  EXPECT_EQ(d.uCallbackMessage, 0x401u);
  EXPECT_STREQ(d.szTip, "tip");
  tray->SetActive(false);
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayIconTest, ToolTipsAreCutTo62Characters) {
  tray->SetActive(true);
  const std::string tip62(62, 'a');
  tray->SetToolTip(tip62);
  EXPECT_EQ(tray->ToolTip(), tip62);
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), tip62);
  tray->SetToolTip(tip62 + "bc");
  EXPECT_EQ(tray->ToolTip(), tip62);
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), tip62);
}

TEST_F(TrayIconTest, ChangesWhileInactiveReachTheShellOnlyWithTheNextAdd) {
  TIcon icon;
  icon.LoadFromResource(1, 16);
  ASSERT_FALSE(icon.Empty());
  tray->SetToolTip("later");
  tray->SetIcon(&icon);
  EXPECT_TRUE(shell.calls.empty());
  tray->SetActive(true);
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD}));
  EXPECT_STREQ(shell.calls[0].data.szTip, "later");
  EXPECT_NE(shell.calls[0].data.hIcon, nullptr);
  EXPECT_NE(shell.calls[0].data.hIcon, icon.Handle());  // the component keeps its own copy

  tray->SetIcon(tray->Icon());  // its own icon object: nothing
  EXPECT_EQ(shell.calls.size(), 1u);
  tray->SetIcon(nullptr);  // an empty reference empties the image
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY}));
  EXPECT_EQ(shell.calls[1].data.hIcon, nullptr);
}

TEST_F(TrayIconTest, AnAddWithAnEmptyTipIsRefreshedOnceUnlessTheIconWentAwayMeanwhile) {
  tray->SetActive(true);
  Pump();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY}));
  Pump();
  EXPECT_EQ(shell.calls.size(), 2u);

  tray->SetActive(false);
  shell.calls.clear();
  tray->SetActive(true);
  tray->SetActive(false);
  Pump();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayIconTest, MouseActionsRaiseClickDoubleClickAndNothingElse) {
  std::string events;
  tray->OnClick = [&](TComponent* sender) {
    EXPECT_EQ(sender, tray.get());
    events += "click ";
  };
  tray->OnDblClick = [&](TComponent*) { events += "double "; };
  for (UINT m : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Notify(m);
  EXPECT_EQ(events, "click double click ");
  events.clear();
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK}) Notify(m);
  EXPECT_EQ(events, "");
}

TEST_F(TrayIconTest, ARightClickWithoutAMenuRaisesOnRightClickAtTheCursorAndDispatchesNothing) {
  SetCursorPos(123, 45);
  POINT cursor;
  GetCursorPos(&cursor);
  int calls = 0;
  tray->OnRightClick = [&](TComponent*, TMouseButton button, TShiftState shift, int x, int y) {
    ++calls;
    EXPECT_EQ(button, TMouseButton::mbRight);
    EXPECT_TRUE(shift.Empty());
    EXPECT_EQ(x, cursor.x);
    EXPECT_EQ(y, cursor.y);
  };
  PostMessageA(tray->WindowHandle(), WM_NULL, 0, 0);
  Notify(WM_RBUTTONUP);
  EXPECT_EQ(calls, 1);
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

TEST_F(TrayIconTest, DestructionRemovesOnlyAnActiveIcon) {
  tray->SetToolTip("x");
  tray.reset();
  EXPECT_TRUE(shell.calls.empty());
  tray = std::make_unique<TTrayIcon>(nullptr);
  tray->SetToolTip("x");
  tray->SetActive(true);
  HWND window = tray->WindowHandle();
  tray.reset();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayIconTest, TheIconComesBackWhenTheShellRestarts) {
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  tray->SetToolTip("x");
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  EXPECT_TRUE(shell.calls.empty());
  tray->SetActive(true);
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  ASSERT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_ADD}));
  EXPECT_STREQ(shell.calls[1].data.szTip, "x");
}

TEST_F(TrayIconTest, InDesignModeShowDesigningDecidesWhetherTheIconIsShown) {
  tray->SetShowDesigning(true);  // outside design mode: ignored
  EXPECT_FALSE(tray->ShowDesigning());
  tray->SetDesigning(true);
  tray->SetToolTip("x");
  tray->SetActive(true);
  EXPECT_TRUE(shell.calls.empty());
  tray->SetShowDesigning(true);
  tray->SetShowDesigning(false);
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));
}

}  // namespace
}  // namespace zv::test
