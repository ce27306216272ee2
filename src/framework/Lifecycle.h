#pragma once
// Unit exit hooks. Start-up hooks are called explicitly, in unit order, from main.cpp, because
// the order of static initialisation across files is not defined.
#include <functional>
#include <string>

namespace zv {

// Adds a hook to the exit chain; the chain runs last-added first.
void AddExitProc(std::function<void()> proc);
// Runs the exit chain once; later calls find it empty.
void RunExitProcs() noexcept;
// Ends the process through the normal exit path: the exit chain, then the exit code.
[[noreturn]] void Halt(int code) noexcept;

// The running program's own full path, whole however long it is.
std::string ModuleFileName();

}  // namespace zv
