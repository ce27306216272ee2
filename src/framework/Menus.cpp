#include "framework/Menus.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Handles.h"

namespace zv {

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  DeleteFrom(0);
  if (popup_) popup_->Forget(this);
  Detach();
}

void TMenuItem::Detach() {
  if (!parent_) return;
  auto& siblings = parent_->items_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item) {
  item->Detach();
  item->parent_ = this;
  items_.push_back(item);
}

void TMenuItem::DeleteFrom(int index) {
  if (index < 0 || index >= Count()) return;
  std::vector<TMenuItem*> removed(items_.begin() + index, items_.end());
  items_.erase(items_.begin() + index, items_.end());
  for (TMenuItem* item : removed) {
    item->parent_ = nullptr;
    delete item;
  }
}

int TMenuItem::MenuIndex() const {
  if (!parent_) return -1;
  const auto& siblings = parent_->items_;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TMenuItem::Click() {
  // A handler may destroy its own item (a menu rebuild): it runs from a copy of the event.
  if (const TNotifyEvent handler = OnClick) handler(this);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() {
  for (TMenuItem* item : slots_)
    if (item) item->popup_ = nullptr;
  if (chosen_) chosen_->popup_ = nullptr;
}

void TPopupMenu::Forget(TMenuItem* item) {
  if (item->popupSlot_ >= 0 && static_cast<size_t>(item->popupSlot_) < slots_.size())
    slots_[static_cast<size_t>(item->popupSlot_)] = nullptr;
  if (item == chosen_) chosen_ = nullptr;
  item->popup_ = nullptr;
  item->popupSlot_ = -1;
}

HMENU TPopupMenu::BuildLevel(TMenuItem& level) {
  TMenuHandle menu(CreatePopupMenu());
  if (!menu) throw Exception("Cannot create a menu");
  for (TMenuItem* item : level.items_) {
    if (item->IsSeparator()) {
      AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->checked_ ? MF_CHECKED : MF_UNCHECKED) | (item->enabled_ ? MF_ENABLED : MF_GRAYED);
    if (item->Count() > 0) {
      TMenuHandle sub(BuildLevel(*item));
      if (AppendMenuA(menu.Get(), flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Get()), item->caption_.c_str()))
        sub.Detach();  // the parent menu owns it now
      continue;
    }
    item->popup_ = this;
    item->popupSlot_ = static_cast<int>(slots_.size());
    slots_.push_back(item);
    AppendMenuA(menu.Get(), flags, slots_.size(), item->caption_.c_str());
  }
  return menu.Detach();
}

HMENU TPopupMenu::BuildMenu() {
  for (TMenuItem* item : slots_)
    if (item) Forget(item);
  slots_.clear();
  return BuildLevel(*items_);
}

bool TPopupMenu::Popup(int x, int y) {
  TakeChosen();
  TMenuHandle menu(BuildMenu());
  HWND owner = Application ? Application->Handle() : nullptr;
  UINT command = static_cast<UINT>(
      TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  TMenuItem* chosen = nullptr;
  if (command > 0 && command <= slots_.size()) chosen = slots_[command - 1];
  for (TMenuItem* item : slots_)
    if (item) Forget(item);
  slots_.clear();
  // Kept as the slots were: its destruction forgets it here.
  chosen_ = chosen;
  if (chosen_) chosen_->popup_ = this;
  return chosen_ != nullptr;
}

TMenuItem* TPopupMenu::TakeChosen() {
  TMenuItem* chosen = chosen_;
  if (chosen) Forget(chosen);
  return chosen;
}

}  // namespace zv
