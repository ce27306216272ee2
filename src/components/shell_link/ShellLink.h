#pragma once
// Writes a shell shortcut file that points at a target, through the shell's link object.
#include <windows.h>

#include <string>

namespace zv {

// The calling thread must have initialised COM. Raises nothing: the result is the platform's code
// (the link object's creation failure, or the save's result).
HRESULT CreateLink(const std::string& target, const std::string& linkFile, const std::string& description) noexcept;

}  // namespace zv
