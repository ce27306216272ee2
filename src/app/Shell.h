#pragma once
// The shell's calls that the program makes besides the notification area: its StartUp folder,
// the notice that a file went, the beep, and starting a program.
#include <windows.h>

#include <string>

#include "framework/Seam.h"

namespace zv {

class IShellCalls {
 public:
  virtual ~IShellCalls() = default;
  // The shell's own StartUp folder (SHGetFolderPathA, CSIDL_STARTUP), or the empty text.
  virtual std::string StartupFolder() = 0;
  // SHChangeNotify with paths.
  virtual void ChangeNotify(LONG event, UINT flags, const std::string& item1, const std::string& item2) = 0;
  // MessageBeep.
  virtual void Beep(UINT type) = 0;
  // WinExec, shown normally.
  virtual void Execute(const std::string& commandLine) = 0;
};
template <>
IShellCalls& TSeam<IShellCalls>::Platform();
inline IShellCalls& Shell() { return TSeam<IShellCalls>::Calls(); }

}  // namespace zv
