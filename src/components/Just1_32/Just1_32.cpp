#include "components/Just1_32/Just1_32.h"

#include "framework/Lifecycle.h"
#include "framework/Text.h"

namespace zv {

TPreviousInstance* PreviousInstance = nullptr;

void TPreviousInstance::SetWindowTitle(const std::string& text) {
  if (text.find(".EXE") != std::string::npos) windowTitle_ = text.substr(0, text.size() - 4);
}

void TPreviousInstance::Detect() { Detect(ModuleFileName()); }

void TPreviousInstance::Detect(const std::string& modulePath) {
  const std::size_t slash = modulePath.find_last_of("\\:");
  const std::string fileName = (slash == std::string::npos ? modulePath : modulePath.substr(slash + 1)).substr(0, 255);
  // The same file started as zorvane.exe or ZORVANE.EXE is the same program: file names know no case.
  const std::string mutexName = UpperCase(fileName);
  SetWindowTitle(fileName);
  CloseMutex();
  mutex_.Reset(CreateMutexA(nullptr, TRUE, mutexName.c_str()));
  const DWORD error = GetLastError();
  found_ = false;
  if (mutex_ && error == ERROR_ALREADY_EXISTS) {
    found_ = true;
    CloseMutex();
  }
}

void TPreviousInstance::CloseMutex() { mutex_.Reset(); }

void InitJust1_32() {
  AddExitProc([] {
    if (PreviousInstance) PreviousInstance->CloseMutex();
  });
  PreviousInstance = new TPreviousInstance();
  PreviousInstance->Detect();
}

void ActivatePreviousInstance(const std::string& windowTitle) {
  // Our own application window bears the title too and stands first: rename it, search again.
  HWND window = FindWindowA(nullptr, windowTitle.c_str());
  if (window) SetWindowTextA(window, "something else");
  window = FindWindowA(nullptr, windowTitle.c_str());
  if (!window) return;
  if (IsIconic(window))
    ShowWindow(window, SW_RESTORE);
  else
    BringWindowToTop(window);
}

TJustOne32::TJustOne32(TComponent* owner) : TComponent(owner) {
  if (!PreviousInstance || !PreviousInstance->Found()) return;
  // Without a title (the file name has no ".EXE") there is no window to look for: searching
  // for an empty title would rename some unrelated window.
  if (!PreviousInstance->WindowTitle().empty()) ActivatePreviousInstance(PreviousInstance->WindowTitle());
  Halt(0);
}

}  // namespace zv
