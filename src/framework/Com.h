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

// The component object model's calls, loaded when first needed: a start never loads OLE. Each
// answers an error when the library cannot be had.
HRESULT ComInitialize();
void ComUninitialize();
HRESULT ComCreateInstance(REFCLSID type, REFIID iid, void** object);

// CoInitialize for the life of this object; undone only if it succeeded.
class TComInit {
 public:
  TComInit() : result_(ComInitialize()) {}
  ~TComInit() {
    if (SUCCEEDED(result_)) ComUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  HRESULT result_;
};

}  // namespace zv
