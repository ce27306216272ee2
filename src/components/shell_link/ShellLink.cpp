#include "components/shell_link/ShellLink.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <new>
#include <vector>

#include "framework/Com.h"

namespace zv {
namespace {
const char* TextArg(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

HRESULT CreateLink(const std::string& target, const std::string& linkFile, const std::string& description) noexcept {
  try {
    std::vector<WCHAR> path(MAX_PATH, L'\0');
    TComPtr<IShellLinkA> link;
    HRESULT result = ComCreateInstance(CLSID_ShellLink, IID_IShellLinkA, link.Receive());
    if (FAILED(result)) return result;
    link->SetPath(TextArg(target));
    link->SetDescription(TextArg(description));
    TComPtr<IPersistFile> file;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Receive()))) {
      // A path that does not fit the buffer is not saved under a name it was cut to.
      if (MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, path.data(), MAX_PATH) == 0)
        return HRESULT_FROM_WIN32(GetLastError());
      result = file->Save(path.data(), TRUE);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace zv
