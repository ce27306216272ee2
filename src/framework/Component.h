#pragma once
// Components with owners: an owner destroys what it owns, last created first.
#include <cstddef>
#include <functional>
#include <list>
#include <string>

namespace zv {

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  // What this component owns, first created first.
  const std::list<TComponent*>& Components() const { return components_; }

 protected:
  // Destroys every owned component, last created first.
  void DestroyComponents();

 private:
  TComponent* owner_;
  std::list<TComponent*> components_;
  std::list<TComponent*>::iterator ownerSlot_;  // our place in the owner's list: O(1) removal
};

// Events: an unassigned (empty) event is skipped by whoever raises it.
using TNotifyEvent = std::function<void(TComponent* sender)>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
struct TShiftState {
  bool shift = false, alt = false, ctrl = false;
  bool Empty() const { return !shift && !alt && !ctrl; }
};
using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;

}  // namespace zv
