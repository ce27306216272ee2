#pragma once
// Cutting 8-bit text where a person sees characters: in the process's code page, which is UTF-8
// where the platform honours the program's manifest, a double-byte code page on some systems, and
// a single-byte one elsewhere. A cut never leaves half a character behind.
#include <string>

namespace zv {

// The first count characters of the text (all of it when it has fewer).
std::string FirstCharacters(const std::string& text, std::size_t count);
// The longest beginning of the text that fits in the given number of bytes.
std::string FitBytes(const std::string& text, std::size_t bytes);
// Upper case, as the system folds file names.
std::string UpperCase(const std::string& text);

}  // namespace zv
