#include "framework/Notice.h"

#include <utility>

#include "framework/Application.h"

namespace zv {

TEventNotice::TEventNotice() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

bool TEventNotice::Arm(std::function<void()> fired) {
  Disarm();
  if (!event_ || !Application) return false;
  armed_ = true;
  Application->NoticeEvent(event_.Get(), [this, fired = std::move(fired)] {
    armed_ = false;
    fired();
  });
  return true;
}

void TEventNotice::Disarm() {
  if (armed_ && Application) Application->ForgetEvent(event_.Get());
  armed_ = false;
}

}  // namespace zv
