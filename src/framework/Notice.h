#pragma once
// A notice the system gives by signalling an event (a change of a registry key, of the routing
// table), answered once by the application's message loop, on the program's own thread: no
// thread is made to wait for it.
#include <windows.h>

#include <functional>

#include "framework/Handles.h"

namespace zv {

class TEventNotice {
 public:
  TEventNotice();
  ~TEventNotice() { Disarm(); }
  TEventNotice(const TEventNotice&) = delete;
  TEventNotice& operator=(const TEventNotice&) = delete;

  // The event to hand to the system; null when it could not be made.
  HANDLE Event() const { return event_.Get(); }
  // Calls fired once, from the message loop, when the event is next signalled. False when there
  // is no event or no loop.
  bool Arm(std::function<void()> fired);
  // No call follows.
  void Disarm();

 private:
  TKernelHandle event_;
  bool armed_ = false;
};

}  // namespace zv
