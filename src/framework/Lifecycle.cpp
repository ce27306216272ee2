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

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    // A path that filled the buffer may have been cut: ask again with more room.
    if (length < buffer.size() || buffer.size() >= 32768) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

void Halt(int code) noexcept {
  RunExitProcs();
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace zv
