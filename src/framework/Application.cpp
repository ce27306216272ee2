#include "framework/Application.h"

#include <algorithm>

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

void TApplication::NoticeEvent(HANDLE event, std::function<void()> fired) {
  ForgetEvent(event);
  noticed_.push_back({event, std::move(fired)});
}

void TApplication::ForgetEvent(HANDLE event) {
  std::erase_if(noticed_, [event](const TNoticed& noticed) { return noticed.Event == event; });
}

bool TApplication::FireSignalled(DWORD timeout) {
  if (noticed_.empty()) return false;
  std::vector<HANDLE> events;
  for (const TNoticed& noticed : noticed_) events.push_back(noticed.Event);
  const DWORD count = static_cast<DWORD>(std::min<std::size_t>(events.size(), MAXIMUM_WAIT_OBJECTS - 1));
  const DWORD woke = timeout ? MsgWaitForMultipleObjectsEx(count, events.data(), timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                             : WaitForMultipleObjects(count, events.data(), FALSE, 0);
  if (woke >= WAIT_OBJECT_0 + count) return false;
  // Once: the notice is taken before it is called, and the call may ask for the next one.
  const std::function<void()> fired = std::move(noticed_[woke - WAIT_OBJECT_0].Fired);
  noticed_.erase(noticed_.begin() + (woke - WAIT_OBJECT_0));
  try {
    fired();
  } catch (...) {
    HandleCurrentException();
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (FireSignalled(0)) {
  }
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
  if (!noticed_.empty()) {
    // A message or a notice, whichever comes first.
    if (FireSignalled(INFINITE) || !PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (message.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    DispatchOne(message);
    return;
  }
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
