#pragma once
// Popup menus with captions, check marks and sub-items. The item tree is the truth; the
// platform menu is made from it each time the menu pops up.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Component.h"

namespace zv {

class TPopupMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  // Destroys the sub-items and leaves the parent.
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool IsSeparator() const { return caption_ == "-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  // A disabled item is shown greyed and cannot be chosen.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  TNotifyEvent OnClick;

  // Sub-items, by position.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* item);
  // Removes and destroys every sub-item at index or after.
  void DeleteFrom(int index);
  // Position within the parent, or -1.
  int MenuIndex() const;

  // Raises OnClick.
  void Click();

 private:
  friend class TPopupMenu;
  void Detach();
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  TPopupMenu* popup_ = nullptr;  // the popup menu showing this item right now
  int popupSlot_ = -1;           // its command slot there
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem& Items() { return *items_; }

  // Shows the menu at a screen position and returns after it has closed: true when an item was
  // chosen. That item is kept for TakeChosen, which raises nothing: its caller runs the command
  // when it may. An item destroyed meanwhile is no longer kept.
  bool Popup(int x, int y);
  TMenuItem* TakeChosen();

  // The platform menu that Popup would show; for inspection.
  HMENU BuildMenu();

 private:
  friend class TMenuItem;
  void Forget(TMenuItem* item);
  HMENU BuildLevel(TMenuItem& level);
  TMenuItem* items_;
  std::vector<TMenuItem*> slots_;  // command id - 1 -> item, while the menu is up
  TMenuItem* chosen_ = nullptr;
};

}  // namespace zv
