#pragma once
// On Linux under Wine, the place that really records the default printer is CUPS: a Windows
// program that loads the spooler while no other program has it loaded copies CUPS's default into
// the profile. This program holds the spooler from its start, so while it runs nothing is copied;
// once it has ended, the next Windows program copies CUPS's default. A printer made the default
// here is therefore also made the user's CUPS default, or it would not outlast the program. On
// Windows nothing here runs.
//
// Starting lpoptions costs more than the rest of a switch together, so it runs on a thread of its
// own, after the switch is done for the user: rapid switches leave only the last choice to send.
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Handles.h"
#include "framework/Seam.h"

namespace zv {

// What the unit needs of the platform; replaceable so tests can see what would be run.
class ICupsPlatform {
 public:
  virtual ~ICupsPlatform() = default;
  virtual bool UnderWine() = 0;
  // Runs a Linux program found on the user's PATH with these arguments (UTF-8), each handed over
  // whole and never read by a shell. The program is ended once it has run for its time limit.
  // Waits for its end, or returns at once when abandon is signalled; true only when it ended with
  // code 0. Called on the CUPS step's own thread.
  virtual bool Run(const std::vector<std::string>& arguments, HANDLE abandon) = 0;
};
template <>
ICupsPlatform& TSeam<ICupsPlatform>::Platform();
inline ICupsPlatform& CupsPlatform() { return TSeam<ICupsPlatform>::Calls(); }

class TCupsDefault {
 public:
  TCupsDefault();
  // A step still running is abandoned, not waited for: it ends by itself within its time limit.
  ~TCupsDefault();
  TCupsDefault(const TCupsDefault&) = delete;
  TCupsDefault& operator=(const TCupsDefault&) = delete;

  // Notes the profile's default as CUPS's, right after the program first loaded the spooler; call
  // it before the program first writes the profile. Only the first call counts.
  void NoteCupsDefault();
  // Makes the queue behind a new default printer the user's CUPS default: its port CUPS:<queue> as
  // the profile's list of devices names it (listedPort, when the caller has read it already), the
  // queue taken whole. A printer chosen on purpose is always sent: CUPS's default may have been
  // changed from Linux since. A re-application is not sent when CUPS is known to have the queue or
  // it was just tried. Silent on every failure; true when a step was handed on.
  bool Keep(const std::string& device, const std::string& listedPort, bool chosen);
  // A step is waiting or running.
  bool Busy();

 private:
  void Work();

  std::mutex lock_;
  std::condition_variable wake_;
  std::string known_;    // the queue CUPS is known to have as default; empty: unknown
  std::string wanted_;   // the last queue handed on; a re-application does not try it again
  std::string pending_;  // the queue waiting for the thread
  bool noted_ = false;
  bool running_ = false;
  bool stop_ = false;
  TKernelHandle abandon_;  // signalled when the program ends: a running step is let go
  std::thread worker_;     // started at the first step: a program that never switches never has it
};

}  // namespace zv
