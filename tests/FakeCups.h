#pragma once
// lpoptions as the CUPS step sees it; a closed gate holds every run until the test opens it or the
// program lets go of the step.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/cups_default.h"

namespace zv::test {

class TFakeCups : public TStandIn<ICupsPlatform> {
 public:
  bool wine = true;
  bool succeed = true;

  bool UnderWine() override { return wine; }
  bool Run(const std::vector<std::string>& arguments, HANDLE abandon) override {
    std::string command;
    for (const std::string& argument : arguments) command += (command.empty() ? "" : " ") + argument;
    std::unique_lock<std::mutex> guard(lock_);
    runs_.push_back(command);
    changed_.notify_all();
    for (int waits = 0; !open_ && waits < 1000; ++waits) {  // at most 5 s: a step let go of ends at once
      if (WaitForSingleObject(abandon, 0) == WAIT_OBJECT_0) return false;
      changed_.wait_for(guard, std::chrono::milliseconds(5));
    }
    return succeed;
  }
  void Gate(bool open) {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = open;
    changed_.notify_all();
  }
  // Waits until the given number of runs has started; the commands so far.
  std::vector<std::string> Runs(std::size_t started = 0) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::seconds(5), [&] { return runs_.size() >= started; });
    return runs_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = true;
  std::vector<std::string> runs_;
};

}  // namespace zv::test
