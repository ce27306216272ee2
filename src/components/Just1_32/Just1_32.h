#pragma once
// Keeps a second copy of the program from running: a named mutex tells whether a copy runs
// already; the second copy then brings the first one's window forward and ends.
#include <windows.h>

#include <string>

#include "framework/Component.h"
#include "framework/Handles.h"

namespace zv {

class TPreviousInstance {
 public:
  const std::string& WindowTitle() const { return windowTitle_; }
  // Takes the text without its last four characters when it contains ".EXE" (case as written).
  void SetWindowTitle(const std::string& text);
  // Creates the mutex named after the executable's file name and notes whether it existed.
  void Detect();
  void Detect(const std::string& modulePath);
  bool Found() const { return found_; }
  void CloseMutex();

 private:
  std::string windowTitle_;
  TKernelHandle mutex_;
  bool found_ = false;
};

// The process's record, made by the unit's start-up hook and kept until the process ends.
extern TPreviousInstance* PreviousInstance;

// Start-up hook of the unit: adds the exit hook that releases the mutex, then detects.
void InitJust1_32();

// Placed on the main window: in a second copy its construction activates the first copy and ends
// the process with exit code 0.
class TJustOne32 : public TComponent {
 public:
  explicit TJustOne32(TComponent* owner);
  std::string About;
};

// Brings forward the window titled like the first copy's (renaming our own first), as the
// activation does; exposed for tests.
void ActivatePreviousInstance(const std::string& windowTitle);

}  // namespace zv
