#pragma once
// Records the notification-area calls instead of making them.
#include "components/TrayIcon/TrayIcon.h"

namespace zv::test {

class TFakeNotifyIcon : public TStandIn<INotifyIconApi> {
 public:
  struct TCall {
    DWORD message;
    TNotifyIconData data;
  };
  BOOL ShellNotifyIcon(DWORD message, TNotifyIconData& data) override {
    calls.push_back({message, data});
    // The shell's call is a sent message: while it waits, messages sent to us are handled.
    if (During) During(message);
    return TRUE;
  }
  BOOL ShowBalloon(NOTIFYICONDATAA& data) override {
    balloons.push_back(data);
    return TRUE;
  }
  std::vector<NOTIFYICONDATAA> balloons;
  std::function<void(DWORD message)> During;
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const auto& call : calls) messages.push_back(call.message);
    return messages;
  }
  std::vector<TCall> calls;
};

// Handles this thread's waiting messages; given a condition, until it holds, for at most five seconds.
inline bool Pump(const std::function<bool()>& done = nullptr) {
  for (const DWORD start = GetTickCount();; Sleep(2)) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (!done || done()) return true;
    if (GetTickCount() - start >= 5000) return false;
  }
}

// Closes the menu a timer found open: a menu shown in a test would wait for a choice.
inline void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

}  // namespace zv::test
