#include "framework/Form.h"

#include <vector>

#include "framework/Application.h"
#include "framework/Controls.h"

namespace zv {
namespace {
constexpr char kFormProperty[] = "ZorvaneForm";
}  // namespace

TModalScope::TModalScope(HWND except) : except_(except), active_(GetActiveWindow()) {
  EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
}

TModalScope::~TModalScope() {
  for (HWND w : disabled_)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  if (active_ && IsWindow(active_)) SetActiveWindow(active_);
}

BOOL CALLBACK TModalScope::Disable(HWND window, LPARAM data) {
  auto* scope = reinterpret_cast<TModalScope*>(data);
  if (window != scope->except_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    scope->disabled_.push_back(window);
  }
  return TRUE;
}

TForm::TForm(TComponent* owner) : TComponent(owner) {
  TWindowParams params;
  params.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  params.parent = Application ? Application->Handle() : nullptr;
  params.width = 200;
  params.height = 100;
  window_ = std::make_unique<TWindow>(params, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    handle_ = w;
    return WndProc(m, wp, lp);
  });
  SetPropA(Handle(), kFormProperty, this);
  dpi_ = WindowDpi(Handle());
}

TForm::~TForm() {
  // Controls are child windows of ours: destroy them while our window still exists.
  DestroyComponents();
  if (Handle()) RemovePropA(Handle(), kFormProperty);
}

TForm* TForm::FromHandle(HWND window) { return static_cast<TForm*>(GetPropA(window, kFormProperty)); }

std::string TForm::Caption() const { return GetWindowTitle(Handle()); }
void TForm::SetCaption(const std::string& caption) { SetWindowTextA(Handle(), caption.c_str()); }

void TForm::SetBorderStyle(TBorderStyle style) {
  LONG_PTR s = GetWindowLongPtrA(Handle(), GWL_STYLE);
  LONG_PTR frame = WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME;
  s &= ~frame;
  if (style == TBorderStyle::bsSingle) s |= WS_CAPTION;
  SetWindowLongPtrA(Handle(), GWL_STYLE, s);
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::SetBorderIcons(bool systemMenu) {
  LONG_PTR s = GetWindowLongPtrA(Handle(), GWL_STYLE);
  s = systemMenu ? (s | WS_SYSMENU) : (s & ~static_cast<LONG_PTR>(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  SetWindowLongPtrA(Handle(), GWL_STYLE, s);
}

void TForm::SetTopmost(bool topmost) {
  SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int TForm::Left() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r.left;
}
int TForm::Top() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r.top;
}
int TForm::Width() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r.right - r.left;
}
int TForm::Height() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}
int TForm::ClientWidth() const {
  RECT r{};
  GetClientRect(Handle(), &r);
  return r.right;
}
int TForm::ClientHeight() const {
  RECT r{};
  GetClientRect(Handle(), &r);
  return r.bottom;
}

void TForm::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::ApplyCentring() {
  // Halves truncate toward zero; a window larger than the screen starts at its edge.
  int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
  SetBounds(left < 0 ? 0 : left, top < 0 ? 0 : top, Width(), Height());
}

void TForm::Show() {
  if (centred_) ApplyCentring();
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  FocusActiveControl();
}

void TForm::FocusActiveControl() {
  if (activeControl_ && IsWindowVisible(activeControl_) && IsWindowEnabled(activeControl_)) SetFocus(activeControl_);
}

void TForm::Hide() { ShowWindow(Handle(), SW_HIDE); }

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
  } else if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

int TForm::ShowModal() {
  TModalScope scope(Handle());
  modal_ = true;
  modalResult_ = mrNone;
  struct TEnd {
    TForm& form;
    ~TEnd() {
      form.modal_ = false;
      form.Hide();
    }
  } end{*this};
  Show();
  SetForegroundWindow(Handle());
  FocusActiveControl();
  while (modalResult_ == mrNone && Application && !Application->Terminated()) Application->HandleMessage();
  return modalResult_;
}

bool TForm::KeyPreview(MSG&) { return false; }

void TForm::ChangeDpi(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  for (TComponent* component : Components())
    if (auto* control = dynamic_cast<TControl*>(component)) control->SetDpi(dpi);
  DpiChanged();
  // A form that sizes itself keeps its own size; where it goes is the system's suggestion.
  if (centred_)
    ApplyCentring();
  else
    SetBounds(suggested.left, suggested.top, Width(), Height());
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Close();
    return 0;
  }
  if (message == kDpiChangedMessage) {
    ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return 0;
  }
  return DefWindowProcA(Handle(), message, wParam, lParam);
}

}  // namespace zv
