#pragma once
// Child controls of a form: labels sized to their text, and the font they draw with.
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Component.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Window.h"

namespace zv {

class TForm;

struct TFontStyle {
  std::string name = "MS Sans Serif";
  int height = 11;  // character height in pixels at 96 DPI
  bool bold = false;
  COLORREF color = RGB(0, 0, 0);
};

// A font made from a style at a DPI; the GDI object lives as long as this.
class TFont {
 public:
  explicit TFont(const TFontStyle& style, UINT dpi = kStandardDpi);
  HFONT Handle() const { return static_cast<HFONT>(font_.Get()); }
  const TFontStyle& Style() const { return style_; }
  // Whether the system really has the face asked for, rather than a substitute.
  bool Available() const;

 private:
  TFontStyle style_;
  TFontHandle font_;
};

// A child window placed on a parent window.
class TControl : public TComponent {
 public:
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  bool Visible() const { return IsWindowVisible(Handle()) != FALSE; }
  void SetVisible(bool visible);
  bool Enabled() const { return IsWindowEnabled(Handle()) != FALSE; }
  void SetEnabled(bool enabled);
  HWND Handle() const { return handle_; }
  void SetFont(const TFontStyle& style);
  const TFont& Font() const { return *font_; }
  // The DPI the control is drawn at; a new one makes its font again at that scale.
  UINT Dpi() const { return dpi_; }
  virtual void SetDpi(UINT dpi);
  // The size of a line of text in the control's font; with prefix, "&" marks a mnemonic.
  SIZE TextExtent(const std::string& text, bool prefix = false) const;

 protected:
  TControl(TComponent* owner, HWND parent);
  // A control of one of the system's own window classes, which draws and handles itself.
  TControl(TComponent* owner, HWND parent, const char* systemClass, DWORD style);
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Draws the control; the whole client area is to be painted.
  virtual void Paint(HDC) {}
  HWND handle_ = nullptr;  // known from the first message, before window_ is assigned
  std::unique_ptr<TWindow> window_;
  TWindowHandle systemWindow_;  // the window of a system-class control
  UINT dpi_;
  std::unique_ptr<TFont> font_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A panel with raised outer and inner bevels; other controls sit on it.
class TPanel : public TControl {
 public:
  TPanel(TComponent* owner, HWND parent);

 protected:
  void Paint(HDC dc) override;
};

// A picture (an icon) centred in its bounds, drawn at the size of the smaller side.
class TImage : public TControl {
 public:
  TImage(TComponent* owner, HWND parent);
  void SetIcon(HICON icon);  // not owned

 protected:
  void Paint(HDC dc) override;

 private:
  HICON icon_ = nullptr;
};

// A push button; pressing it raises OnClick and ends its form's modal showing with ModalResult.
class TButton : public TControl {
 public:
  TButton(TComponent* owner, HWND parent);
  ~TButton() override;
  static TButton* FromHandle(HWND window);

  void SetCaption(const std::string& caption);
  int ModalResult = 0;
  // The Escape key presses it.
  bool Cancel = false;
  TNotifyEvent OnClick;
  void Click();
};

// Text on the parent's background, sized to its text.
class TLabel : public TControl {
 public:
  TLabel(TComponent* owner, HWND parent);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Resizes the label to its text in its font.
  void AdjustSize();
  void SetDpi(UINT dpi) override;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  std::string caption_;
};

}  // namespace zv
