#include "framework/Controls.h"

#include <algorithm>

#include "framework/Exception.h"
#include "framework/Form.h"

namespace zv {

TFont::TFont(const TFontStyle& style, UINT dpi) : style_(style) {
  LOGFONTA lf{};
  lf.lfHeight = -ScaleToDpi(style.height, dpi);
  lf.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = style.name == "Symbol" ? SYMBOL_CHARSET : DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, style.name.c_str(), LF_FACESIZE);
  font_.Reset(CreateFontIndirectA(&lf));
}

bool TFont::Available() const {
  TWindowDC dc(nullptr);
  TSelectObject select(dc.Get(), Handle());
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc.Get(), LF_FACESIZE, face);
  return lstrcmpiA(face, style_.name.c_str()) == 0;
}

TControl::TControl(TComponent* owner, HWND parent)
    : TComponent(owner), dpi_(WindowDpi(parent)), font_(std::make_unique<TFont>(TFontStyle{}, dpi_)) {
  TWindowParams params;
  params.style = WS_CHILD | WS_VISIBLE;
  params.parent = parent;
  window_ = std::make_unique<TWindow>(params, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    handle_ = w;
    return WndProc(m, wp, lp);
  });
}

TControl::TControl(TComponent* owner, HWND parent, const char* systemClass, DWORD style)
    : TComponent(owner), dpi_(WindowDpi(parent)), font_(std::make_unique<TFont>(TFontStyle{}, dpi_)) {
  systemWindow_.Reset(CreateWindowExA(0, systemClass, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
  if (!systemWindow_) throw Exception("Cannot create a window");
  handle_ = systemWindow_.Get();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetVisible(bool visible) { ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }
void TControl::SetEnabled(bool enabled) { EnableWindow(Handle(), enabled ? TRUE : FALSE); }

void TControl::SetFont(const TFontStyle& style) {
  auto font = std::make_unique<TFont>(style, dpi_);
  SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font->Handle()), TRUE);
  font_ = std::move(font);  // the control let go of the old font above: it may go now
}

void TControl::SetDpi(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  SetFont(font_->Style());
}

SIZE TControl::TextExtent(const std::string& text, bool prefix) const {
  TWindowDC dc(Handle());
  TSelectObject font(dc.Get(), font_->Handle());
  RECT r{0, 0, 0, 0};
  DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_SINGLELINE | (prefix ? 0u : static_cast<UINT>(DT_NOPREFIX)));
  return SIZE{r.right - r.left, r.bottom - r.top};
}

LRESULT TControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    Paint(dc);
    EndPaint(Handle(), &ps);
    return 0;
  }
  // Buttons placed on a control tell it when they are pressed.
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (TButton* button = TButton::FromHandle(reinterpret_cast<HWND>(lParam))) button->Click();
    return 0;
  }
  return DefWindowProcA(Handle(), message, wParam, lParam);
}

TPanel::TPanel(TComponent* owner, HWND parent) : TControl(owner, parent) {}

void TPanel::Paint(HDC dc) {
  RECT r{0, 0, width_, height_};
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDOUTER | BDR_RAISEDINNER, BF_RECT);
}

TImage::TImage(TComponent* owner, HWND parent) : TControl(owner, parent) {}

void TImage::SetIcon(HICON icon) {
  icon_ = icon;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TImage::Paint(HDC dc) {
  RECT r{0, 0, width_, height_};
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const int size = std::min(width_, height_);
  if (icon_) DrawIconEx(dc, (width_ - size) / 2, (height_ - size) / 2, icon_, size, size, 0, nullptr, DI_NORMAL);
}

namespace {
constexpr char kButtonProperty[] = "ZorvaneButton";
}

TButton::TButton(TComponent* owner, HWND parent) : TControl(owner, parent, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON) {
  SetPropA(Handle(), kButtonProperty, this);
}

TButton::~TButton() { RemovePropA(Handle(), kButtonProperty); }

TButton* TButton::FromHandle(HWND window) {
  return window ? static_cast<TButton*>(GetPropA(window, kButtonProperty)) : nullptr;
}

void TButton::SetCaption(const std::string& caption) { SetWindowTextA(Handle(), caption.c_str()); }

void TButton::Click() {
  if (OnClick) OnClick(this);
  if (ModalResult == 0) return;
  if (TForm* form = TForm::FromHandle(GetAncestor(Handle(), GA_ROOT))) form->SetModalResult(ModalResult);
}

TLabel::TLabel(TComponent* owner, HWND parent) : TControl(owner, parent) {}

void TLabel::SetCaption(const std::string& caption) {
  caption_ = caption;
  AdjustSize();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TLabel::AdjustSize() {
  const SIZE size = TextExtent(caption_);
  SetBounds(left_, top_, size.cx, size.cy);
}

void TLabel::SetDpi(UINT dpi) {
  TControl::SetDpi(dpi);
  AdjustSize();
}

void TLabel::Paint(HDC dc) {
  TSelectObject font(dc, font_->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, font_->Style().color);
  RECT r{0, 0, width_, height_};
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT TLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    // The parent's background shows through.
    HWND parent = GetParent(Handle());
    RECT r;
    GetClientRect(Handle(), &r);
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return TControl::WndProc(message, wParam, lParam);
}

}  // namespace zv
