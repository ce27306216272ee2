#pragma once

namespace zv {

// Sets a flag for the life of the guard, and gives it back its value also when a failure passes
// through.
class TFlagGuard {
 public:
  explicit TFlagGuard(bool& flag, bool value = true) : flag_(flag), old_(flag) { flag_ = value; }
  ~TFlagGuard() { flag_ = old_; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace zv
