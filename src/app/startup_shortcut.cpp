// The shortcut in the user's StartUp folder that starts the program with Windows. Its presence
// also tells a first run.
#include <windows.h>
#include <shlobj.h>

#include <cctype>

#include "app/Shell.h"
#include "app/main_window.h"
#include "components/RegFiles/RegFiles.h"
#include "components/shell_link/ShellLink.h"
#include "product/Product.h"
#include "framework/Com.h"
#include "framework/Lifecycle.h"

namespace zv {

std::string ShortcutPath;
namespace {

class TPlatformShell final : public IShellCalls {
 public:
  std::string StartupFolder() override {
    char folder[MAX_PATH] = "";  // the size the shell's call is made for
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder)) ? folder : "";
  }
  void ChangeNotify(LONG event, UINT flags, const std::string& item1, const std::string& item2) override {
    SHChangeNotify(event, flags, item1.c_str(), item2.c_str());
  }
  void Beep(UINT type) override { MessageBeep(type); }
  void Execute(const std::string& commandLine) override { WinExec(commandLine.c_str(), SW_SHOWNORMAL); }
};

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder below a drive (C:\Start) or below a network share (\\server\share...): never
// relative, and never a drive's or server's root, where a shortcut has no business.
bool AbsoluteFolder(const std::string& folder) {
  const bool drive = folder.size() > 3 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' &&
                     folder[2] == '\\' && folder[3] != '\\';
  const std::size_t share = folder.find('\\', 2);
  const bool network = folder.size() >= 3 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\' &&
                       share != std::string::npos && share + 1 < folder.size() && folder[share + 1] != '\\';
  return drive || network;
}
}  // namespace

template <>
IShellCalls& TSeam<IShellCalls>::Platform() {
  static TPlatformShell shell;
  return shell;
}

void TMainForm::ComputeShortcutPath() {
  ShortcutPath.clear();
  std::string folder;
  try {
    Reg->Key = kShellFoldersKey;
    TVariant value;
    Reg->ReadValue("StartUp", value);
    if (value.Kind() == varString) folder = value.AsText();
  } catch (const std::exception&) {
  }
  // Never a relative path: that would put the shortcut wherever the current drive's root is.
  if (!AbsoluteFolder(folder)) folder = Shell().StartupFolder();
  if (!AbsoluteFolder(folder)) return;
  if (folder.back() != '\\') folder += '\\';
  // Kept whole: a path cut short would name a file without the .LNK extension.
  ShortcutPath = folder + kDescription + ".LNK";
}

bool TMainForm::ShortcutExists() const { return !ShortcutPath.empty() && FileExists(ShortcutPath); }

bool TMainForm::CreateStartupShortcut() {
  if (ShortcutPath.empty()) return false;
  TComInit com;
  return SUCCEEDED(CreateLink(ModuleFileName(), ShortcutPath, "")) && ShortcutExists();
}

void TMainForm::RemoveStartupShortcut() {
  if (ShortcutPath.empty()) return;
  if (FileExists(ShortcutPath)) DeleteFileA(ShortcutPath.c_str());
  Shell().ChangeNotify(SHCNE_DELETE, SHCNF_PATHA, ShortcutPath, ShortcutPath);
}

}  // namespace zv
