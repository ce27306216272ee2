#pragma once
// Which network the machine is on, visit by visit: the same router on the same connection is the
// same network each time the machine comes back to it, whether or not the router has answered
// yet. It looks at the tables only while something asks for moves (printers remembered per
// network, or an organisation's rules), at the system's notices or else at an interval.
#include <optional>

#include "app/CoreWindow.h"
#include "app/NetworkTables.h"

namespace zv {

// What taking a look in tells.
enum class TArrival {
  None,      // still the same visit
  Joined,    // another network than before, or none: a new visit
  Answered,  // the same visit, whose router has answered only now
};

class TNetworkVisit {
 public:
  explicit TNetworkVisit(ICoreWindow& window) : window_(window) {}
  // No notice reaches the window once the visit is gone.
  ~TNetworkVisit();
  TNetworkVisit(const TNetworkVisit&) = delete;
  TNetworkVisit& operator=(const TNetworkVisit&) = delete;

  // Starts or stops watching. Joining, the network of the moment is one the machine comes to (the
  // program's start); otherwise it is where the machine already is, and no move.
  void Watch(bool watch, bool join);
  bool Watching() const { return watching_; }
  // Asks again for the next notice of a route change (each notice answers one request).
  void Listen();
  // Whether anything the network is told by changed since the last look taken in: the only
  // reading while nothing moves.
  bool RoutesMoved();
  // Takes the look of RoutesMoved in.
  TArrival TakeIn() { return TakeIn(latest_); }
  // Takes in where the machine is now, from a whole look: before a printer is remembered for it.
  TArrival LookNow();
  // The network of this visit: incomplete until its router answered.
  const TNetwork& Network() const { return visit_; }

 private:
  TArrival TakeIn(const TNetworkLook& look);
  // Where no notices come, or while the router has yet to answer (no notice tells), looks at an interval.
  void Pace();
  ICoreWindow& window_;
  bool watching_ = false;
  bool notices_ = false;
  // The last look taken in, and the one RoutesMoved made since.
  std::optional<TNetworkLook> taken_;
  TNetworkLook latest_;
  TNetwork visit_;
};

}  // namespace zv
