#pragma once
// The window as the program's core sees it: the one way the core reaches it. The core has no
// window of its own; tests stand in for this with no message loop at all.

namespace zv {

// What the core asks to be woken for, on the window's thread.
enum class TCoreWake {
  RunWaiting,     // work that waited for a change to end may run now
  RouteChanged,   // the system's notice of a change of the routing table
  PolicyChanged,  // the system's notice of a change of a policy key
  LookAtNetwork,  // the interval at which the network is looked at
};

class ICoreWindow {
 public:
  virtual ~ICoreWindow() = default;
  // The entries, the check mark or the tip changed: show them.
  virtual void CoreChanged() = 0;
  // A printer could not be made the default: the user is told, with a beep when it has gone.
  virtual void ReportFailure(bool beep) = 0;
  // A right-click that waited for a change to end.
  virtual void PopUpMenu() = 0;
  // What the user is told once, in the balloon of the icon's tip.
  virtual void Tell(const char* text) = 0;
  // The core's Wake(what) is called on the window's thread, later, never inside this call. Safe
  // from any thread.
  virtual void Post(TCoreWake what) = 0;
  // The interval at which LookAtNetwork wakes the core: on or off.
  virtual void Pace(bool on) = 0;
  // Every top-level window is told that the default printer changed.
  virtual void Announce() = 0;
};

}  // namespace zv
