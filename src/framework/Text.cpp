#include "framework/Text.h"

#include <windows.h>

namespace zv {
namespace {

// Where the character that starts at the position ends. The code page is the process's for life.
std::size_t NextCharacter(const std::string& text, std::size_t at) {
  static const bool utf8 = GetACP() == CP_UTF8;
  const auto byte = static_cast<unsigned char>(text[at]);
  std::size_t next = at + 1;
  if (utf8) {
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
  } else if (IsDBCSLeadByte(byte) && next < text.size()) {
    ++next;
  }
  return next;
}

}  // namespace

std::string FirstCharacters(const std::string& text, std::size_t count) {
  if (text.size() <= count) return text;  // no character is less than a byte
  std::size_t end = 0;
  for (; end < text.size() && count > 0; --count) end = NextCharacter(text, end);
  return text.substr(0, end);
}

std::string FitBytes(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = 0;
  for (std::size_t next = 0; next < text.size() && (next = NextCharacter(text, end)) <= bytes;) end = next;
  return text.substr(0, end);
}

std::string UpperCase(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return text;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string upper(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, upper.data(), size, nullptr, nullptr);
  return upper.empty() ? text : upper;
}

}  // namespace zv
