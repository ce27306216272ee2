#include "framework/Application.h"

#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/Form.h"

namespace zv {

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  TWindowParams params;
  // A tool window never gets a taskbar button; it is never shown either.
  params.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  params.exStyle = WS_EX_TOOLWINDOW;
  window_ = std::make_unique<TWindow>(params, [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (MessageHook && MessageHook(m, wp, lp)) return 0;
    // Closing the application (as a task list does) closes its main form, the normal way out.
    if (m == WM_CLOSE) {
      if (mainForm_) mainForm_->Close();
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  });
}

TApplication::~TApplication() {
  // What the application owns goes first, while the window that owns their windows still exists.
  DestroyComponents();
  window_.reset();
  if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  SetWindowTextA(Handle(), title_.c_str());
}

void TApplication::DispatchOne(MSG& message) {
  if (IsDialogMessage(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

bool TApplication::IsDialogMessage(MSG& message) {
  // Keyboard navigation (Escape, Tab, Enter) for the form that has the focus.
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  HWND top = GetAncestor(message.hwnd, GA_ROOT);
  TForm* form = top ? TForm::FromHandle(top) : nullptr;
  return form && form->KeyPreview(message);
}

void TApplication::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      continue;
    }
    DispatchOne(message);
  }
}

void TApplication::HandleMessage() {
  MSG message;
  BOOL result = GetMessageA(&message, nullptr, 0, 0);
  if (result == 0 || result == -1) {
    terminated_ = true;
    return;
  }
  DispatchOne(message);
}

void TApplication::Run() {
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  return Dialogs().ShowMessage(Handle(), text, caption, flags);
}

void TApplication::HandleException(const std::exception& error) {
  try {
    MessageBox(error.what(), title_, MB_OK | MB_ICONSTOP);
  } catch (...) {
    // The report itself failed; the program runs on regardless.
  }
}

void TApplication::HandleException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("Unknown error"));
  }
}

void HandleCurrentException() noexcept {
  std::exception_ptr error = std::current_exception();
  if (Application && error) Application->HandleException(error);
}

}  // namespace zv
