#include "framework/Notice.h"

#include <utility>

namespace zv {

TEventNotice::TEventNotice() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

bool TEventNotice::Arm(std::function<void()> fired) {
  Disarm();
  if (!event_) return false;
  fired_ = std::move(fired);
  HANDLE wait = nullptr;
  if (!RegisterWaitForSingleObject(&wait, event_.Get(), &Fired, this, INFINITE, WT_EXECUTEONLYONCE)) return false;
  wait_ = wait;
  return true;
}

void TEventNotice::Disarm() {
  if (!wait_) return;
  UnregisterWaitEx(std::exchange(wait_, nullptr), INVALID_HANDLE_VALUE);
}

void CALLBACK TEventNotice::Fired(void* self, BOOLEAN) {
  // Nothing may leave a call of the system's pool.
  try {
    static_cast<TEventNotice*>(self)->fired_();
  } catch (...) {
  }
}

}  // namespace zv
