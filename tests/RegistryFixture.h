#pragma once
// A registry key of the test's own (under HKEY_CURRENT_USER unless said), removed with everything below it, raw
// access to values as another program (or a damaged profile) could have left them, and a folder.
#include <windows.h>
#include <shlwapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zv::test {

class TTestKey {
 public:
  explicit TTestKey(std::string path, HKEY root = HKEY_CURRENT_USER) : path_(std::move(path)), root_(root) { Remove(); }
  ~TTestKey() { Remove(); }
  const std::string& Path() const { return path_; }
  void Remove() const { SHDeleteKeyA(root_, path_.c_str()); }

  static bool Exists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  static void SetRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size,
                     HKEY root = HKEY_CURRENT_USER) {
    SHSetValueA(root, path.c_str(), name, type, data, size);
  }
  struct TRaw {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
    bool found = false;
  };
  static TRaw GetRaw(const std::string& path, const char* name) {
    TRaw raw;
    DWORD size = 0;
    if (SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name, &raw.type, nullptr, &size) != ERROR_SUCCESS) return raw;
    raw.data.resize(size);
    raw.found = SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name, &raw.type, raw.data.data(), &size) == ERROR_SUCCESS;
    return raw;
  }

 private:
  std::string path_;
  HKEY root_;
};

// A folder under the temporary folder, made if missing; without a final backslash.
inline std::string TempFolder(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = temp + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace zv::test
