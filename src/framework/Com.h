#pragma once
// RAII for the component object model: an interface pointer released once, and the thread's
// initialisation undone once.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace zv {

template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  T* operator->() const { return pointer_; }
  T* Get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For functions that hand out a new reference.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void Reset() {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }

 private:
  T* pointer_ = nullptr;
};

// CoInitialize for the life of this object; undone only if it succeeded.
class TComInit {
 public:
  TComInit() : result_(CoInitialize(nullptr)) {}
  ~TComInit() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  HRESULT result_;
};

}  // namespace zv
