#pragma once
// A function of a system library that is loaded at the function's first use, not at the start:
// a program that never needs the library never loads it.
#include <windows.h>

#include "framework/Handles.h"

namespace zv {

using TModuleHandle = TUniqueHandle<HMODULE, &FreeLibrary>;

template <typename Function>
class TLateProc {
 public:
  TLateProc(const char* library, const char* name) : library_(library), name_(name) {}
  // The function, or null when the library or the function cannot be had.
  Function* Get() {
    if (!tried_) {
      tried_ = true;
      module_.Reset(LoadLibraryA(library_));
      if (module_) function_ = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name_)));
    }
    return function_;
  }

 private:
  const char* library_;
  const char* name_;
  bool tried_ = false;
  TModuleHandle module_;
  Function* function_ = nullptr;
};

}  // namespace zv
