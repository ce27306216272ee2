#pragma once
// On Linux under Wine, the place that really records the default printer is CUPS: every program
// that loads the spooler copies CUPS's default into the profile. A printer made the default here
// is therefore also made the user's CUPS default, or it would not last. On Windows nothing here
// runs.
#include <windows.h>

#include <string>

#include "framework/Seam.h"

namespace zv {

// What the unit needs of the platform; replaceable so tests can see what would be run.
class ICupsPlatform {
 public:
  virtual ~ICupsPlatform() = default;
  virtual bool UnderWine() = 0;
  // The Windows path of an existing Linux file, or the empty text.
  virtual std::string FindFile(const std::string& unixPath) = 0;
  // Runs a program and waits for it at most the given time; true when it ended with code 0.
  virtual bool Run(const std::string& commandLine, DWORD timeoutMs) = 0;
};
template <>
ICupsPlatform& TSeam<ICupsPlatform>::Platform();
inline ICupsPlatform& CupsPlatform() { return TSeam<ICupsPlatform>::Calls(); }

// Start-up hook: notes CUPS's default as the spooler reported it when the program started.
void InitCupsDefault();

// Makes the queue behind a new default printer the user's CUPS default, unless it is that
// already; bounded in time, silent on every failure. Returns whether lpoptions was run.
bool KeepCupsDefault(const std::string& device, const std::string& port);

}  // namespace zv
