#pragma once
// RAII owners for the platform's handles: each handle has exactly one owner that releases it.
#include <windows.h>

#include <utility>

namespace zv {

template <typename T, auto Release>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(T handle) : handle_(handle) {}
  ~TUniqueHandle() { Reset(); }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Detach()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }

  T Get() const { return handle_; }
  explicit operator bool() const { return handle_ != T{}; }
  T Detach() { return std::exchange(handle_, T{}); }
  // Releases the handle now and answers what the release answered; the handle is given up
  // whatever that answer.
  decltype(auto) Close() { return Release(Detach()); }
  void Reset(T handle = T{}) {
    T old = std::exchange(handle_, handle);
    if (old != T{}) Release(old);
  }

 private:
  T handle_{};
};

using TKernelHandle = TUniqueHandle<HANDLE, &CloseHandle>;
using TWindowHandle = TUniqueHandle<HWND, &DestroyWindow>;
using TMenuHandle = TUniqueHandle<HMENU, &DestroyMenu>;
using TIconHandle = TUniqueHandle<HICON, &DestroyIcon>;
using TFontHandle = TUniqueHandle<HGDIOBJ, &DeleteObject>;
using TKeyHandle = TUniqueHandle<HKEY, &RegCloseKey>;
using TGlobalMemory = TUniqueHandle<HGLOBAL, &GlobalFree>;

// A movable global memory block, owned and kept locked for the life of its owner.
class TLockedBlock {
 public:
  TLockedBlock() = default;
  ~TLockedBlock() { Reset(); }
  TLockedBlock(const TLockedBlock&) = delete;
  TLockedBlock& operator=(const TLockedBlock&) = delete;

  HGLOBAL Get() const { return memory_.Get(); }
  void* Data() const { return data_; }
  // Takes another block (or none); the one held is unlocked and freed. The same block: nothing.
  void Reset(HGLOBAL block = nullptr) {
    if (block == memory_.Get()) return;
    if (data_) GlobalUnlock(memory_.Get());
    memory_.Reset(block);
    data_ = block ? GlobalLock(block) : nullptr;
  }

 private:
  TGlobalMemory memory_;
  void* data_ = nullptr;
};

// A movable global memory block locked for the life of this object.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
  ~TGlobalLock() {
    if (data_) GlobalUnlock(block_);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;

  void* Data() const { return data_; }
  template <typename T>
  T* As() const {
    return static_cast<T*>(data_);
  }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  HGLOBAL block_;
  void* data_;
};

// A device context obtained with GetDC, released with ReleaseDC.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects a GDI object into a device context and puts the previous one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~TSelectObject() {
    if (old_) SelectObject(dc_, old_);
  }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace zv
