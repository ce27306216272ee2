#include "printers/SpoolerApi.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/Library.h"

namespace zv {
namespace {

// The spooler is loaded at its first use, not at the start: under Wine loading it loads CUPS's
// libraries, which the icon need not wait for. Without it, nothing can be listed or opened.
constexpr char kSpooler[] = "winspool.drv";
TLateProc<decltype(EnumPrintersA)> enumPrinters(kSpooler, "EnumPrintersA");
TLateProc<decltype(EnumPrintersW)> enumPrintersWide(kSpooler, "EnumPrintersW");
TLateProc<decltype(OpenPrinterA)> openPrinter(kSpooler, "OpenPrinterA");
TLateProc<decltype(ClosePrinter)> closePrinter(kSpooler, "ClosePrinter");
TLateProc<decltype(DocumentPropertiesA)> documentProperties(kSpooler, "DocumentPropertiesA");

#if defined(__i386__)
static_assert(sizeof(PRINTER_INFO_4A) == 12);
static_assert(sizeof(PRINTER_INFO_5A) == 20);
#endif

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// Where the process's code page is not UTF-8 (a Windows that does not honour the program's
// manifest), a name the code page cannot hold arrives changed: "?" or a look-alike letter in place
// of characters. The wide list tells which names these are: a name that does not come back whole
// from the code page. Their records, from the first given on, are marked.
void MarkPartialNames(DWORD flags, DWORD level, std::vector<TPrinterRecord>& printers, std::size_t first) {
  auto* call = enumPrintersWide.Get();
  DWORD needed = 0, returned = 0;
  if (!call || (call(flags, nullptr, level, nullptr, 0, &needed, &returned), needed == 0)) return;
  std::vector<BYTE> buffer(needed);
  if (!call(flags, nullptr, level, buffer.data(), needed, &needed, &returned)) return;
  const std::size_t recordSize = level == 4 ? sizeof(PRINTER_INFO_4W) : sizeof(PRINTER_INFO_5W);
  const std::size_t count = std::min<std::size_t>(returned, buffer.size() / recordSize);
  for (std::size_t i = 0; i < count; ++i) {
    // Both levels begin with the printer's name.
    const WCHAR* name = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data() + i * recordSize)->pPrinterName;
    const int size = name ? WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr) : 0;
    if (size <= 0) continue;
    std::string narrow(static_cast<std::size_t>(size), '\0');  // as the 8-bit listing gives it
    WideCharToMultiByte(CP_ACP, 0, name, -1, narrow.data(), size, nullptr, nullptr);
    const int back = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0) MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, wide.data(), back);
    if (back > 0 && std::wcscmp(wide.c_str(), name) == 0) continue;
    narrow.resize(static_cast<std::size_t>(size - 1));
    for (std::size_t r = first; r < printers.size(); ++r)
      if (printers[r].Name == narrow) printers[r].Whole = false;
  }
}

class TRealSpooler final : public ISpoolerApi {
 public:
  DWORD PlatformId() override {
    static const DWORD id = [] {
      OSVERSIONINFOA info{};
      info.dwOSVersionInfoSize = sizeof info;
      static_assert(sizeof(OSVERSIONINFOA) == 148);
      return GetVersionExA(&info) ? info.dwPlatformId : 0;
    }();
    return id;
  }

  bool ListPrinters(DWORD flags, DWORD level, std::vector<TPrinterRecord>& printers) override {
    if (!enumPrinters.Get()) return false;
    // One call in a buffer as large as the last list needed; asked again, larger, only when the
    // printers outgrew it, also between the calls.
    DWORD& hint = level == 4 ? sizeHint_[0] : sizeHint_[1];
    std::vector<BYTE> buffer(hint);
    DWORD needed = 0, returned = 0;
    for (;;) {
      if (enumPrinters.Get()(flags, nullptr, level, buffer.empty() ? nullptr : buffer.data(),
                             static_cast<DWORD>(buffer.size()), &needed, &returned))
        break;
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
      buffer.resize(needed);
      returned = 0;
    }
    hint = std::max<DWORD>(hint, static_cast<DWORD>(buffer.size()));
    const std::size_t recordSize = level == 4 ? sizeof(PRINTER_INFO_4A) : sizeof(PRINTER_INFO_5A);
    // Never walk past the buffer, whatever count the spooler reports.
    const std::size_t count = std::min<std::size_t>(returned, buffer.size() / recordSize);
    const std::size_t first = printers.size();
    for (std::size_t i = 0; i < count; ++i) {
      const BYTE* record = buffer.data() + i * recordSize;
      if (level == 4) {
        printers.push_back({Text(reinterpret_cast<const PRINTER_INFO_4A*>(record)->pPrinterName), ""});
      } else {
        const auto* info = reinterpret_cast<const PRINTER_INFO_5A*>(record);
        printers.push_back({Text(info->pPrinterName), Text(info->pPortName)});
      }
    }
    if (GetACP() != CP_UTF8) MarkPartialNames(flags, level, printers, first);
    return true;
  }

  std::string ReadProfile(const std::string& section, const std::string& key) override {
    // GetProfileStringA answers size - 1 when the value did not fit: grow until it does.
    std::vector<char> buffer(256);
    for (;;) {
      DWORD copied =
          GetProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), static_cast<DWORD>(buffer.size()));
      if (copied + 1 < buffer.size() || buffer.size() >= (1u << 24)) return std::string(buffer.data(), copied);
      buffer.resize(buffer.size() * 2);
    }
  }

  bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) override {
    return WriteProfileStringA(section.c_str(), key.c_str(), value.c_str()) != FALSE;
  }

  HANDLE OpenPrinterHandle(const std::string& device) override {
    HANDLE printer = nullptr;
    std::vector<char> name(device.begin(), device.end());
    name.push_back('\0');
    return openPrinter.Get() && openPrinter.Get()(name.data(), &printer, nullptr) ? printer : nullptr;
  }

  // Only a handle that the loaded spooler gave out reaches here.
  void ClosePrinterHandle(HANDLE printer) override { closePrinter.Get()(printer); }

  LONG QueryDocumentProperties(HANDLE printer, const std::string& device, DEVMODEA* output, DEVMODEA* input,
                               DWORD mode) override {
    std::vector<char> name(device.begin(), device.end());
    name.push_back('\0');
    return documentProperties.Get() ? documentProperties.Get()(nullptr, printer, name.data(), output, input, mode) : -1;
  }

 private:
  DWORD sizeHint_[2] = {0, 0};  // levels 4 and 5: the first list asks for its size
};

TRealSpooler realSpooler;

}  // namespace

template <>
ISpoolerApi& TSeam<ISpoolerApi>::Platform() {
  return realSpooler;
}

void InitPrinterUnit() { realSpooler.PlatformId(); }

void AnnounceDefaultPrinter() {
  constexpr UINT kTimeoutMs = 2000;
  static const char kSection[] = "windows";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kTimeoutMs, &result);
}

}  // namespace zv
