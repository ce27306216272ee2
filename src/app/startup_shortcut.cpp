// The shortcut in the user's StartUp folder that starts the program with Windows. Its presence
// also tells a first run.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "app/main_window.h"
#include "components/shell_link/ShellLink.h"
#include "framework/Com.h"

namespace zv {

std::string ShortcutPath;
TShellChangeNotify ShellChangeNotify = &SHChangeNotify;

namespace {
bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size() || buffer.size() >= 32768) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

void TMainForm::ComputeShortcutPath() {
  ShortcutPath.clear();
  std::string folder;
  try {
    Reg->Key = kShellFoldersKey;
    TVariant value;
    Reg->ReadValue("StartUp", value);
    folder = VarToStr(value);
  } catch (const std::exception&) {
    folder.clear();
  }
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // Kept whole: a path cut short would name a file without the .LNK extension.
  ShortcutPath = folder + kDescription + ".LNK";
}

bool TMainForm::ShortcutExists() const { return FileExists(ShortcutPath); }

void TMainForm::CreateStartupShortcut() {
  TComInit com;
  CreateLink(ModuleFileName(), ShortcutPath, "");
}

void TMainForm::RemoveStartupShortcut() {
  if (FileExists(ShortcutPath)) DeleteFileA(ShortcutPath.c_str());
  ShellChangeNotify(SHCNE_DELETE, SHCNF_PATHA, ShortcutPath.c_str(), ShortcutPath.c_str());
}

}  // namespace zv
