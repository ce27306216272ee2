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
  EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_STREQ(d.szTip, "later");
  EXPECT_NE(d.hIcon, nullptr);
  EXPECT_NE(d.hIcon, icon.Handle());  // the component keeps its own copy

  tray->SetActive(false);
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_DELETE}));

  tray->SetActive(true);
  tray->SetToolTip(std::string(64, 'a'));
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), std::string(62, 'a'));
  std::string kanji;  // 30 characters of three bytes: the tip holds 20 whole ones
  for (int i = 0; i < 30; ++i) kanji += "\xE4\xBA\x8B";
  tray->SetToolTip(kanji);
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), kanji.substr(0, 60));
}

TEST_F(TrayIconTest, MouseActionsRaiseClickDoubleClickAndRightClickAndNothingElse) {
  std::string events;
  tray->OnClick = [&](TComponent*) { events += "click "; };
  tray->OnDblClick = [&](TComponent*) { events += "double "; };
  tray->OnRightClick = [&](TComponent*, TMouseButton, TShiftState, int, int) { events += "right "; };
  for (UINT m : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                 WM_RBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK})
    Notify(m);
  EXPECT_EQ(events, "click double click right ");
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
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  tray.reset();
  EXPECT_TRUE(shell.calls.empty());
  tray = std::make_unique<TTrayIcon>(nullptr);
  tray->SetToolTip("x");
  tray->SetActive(true);
  SendMessageA(tray->WindowHandle(), taskbarCreated, 0, 0);
  tray.reset();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayIconTest, ABalloonShowsOnlyOnTheShownIconWithItsTextsCutToFit) {
  tray->ShowBalloon("title", "text");
  tray->SetActive(true);
  tray->ShowBalloon(std::string(100, 't'), std::string(300, 'x'));
  ASSERT_EQ(shell.balloons.size(), 1u);
  const NOTIFYICONDATAA& b = shell.balloons[0];
  EXPECT_EQ(b.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
  EXPECT_EQ(b.uFlags, static_cast<UINT>(NIF_INFO));  // the tip and the image stay as they are
  EXPECT_EQ(b.hWnd, tray->WindowHandle());
  EXPECT_EQ(std::string(b.szInfoTitle) + std::string(b.szInfo), std::string(63, 't') + std::string(255, 'x'));
}

}  // namespace
}  // namespace zv::test
