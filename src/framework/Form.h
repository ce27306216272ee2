#pragma once
// A top-level window built from a description: the description is one function of the form's
// own source that creates its components in order and sets their properties.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Dpi.h"
#include "framework/Window.h"

namespace zv {

enum class TBorderStyle { bsNone, bsSingle };

// While it lives a modal window or dialog is up: the thread's other visible windows are disabled.
// Afterwards they are enabled again, and the window that was active is active again.
class TModalScope {
 public:
  explicit TModalScope(HWND except = nullptr);
  ~TModalScope();
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM scope);
  HWND except_;
  HWND active_;
  std::vector<HWND> disabled_;
};

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

class TForm : public TComponent {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  HWND Handle() const { return handle_; }
  static TForm* FromHandle(HWND window);

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void SetBorderStyle(TBorderStyle style);
  // The title-bar buttons; false leaves none (no system menu).
  void SetBorderIcons(bool systemMenu);
  void SetTopmost(bool topmost);
  // Centred on the screen whenever it is shown.
  void SetCentred(bool centred) { centred_ = centred; }
  // The control that has the keyboard focus when the form is shown.
  void SetActiveControl(HWND control) { activeControl_ = control; }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetBounds(int left, int top, int width, int height);
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetClientSize(int width, int height);
  int ClientWidth() const;
  int ClientHeight() const;

  bool Visible() const { return IsWindowVisible(Handle()) != FALSE; }
  void Show();
  void Hide();
  // The main form ends the application; a modal form ends its modal showing.
  void Close();
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Keyboard messages for this form before they are dispatched; true when handled.
  virtual bool KeyPreview(MSG& message);

  // The DPI the form is drawn at, and a size at 96 DPI at that scale.
  UINT Dpi() const { return dpi_; }
  int Scale(int value) const { return ScaleToDpi(value, dpi_); }

 protected:
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // After a change of DPI, once the controls have their fonts at the new scale: a form that
  // lays itself out does it again here.
  virtual void DpiChanged() {}

 private:
  void ApplyCentring();
  void FocusActiveControl();
  void ChangeDpi(UINT dpi, const RECT& suggested);
  HWND handle_ = nullptr;  // known from the first message, before window_ is assigned
  std::unique_ptr<TWindow> window_;
  bool centred_ = false;
  HWND activeControl_ = nullptr;
  bool modal_ = false;
  int modalResult_ = mrNone;
  UINT dpi_ = kStandardDpi;
};

}  // namespace zv
