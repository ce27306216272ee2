#pragma once
// The program's one way to wait: work that arrives while a change is under way is kept, in the
// order it came, and done once the change has ended.
//
// The states, from the changes under way (innermost last):
//  - Idle: nothing is under way; work is done when it arrives.
//  - Rebuilding: the printer list is being read again. Clicks on the menu do nothing.
//  - Switching: a printer is being made the default.
//  - Announcing: the program's own announcement of a new default is on its way to every window;
//    the echo of it that reaches the program is no change made elsewhere and is dropped.
//  - MenuOpen: the menu is up, and the choice made in it is carried out before anything else.
//  While any of these is under way, announcements from elsewhere, right-clicks, looks at the
//  network and changes of policy wait.
//  - Ended: the user confirmed UnInstall and the program is ending: nothing waits or runs again,
//    so nothing it would write outlives the removal of its settings. (Under Wine, CUPS following a choice is no change under
//  way: while the program holds the spooler, no Windows program that starts copies CUPS's default
//  into the profile.)
// Waiting work runs when the state allows it, woken through the window: never inside the change
// that made it wait.
#include <algorithm>
#include <functional>
#include <vector>

namespace zv {

enum class TChangeKind { Rebuilding, Switching, Announcing, MenuOpen };
enum class TWaitingWork { FollowChange, Refresh, ShowMenu, LookAtNetwork, ReadPolicy };

class TWaiting {
 public:
  // wake is called when waiting work may now run.
  explicit TWaiting(std::function<void()> wake) : wake_(std::move(wake)) {}

  // A change under way for the life of the object.
  class TChange {
   public:
    TChange(TWaiting& waiting, TChangeKind kind) : waiting_(waiting) { waiting_.Enter(kind); }
    ~TChange() { waiting_.Leave(); }
    TChange(const TChange&) = delete;
    TChange& operator=(const TChange&) = delete;

   private:
    TWaiting& waiting_;
  };

  void Enter(TChangeKind kind) { changes_.push_back(kind); }
  // For good: what is kept is dropped, and nothing arriving later is done or kept.
  void End() {
    ended_ = true;
    kept_.clear();
  }
  void Leave() {
    if (!changes_.empty()) changes_.pop_back();
    if (changes_.empty()) WakeIfRunnable();
  }
  bool Under(TChangeKind kind) const { return std::find(changes_.begin(), changes_.end(), kind) != changes_.end(); }
  bool Idle() const { return changes_.empty(); }

  // True when the work may be done now; otherwise it is kept (once) until it may.
  bool NowOrLater(TWaitingWork work) {
    if (ended_) return false;
    if (Runnable(work)) return true;
    if (std::find(kept_.begin(), kept_.end(), work) == kept_.end()) kept_.push_back(work);
    return false;
  }
  // The kept work that may be done now, in the order it arrived; it is no longer kept.
  std::vector<TWaitingWork> TakeRunnable() {
    std::vector<TWaitingWork> now;
    for (auto it = kept_.begin(); it != kept_.end();)
      if (Runnable(*it)) {
        now.push_back(*it);
        it = kept_.erase(it);
      } else {
        ++it;
      }
    return now;
  }
  // Wakes the window when kept work can run.
  void WakeIfRunnable() {
    for (TWaitingWork work : kept_)
      if (Runnable(work)) {
        if (wake_) wake_();
        return;
      }
  }

 private:
  bool Runnable(TWaitingWork) const { return changes_.empty(); }
  std::function<void()> wake_;
  std::vector<TChangeKind> changes_;
  std::vector<TWaitingWork> kept_;
  bool ended_ = false;
};

}  // namespace zv
