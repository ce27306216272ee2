#include "framework/Lifecycle.h"

#include <windows.h>

#include <vector>

namespace zv {
namespace {
std::vector<std::function<void()>>& ExitChain() {
  static std::vector<std::function<void()>> chain;
  return chain;
}
}  // namespace

void AddExitProc(std::function<void()> proc) { ExitChain().push_back(std::move(proc)); }

void RunExitProcs() noexcept {
  auto& chain = ExitChain();
  while (!chain.empty()) {
    auto proc = std::move(chain.back());
    chain.pop_back();
    try {
      if (proc) proc();
    } catch (...) {
      // An exit hook that fails must not keep the others from running.
    }
  }
}

void Halt(int code) noexcept {
  RunExitProcs();
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace zv
