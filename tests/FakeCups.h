#pragma once
// lpoptions as the CUPS step sees it; a closed gate holds every run until the test opens it.
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
  std::string tool = "/usr/bin/lpoptions";  // the one there is
  bool succeed = true;

  bool UnderWine() override { return wine; }
  bool FileExists(const std::string& unixPath) override { return unixPath == tool; }
  bool Run(const std::string& command, DWORD) override {
    std::unique_lock<std::mutex> guard(lock_);
    runs_.push_back(command);
    changed_.notify_all();
    changed_.wait(guard, [this] { return open_; });
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
