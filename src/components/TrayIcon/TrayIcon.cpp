#include "components/TrayIcon/TrayIcon.h"

#include <cstring>

#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/Text.h"

namespace zv {
namespace {

class TShellNotifyIcon final : public INotifyIconApi {
 public:
  BOOL ShellNotifyIcon(DWORD message, TNotifyIconData& data) override {
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&data));
  }
  BOOL ShowBalloon(NOTIFYICONDATAA& data) override { return Shell_NotifyIconA(NIM_MODIFY, &data); }
};

}  // namespace

template <>
INotifyIconApi& TSeam<INotifyIconApi>::Platform() {
  static TShellNotifyIcon shell;
  return shell;
}

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner), icon_(std::make_unique<TIcon>()) {
  TWindowParams params;  // hidden, top-level (so the shell's broadcasts reach it), no title
  window_ = std::make_unique<TWindow>(
      params, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return HandleMessage(w, m, wp, lp); });
  // Sent to every top-level window when the shell (re)starts; our icon must then be added again.
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  dpi_ = WindowDpi(WindowHandle());
}

TTrayIcon::~TTrayIcon() {
  if (IconShown()) DeleteIcon();
  icon_.reset();
  window_.reset();
}

bool TTrayIcon::IconShown() const { return active_; }

void TTrayIcon::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (value)
    AddIcon();
  else
    DeleteIcon();
}

void TTrayIcon::SetIcon(const TIcon* icon) {
  if (icon == icon_.get()) return;
  iconId_ = 0;
  icon_->Assign(icon);
  ModifyIcon();
}

void TTrayIcon::SetIconResource(int id, int lightId) {
  iconId_ = id;
  lightIconId_ = lightId;
  loadedSize_ = 0;
  FollowIconResource();
}

void TTrayIcon::FollowIconResource() {
  if (iconId_ == 0) return;
  // The tray asks for the small-icon size of its scale: an image of exactly that size is drawn
  // crisp, where a smaller or larger one would be stretched.
  const int size = SmallIconSize(dpi_);
  const bool light = TaskbarIsDark();
  if (size == loadedSize_ && light == loadedLight_) return;
  loadedSize_ = size;
  loadedLight_ = light;
  icon_->LoadFromResource(light && lightIconId_ ? lightIconId_ : iconId_, size);
  ModifyIcon();
}

bool TaskbarIsDark() {
  TKeyHandle key;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                    KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  key.Reset(opened);
  DWORD value = 1, type = 0, size = sizeof value;
  // Missing (before Windows 10, under Wine) or not a number: the taskbar of old, which is light.
  if (RegQueryValueExA(key.Get(), "SystemUsesLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return false;
  return value == 0;
}

void TTrayIcon::SetToolTip(const std::string& text) {
  // The shell's original record holds 64 bytes with the final zero, and some shells drop the
  // last byte: 62, never half a character.
  toolTip_ = FitBytes(text, kMaxToolTip);
  ModifyIcon();
}

void TTrayIcon::FillIconData() {
  data_.cbSize = sizeof(TNotifyIconData);
  data_.hWnd = WindowHandle();
  data_.uID = 0;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_TRAYNOTIFY;
  data_.hIcon = icon_->Handle();
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  std::memcpy(data_.szTip, toolTip_.data(), std::min(toolTip_.size(), sizeof data_.szTip - 1));
}

void TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!IconShown()) return;
  // The original record has no room for a balloon; the larger one of Windows 2000 serves this
  // call alone, and it changes nothing but the balloon.
  NOTIFYICONDATAA balloon{};
  balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  balloon.hWnd = WindowHandle();
  balloon.uID = data_.uID;
  balloon.uFlags = NIF_INFO;
  std::memcpy(balloon.szInfo, text.data(), std::min(text.size(), sizeof balloon.szInfo - 1));
  std::memcpy(balloon.szInfoTitle, title.data(), std::min(title.size(), sizeof balloon.szInfoTitle - 1));
  balloon.uTimeout = 10000;
  balloon.dwInfoFlags = NIIF_INFO;
  NotifyIconApi().ShowBalloon(balloon);
}

void TTrayIcon::AddIcon() {
  FillIconData();
  NotifyIconApi().ShellNotifyIcon(NIM_ADD, data_);
  // Some shells show an icon added with an empty tip without one until it is set again: it is,
  // once the shell has taken the icon in.
  if (toolTip_.empty()) PostMessageA(WindowHandle(), WM_TRAYREFRESH, 0, 0);
}

void TTrayIcon::ModifyIcon() {
  FillIconData();
  if (active_) NotifyIconApi().ShellNotifyIcon(NIM_MODIFY, data_);
}

void TTrayIcon::DeleteIcon() { NotifyIconApi().ShellNotifyIcon(NIM_DELETE, data_); }

LRESULT TTrayIcon::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TRAYREFRESH) {
    SetToolTip(toolTip_);
    return 0;
  }
  if (message == WM_TRAYCOMMAND) {
    RunChosen();
    return 0;
  }
  if (message == WM_TRAYNOTIFY) {
    switch (static_cast<UINT>(lParam)) {
      case WM_LBUTTONUP:
        if (OnClick) OnClick(this);
        break;
      case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick(this);
        break;
      case WM_RBUTTONUP:
        RightClick();
        break;
      default:
        break;
    }
    return 0;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // The shell also starts again after a change of scale: the image for the new one goes in.
    dpi_ = WindowDpi(WindowHandle());
    FollowIconResource();
    if (IconShown()) AddIcon();
    return 0;
  }
  if (message == kDpiChangedMessage) {
    dpi_ = HIWORD(wParam);
    FollowIconResource();
    return 0;
  }
  // A change of theme ("ImmersiveColorSet"), of scale or of the displays: the image may have to
  // follow; every other change leaves it as it is.
  if (message == WM_SETTINGCHANGE || message == WM_DISPLAYCHANGE) {
    dpi_ = WindowDpi(WindowHandle());
    FollowIconResource();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TTrayIcon::RightClick() {
  POINT cursor{};
  GetCursorPos(&cursor);
  if (popupMenu_ && (!CanPopup || CanPopup())) {
    // Whatever happens, the owner hears that the menu closed: now, or with the chosen command.
    struct TClosed {
      TTrayIcon& icon;
      bool later = false;
      ~TClosed() {
        if (!later) icon.PopupClosed();
      }
    } closed{*this};
    // Keys reach the menu only while one of our windows is in the foreground.
    if (Application) {
      SetForegroundWindow(Application->Handle());
      Application->ProcessMessages();
    }
    // The command runs from a message of its own: never inside the menu's loop, and the message
    // is also what lets the menu close at the next click elsewhere, as the shell expects of a
    // menu that took the foreground.
    closed.later = popupMenu_->Popup(cursor.x, cursor.y) && PostMessageA(WindowHandle(), WM_TRAYCOMMAND, 0, 0);
  }
  if (OnRightClick) OnRightClick(this, TMouseButton::mbRight, TShiftState{}, cursor.x, cursor.y);
}

void TTrayIcon::RunChosen() {
  TMenuItem* chosen = popupMenu_ ? popupMenu_->TakeChosen() : nullptr;
  PopupClosed();
  if (chosen) chosen->Click();
}

void TTrayIcon::PopupClosed() {
  if (OnPopupClosed) OnPopupClosed(this);
}

}  // namespace zv
