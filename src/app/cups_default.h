#pragma once
// On Linux under Wine, the place that really records the default printer is CUPS: every program
// that loads the spooler copies CUPS's default into the profile. A printer made the default here
// is therefore also made the user's CUPS default, or it would not last. On Windows nothing here
// runs.
//
// Starting lpoptions costs more than the rest of a switch together, so it runs on a thread of its
// own, after the switch is done for the user: rapid switches leave only the last choice to send.
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "framework/Seam.h"

namespace zv {

// What the unit needs of the platform; replaceable so tests can see what would be run.
class ICupsPlatform {
 public:
  virtual ~ICupsPlatform() = default;
  virtual bool UnderWine() = 0;
  virtual bool FileExists(const std::string& unixPath) = 0;
  // Runs a Linux command line and waits for its end, at most the given time; true when it ended
  // with code 0. Called on the CUPS step's own thread.
  virtual bool Run(const std::string& unixCommand, DWORD timeoutMs) = 0;
};
template <>
ICupsPlatform& TSeam<ICupsPlatform>::Platform();
inline ICupsPlatform& CupsPlatform() { return TSeam<ICupsPlatform>::Calls(); }

class TCupsDefault {
 public:
  // The message is posted to the window when CUPS has the last choice (or gave up on it).
  TCupsDefault(HWND notify, UINT message);
  ~TCupsDefault();
  TCupsDefault(const TCupsDefault&) = delete;
  TCupsDefault& operator=(const TCupsDefault&) = delete;

  // Notes CUPS's default as the spooler copied it into the profile when it was first loaded; call
  // it before the program first writes the profile. Only the first call counts.
  void NoteCupsDefault();
  // Makes the queue behind a new default printer the user's CUPS default, unless it is that
  // already or was just tried; silent on every failure. True when a step was handed on.
  bool Keep(const std::string& device, const std::string& port);
  // A step is waiting or running: a Windows program started now may still copy the old default.
  bool Busy();
  // The printer is the one CUPS had as default before the steps now under way: the profile
  // naming it is a copy that a Windows program took while CUPS had not yet followed.
  bool Superseded(const std::string& device);

 private:
  void Work();

  HWND notify_;
  UINT message_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::string known_;       // the queue CUPS is known to have as default
  std::string wanted_;      // the last queue chosen; tried once, not again until another is chosen
  std::string pending_;     // the queue waiting for the thread
  std::string superseded_;  // CUPS's default before the steps under way
  bool noted_ = false;
  bool running_ = false;
  bool stop_ = false;
  std::thread worker_;  // started at the first step: a program that never switches never has it
};

}  // namespace zv
