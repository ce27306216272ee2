#pragma once
// The one application object of a process: its hidden top-level window (which carries the title
// and would carry the taskbar presence), the message loop and the default exception handling.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Window.h"

// Our message box is TApplication::MessageBox; the platform's is always called as MessageBoxA.
#undef MessageBox

namespace zv {

class TForm;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  HWND Handle() const { return window_->Handle(); }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  // Dispatches every message waiting in the thread's queue, and the notice of every event
  // signalled, and returns when none is left.
  void ProcessMessages();
  // Waits for one message, or one event's notice, and handles it.
  void HandleMessage();
  // The system signals an event (a change of a registry key, of the routing table): fired is
  // called once, on this thread, from the message loop; no thread waits for it. Asked again by
  // another call; ForgetEvent drops it.
  void NoticeEvent(HANDLE event, std::function<void()> fired);
  void ForgetEvent(HANDLE event);
  // Runs the message loop until Terminate or the main form closes.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The main form ends the message loop when it closes.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // A plain message box with the application's window as owner; returns the button pressed.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // Sees every message of the application's window first while set; true means handled.
  std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> MessageHook;

  // Default exception handling: the message in a message box captioned with the title; the
  // program runs on.
  void HandleException(const std::exception& error);
  void HandleException(std::exception_ptr error);

  // Windows disabled while a modal window runs; messages for them are not dispatched otherwise.
  bool IsDialogMessage(MSG& message);

 private:
  void DispatchOne(MSG& message);
  // Calls the notice of the event signalled, if one is within the time; true when one was.
  bool FireSignalled(DWORD timeout);
  std::unique_ptr<TWindow> window_;
  struct TNoticed {
    HANDLE Event;
    std::function<void()> Fired;
  };
  std::vector<TNoticed> noticed_;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The process's application object; created in main (or by a test), never copied.
extern TApplication* Application;

}  // namespace zv
