#include "framework/Component.h"

namespace zv {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) ownerSlot_ = owner_->components_.insert(owner_->components_.end(), this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) owner_->components_.erase(ownerSlot_);
}

void TComponent::DestroyComponents() {
  // Each child's destructor unlinks it from our list, so always take the last one.
  while (!components_.empty()) delete components_.back();
}

}  // namespace zv
