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
  // Under the machine's key, in the 64-bit programs' view, where Group Policy writes.
  explicit TTestKey(std::string path, HKEY root = HKEY_CURRENT_USER) : path_(std::move(path)), root_(root) { Remove(); }
  ~TTestKey() { Remove(); }
  const std::string& Path() const { return path_; }
  void Remove() const {
    const std::size_t slash = path_.rfind('\\');
    HKEY parent;
    if (RegOpenKeyExA(root_, path_.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &parent) != ERROR_SUCCESS) return;
    SHDeleteKeyA(parent, path_.substr(slash + 1).c_str());
    RegCloseKey(parent);
  }
  // A value below the key ("": the key itself), made with the keys it needs.
  void Set(const std::string& sub, const std::string& name, DWORD type, const void* data, DWORD size) const {
    HKEY key;
    if (RegCreateKeyExA(root_, (sub.empty() ? path_ : path_ + "\\" + sub).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void Set(const std::string& sub, const std::string& name, const std::string& text) const {
    Set(sub, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void Set(const std::string& sub, const std::string& name, DWORD number) const { Set(sub, name, REG_DWORD, &number, 4); }

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
