#pragma once
// What the program's core asks of the window that shows it.

namespace zv {

class ICoreView {
 public:
  virtual ~ICoreView() = default;
  // The entries, the check mark or the tip changed: show them.
  virtual void CoreChanged() = 0;
  // A printer could not be made the default: the user is told, with a beep when it has gone.
  virtual void ReportFailure(bool beep) = 0;
  // A right-click that waited for a change to end.
  virtual void PopUpMenu() = 0;
  // What the user is told once, in the balloon of the icon's tip.
  virtual void Tell(const char* text) = 0;
};

}  // namespace zv
