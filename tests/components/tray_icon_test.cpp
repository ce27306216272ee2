#include "Testing.h"

#include <map>

#include "framework/Dpi.h"

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

// An icon's size and its pixels, colour and alpha.
std::pair<int, std::vector<std::uint32_t>> Pixels(HICON icon) {
  ICONINFO info{};
  GetIconInfo(icon, &info);
  using TBitmap = TUniqueHandle<HGDIOBJ, &DeleteObject>;
  TBitmap colour(info.hbmColor), mask(info.hbmMask);  // the copies GetIconInfo made are ours
  BITMAP bitmap{};
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  BITMAPINFO format{{sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  TWindowDC screen(nullptr);
  GetDIBits(screen.Get(), info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  return {bitmap.bmWidth, pixels};
}

// The images of an icon resource, drawn as they are stored: size to pixels, for the 32-bit ones.
std::map<int, std::vector<std::uint32_t>> Stored(int id) {
#pragma pack(push, 2)
  struct TEntry { BYTE width, height, colours, reserved; WORD planes, bits; DWORD bytes; WORD id; };
#pragma pack(pop)
  const auto data = [](LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(nullptr, name, type);
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  };
  const BYTE* group = data(MAKEINTRESOURCEA(id), RT_GROUP_ICON);
  std::map<int, std::vector<std::uint32_t>> images;
  const auto* entries = reinterpret_cast<const TEntry*>(group + 6);
  for (WORD i = 0; i < reinterpret_cast<const WORD*>(group)[2]; ++i) {
    if (entries[i].bits != 32) continue;
    const int size = entries[i].width ? entries[i].width : 256;
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(data(MAKEINTRESOURCEA(entries[i].id), RT_ICON)),
                                          entries[i].bytes, TRUE, 0x00030000, size, size, 0);
    images[size] = Pixels(TIconHandle(icon).Get()).second;
  }
  return images;
}

// Both looks hold every size the tray and the About window ask for, in 32-bit colour; the tray shows
// the image stored for its scale's small-icon size, not a stretched one, and the light look exactly
// while Windows' theme says the taskbar is dark.
TEST(TrayIcon, ShowsTheStoredImageOfItsScalesSizeInTheLookOfTheTaskbarsTheme) {
  const auto dark = Stored(kIconResource), light = Stored(kLightIconResource);
  for (const auto* look : {&dark, &light}) {
    std::vector<int> sizes;
    for (const auto& [size, pixels] : *look) sizes.push_back(size);
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
  }
  TFakeNotifyIcon shell;
  TTestKey theme("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
  TTrayIcon tray(nullptr);
  tray.SetIconResource(kIconResource, kLightIconResource);
  tray.SetActive(true);
  const auto shown = [&] { return Pixels(shell.calls.back().data.hIcon); };
  const int size = SmallIconSize(WindowDpi(tray.WindowHandle()));
  EXPECT_EQ(shown().second, dark.at(size));  // no theme: the look of old
  for (DWORD usesLight : {0, 1, 0}) {
    theme.Set("", "SystemUsesLightTheme", usesLight);
    SendMessageA(tray.WindowHandle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("ImmersiveColorSet"));
    EXPECT_EQ(shown().second, (usesLight ? dark : light).at(size)) << usesLight;
  }
  for (UINT dpi : {96, 120, 144, 192}) {  // still on a dark taskbar
    RECT suggested{};
    SendMessageA(tray.WindowHandle(), kDpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(shown(), std::make_pair(ScaleToDpi(16, dpi), light.at(ScaleToDpi(16, dpi)))) << dpi;
  }
}

}  // namespace zv::test
