#include "Testing.h"

namespace zv::test {

using Calls = std::vector<DWORD>;

// The icon reaches the shell exactly while active, with the tip and image set before, and is added
// again when the shell restarts (its TaskbarCreated message) while shown. Texts too long are cut to
// fit: the tip between characters, never inside one; a balloon changes nothing but the balloon.
TEST(TrayIcon, IsShownExactlyWhileActiveComesBackWhenTheShellRestartsAndCutsItsTextsToFit) {
  TFakeNotifyIcon shell;
  TTrayIcon(nullptr).SetToolTip("never shown");  // made and destroyed inactive
  auto tray = std::make_unique<TTrayIcon>(nullptr);
  TIcon icon;
  icon.LoadFromResource(1, 16);
  tray->SetToolTip("later");
  tray->SetIcon(&icon);
  tray->ShowBalloon("title", "text");
  SendMessageA(tray->WindowHandle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(shell.calls.empty() && shell.balloons.empty());  // nothing reaches the shell while inactive
  tray->SetActive(true);
  tray->SetActive(true);  // added once: the whole sequence is checked at the end
  const TNotifyIconData& added = shell.calls.at(0).data;
  EXPECT_EQ(added.cbSize, sizeof(TNotifyIconData));
  EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_STREQ(added.szTip, "later");
  EXPECT_TRUE(added.hIcon && added.hIcon != icon.Handle());  // the component keeps its own copy

  tray->SetToolTip(std::string(64, 'a'));
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), std::string(62, 'a'));
  std::string kanji;  // 30 characters of three bytes: the tip holds 20 whole ones
  for (int i = 0; i < 30; ++i) kanji += "\xE4\xBA\x8B";
  tray->SetToolTip(kanji);
  EXPECT_EQ(std::string(shell.calls.back().data.szTip), kanji.substr(0, 60));
  tray->ShowBalloon(std::string(100, 't'), std::string(300, 'x'));
  const NOTIFYICONDATAA& balloon = shell.balloons.at(0);
  EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));  // the tip and the image stay as they are
  EXPECT_EQ(std::string(balloon.szInfoTitle) + balloon.szInfo, std::string(63, 't') + std::string(255, 'x'));

  tray->SetActive(false);
  tray->SetActive(true);
  SendMessageA(tray->WindowHandle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  tray.reset();
  EXPECT_EQ(shell.Messages(), (Calls{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE, NIM_ADD, NIM_ADD, NIM_DELETE}));
}

// Chooses the menu's first item with the keyboard, as a person would.
void CALLBACK ChooseFirst(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const HWND menu = FindWindowA("#32768", nullptr);
  for (WPARAM key : {VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
}

// The command chosen in the menu runs from a message of its own, once the menu has closed and the
// owner has heard so; the right-click is told whether or not a menu was shown.
TEST(TrayIcon, TheCommandChosenRunsAfterTheMenuHasClosedAndEveryRightClickIsTold) {
  TFakeNotifyIcon shell;
  TTrayIcon tray(nullptr);
  TPopupMenu menu(nullptr);
  std::vector<std::string> seen;
  auto* item = new TMenuItem(&menu);
  item->SetCaption("A");
  item->OnClick = [&](TComponent*) { seen.push_back("A"); };
  menu.Items().Add(item);
  tray.SetPopupMenu(&menu);
  bool may = true;
  tray.CanPopup = [&] { return may; };
  tray.OnPopupClosed = [&](TComponent*) { seen.push_back("closed"); };
  tray.OnRightClick = [&](TComponent*, TMouseButton, TShiftState, int, int) { seen.push_back("right-click"); };
  SetTimer(nullptr, 0, 200, &ChooseFirst);
  SendMessageA(tray.WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
  EXPECT_EQ(seen, std::vector<std::string>{"right-click"});
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  may = false;
  SendMessageA(tray.WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
  EXPECT_EQ(seen, (std::vector<std::string>{"right-click", "closed", "A", "right-click"}));
}

}  // namespace zv::test
