#pragma once
// One icon in the taskbar notification area: its image and tip kept current, and mouse actions
// on it turned into events and a popup menu.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <functional>
#include <string>

#include "framework/Component.h"
#include "framework/Icon.h"
#include "framework/Menus.h"
#include "framework/Seam.h"
#include "framework/Window.h"

namespace zv {

constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;   // from the shell: a mouse action on the icon
constexpr UINT WM_TRAYREFRESH = WM_USER + 2;  // to ourselves: re-apply tip and image
constexpr UINT WM_TRAYCOMMAND = WM_USER + 3;  // to ourselves: run the command chosen in the menu

// The shell's original notification record (NOTIFYICONDATA as Windows 95 defines it).
struct TNotifyIconData {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
#if defined(__i386__)
static_assert(sizeof(TNotifyIconData) == 88);
static_assert(NOTIFYICONDATAA_V2_SIZE == 488);
#endif

// Shell_NotifyIconA, replaceable so tests can count and inspect the calls.
class INotifyIconApi {
 public:
  virtual ~INotifyIconApi() = default;
  virtual BOOL ShellNotifyIcon(DWORD message, TNotifyIconData& data) = 0;
  // A balloon on the icon (NIM_MODIFY with NIF_INFO), in the shell's larger record.
  virtual BOOL ShowBalloon(NOTIFYICONDATAA& data) = 0;
};
template <>
INotifyIconApi& TSeam<INotifyIconApi>::Platform();
inline INotifyIconApi& NotifyIconApi() { return TSeam<INotifyIconApi>::Calls(); }

class TTrayIcon : public TComponent {
 public:
  static constexpr std::size_t kMaxToolTip = 62;

  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool value);
  const TIcon* Icon() const { return icon_.get(); }
  void SetIcon(const TIcon* icon);
  // The image from the program's icon resources instead, at the small-icon size of the scale the
  // tray is drawn at, and in the look that stands out on the taskbar: lightId's where the taskbar
  // is dark. Followed when the scale or the theme changes.
  void SetIconResource(int id, int lightId);
  const std::string& ToolTip() const { return toolTip_; }
  void SetToolTip(const std::string& text);
  // Tells the user something in the tip's balloon while the icon is shown; texts too long are cut.
  void ShowBalloon(const std::string& title, const std::string& text);
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnRightClick;
  // Asked before a right-click shows the menu: false holds it back (the owner shows it later).
  std::function<bool()> CanPopup;
  // A menu that CanPopup let through has closed: right away when nothing was chosen in it, else
  // just before the chosen item's command runs, as a message of its own once the menu has gone.
  TNotifyEvent OnPopupClosed;
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

  HWND WindowHandle() const { return window_ ? window_->Handle() : nullptr; }

 private:
  void FillIconData();
  void AddIcon();
  void ModifyIcon();
  void DeleteIcon();
  bool IconShown() const;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RightClick();
  void RunChosen();
  void PopupClosed();
  // Loads the resource's image again where the size or the look it should have has changed.
  void FollowIconResource();

  TNotifyIconData data_{};
  std::unique_ptr<TIcon> icon_;
  std::string toolTip_;
  std::unique_ptr<TWindow> window_;
  bool active_ = false;
  TPopupMenu* popupMenu_ = nullptr;
  UINT taskbarCreated_ = 0;
  int iconId_ = 0, lightIconId_ = 0;  // 0: the image is the one given to SetIcon
  UINT dpi_ = 0;  // the scale the tray is drawn at
  int loadedSize_ = 0;
  bool loadedLight_ = false;
};

// Whether the taskbar is dark (Windows 10 on, where the user's theme says so); elsewhere it is not.
bool TaskbarIsDark();

}  // namespace zv
