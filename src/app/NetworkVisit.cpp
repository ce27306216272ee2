#include "app/NetworkVisit.h"

namespace zv {

TNetworkVisit::~TNetworkVisit() {
  if (notices_) NetworkCalls().AwaitRouteChange(nullptr);
}

void TNetworkVisit::Watch(bool watch, bool join) {
  watching_ = watch;
  taken_.reset();
  visit_ = {};
  if (notices_ && !watch) NetworkCalls().AwaitRouteChange(nullptr);
  notices_ = false;
  Listen();
  if (!join && watching_ && RoutesMoved()) TakeIn(latest_);
}

void TNetworkVisit::Listen() {
  if (watching_) notices_ = NetworkCalls().AwaitRouteChange(&window_);
  Pace();
}

void TNetworkVisit::Pace() {
  window_.Pace(watching_ && (!notices_ || (!visit_.Gateway.empty() && !visit_.Complete())));
}

bool TNetworkVisit::RoutesMoved() {
  if (!watching_) return false;
  // A notice is rare and may be the only one a move brings: it gets a whole look.
  latest_ = NetworkCalls().Look(notices_);
  return !taken_ || latest_ != *taken_;
}

TArrival TNetworkVisit::LookNow() {
  if (!watching_) return TArrival::None;
  // The look alone tells that nothing moved.
  const TNetworkLook look = NetworkCalls().Look(true);
  if (taken_ && look == *taken_) return TArrival::None;
  return TakeIn(look);
}

TArrival TNetworkVisit::TakeIn(const TNetworkLook& look) {
  taken_ = look;
  const TNetwork& now = look.Network;
  const TNetwork before = visit_;
  if (!now.Gateway.empty() && before.Behind(now) && before.Complete() != now.Complete()) {
    // Still the same visit: the router answered only now, or its entry in the table lapsed. A
    // router that lapsed keeps the network it told.
    if (!now.Complete()) return TArrival::None;
    visit_ = now;
    Pace();
    return TArrival::Answered;
  }
  if (now == before) return TArrival::None;
  visit_ = now;
  Pace();
  return TArrival::Joined;
}

}  // namespace zv
