#pragma once
// An icon image, owned: assigning copies the other icon's image.
#include <windows.h>

#include "framework/Handles.h"

namespace zv {

class TIcon {
 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  HICON Handle() const { return icon_.Get(); }
  bool Empty() const { return !icon_; }
  // Copies the other icon's image; a null or empty source empties this one.
  void Assign(const TIcon* source) { icon_.Reset(source && !source->Empty() ? CopyIcon(source->Handle()) : nullptr); }
  // Loads an icon resource of the running module at the given size.
  void LoadFromResource(int id, int size) {
    icon_.Reset(
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
  }

 private:
  TIconHandle icon_;
};

}  // namespace zv
