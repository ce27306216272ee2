#pragma once
// A notice the system gives by signalling an event (a change of the routing table, of a registry
// key), answered once on a thread of the system's pool. What is done there must be safe on any
// thread: posting a message to a window is.
#include <windows.h>

#include <functional>

#include "framework/Handles.h"

namespace zv {

class TEventNotice {
 public:
  TEventNotice();
  // No call of the notice runs once it is gone.
  ~TEventNotice() { Disarm(); }
  TEventNotice(const TEventNotice&) = delete;
  TEventNotice& operator=(const TEventNotice&) = delete;

  // The event to hand to the system; null when it could not be made.
  HANDLE Event() const { return event_.Get(); }
  // Calls fired once, on a pool thread, when the event is next signalled. False when the system
  // will not wait for it.
  bool Arm(std::function<void()> fired);
  // A call under way is waited for; none follows. Never from within the call itself.
  void Disarm();

 private:
  static void CALLBACK Fired(void* self, BOOLEAN);
  TKernelHandle event_;
  HANDLE wait_ = nullptr;
  std::function<void()> fired_;
};

}  // namespace zv
