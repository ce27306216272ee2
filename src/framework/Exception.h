#pragma once
// The program's failures carry a message that the default exception handling shows to the user.
#include <exception>
#include <string>
#include <utility>

namespace zv {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Hands the exception in flight to the application's default handling. Called from every
// window procedure, hook and callback so that no exception crosses into the platform.
void HandleCurrentException() noexcept;

}  // namespace zv
