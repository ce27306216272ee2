#include "forms/PrinterSetupDialog.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/Handles.h"

namespace zv {
namespace {

constexpr UINT kBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr DWORD kSetupFlags = PD_PRINTSETUP | PD_ENABLESETUPHOOK;  // 0x2040

// A DEVNAMES block for the three names, or null when it cannot be made.
HGLOBAL MakeDevNames(const std::string& device, const std::string& driver, const std::string& port) {
  const std::size_t size = sizeof(DEVNAMES) + driver.size() + device.size() + port.size() + 3;
  if (size > 0xFFFF) return nullptr;  // the offsets are 16-bit
  TGlobalMemory block(GlobalAlloc(kBlockFlags, size));
  TGlobalLock lock(block.Get());
  if (!lock) return nullptr;
  auto* names = lock.As<DEVNAMES>();
  char* bytes = lock.As<char>();
  WORD offset = sizeof(DEVNAMES);
  names->wDriverOffset = offset;
  std::memcpy(bytes + offset, driver.c_str(), driver.size() + 1);
  offset = static_cast<WORD>(offset + driver.size() + 1);
  names->wDeviceOffset = offset;
  std::memcpy(bytes + offset, device.c_str(), device.size() + 1);
  offset = static_cast<WORD>(offset + device.size() + 1);
  names->wOutputOffset = offset;
  std::memcpy(bytes + offset, port.c_str(), port.size() + 1);
  names->wDefault = 0;
  return block.Detach();
}

// A copy of a device-mode block, or null.
HGLOBAL CopyBlock(HGLOBAL source) {
  if (!source) return nullptr;
  const SIZE_T size = GlobalSize(source);
  TGlobalMemory copy(GlobalAlloc(kBlockFlags, size));
  if (!copy) return nullptr;
  TGlobalLock from(source), to(copy.Get());
  if (from && to) std::memcpy(to.Data(), from.Data(), size);
  return copy.Detach();
}

// A name inside a DEVNAMES block the dialog returned: never read past the block's end.
std::string NameAt(const char* bytes, SIZE_T size, WORD offset) {
  if (offset >= size) return std::string();
  const char* start = bytes + offset;
  const void* end = std::memchr(start, 0, size - offset);
  return std::string(start, end ? static_cast<const char*>(end) - start : size - offset);
}

}  // namespace

bool TCommonDialog::HelpHook(UINT message, WPARAM, LPARAM) {
  static const UINT helpMessage = RegisterWindowMessageA(HELPMSGSTRINGA);
  // There is no help file: a help request with a topic is taken as handled, and shows nothing.
  return message == helpMessage && HelpContext != 0;
}

BOOL TCommonDialog::RunTaskModal(PRINTDLGA& record) {
  TModalScope scope;
  struct THelp {
    explicit THelp(TCommonDialog* dialog) {
      if (Application)
        Application->MessageHook = [dialog](UINT m, WPARAM wp, LPARAM lp) { return dialog->HelpHook(m, wp, lp); };
    }
    ~THelp() {
      if (Application) Application->MessageHook = nullptr;
    }
  } help(this);
  return Dialogs().PrintDialog(record);
}

void TPrinterSetupDialog::RunSetup(TPrinter& printer) {
  PRINTDLGA record{};
  record.lStructSize = sizeof(PRINTDLGA);
  record.hInstance = GetModuleHandleA(nullptr);
  std::string device, driver, port;
  HGLOBAL block = nullptr;
  printer.ReadCurrent(device, driver, port, block);
  if (block) record.hDevNames = MakeDevNames(device, driver, port);
  record.hDevMode = CopyBlock(block);  // the catalogue's own block is never given away
  record.Flags = kSetupFlags;
  record.lpfnSetupHook = &SetupDialogHook;
  record.hwndOwner = Application ? Application->Handle() : nullptr;
  // The record's blocks are freed on every way out, whatever the dialog put there, but for the
  // settings a confirmed choice hands to the catalogue.
  struct TRecordBlocks {
    PRINTDLGA& record;
    ~TRecordBlocks() {
      TGlobalMemory devNames(record.hDevNames), devMode(record.hDevMode);
    }
  } blocks{record};

  if (!RunTaskModal(record) || !record.hDevNames) return;
  std::string newDevice, newDriver, newPort;
  {
    TGlobalLock names(record.hDevNames);
    if (names) {
      const SIZE_T size = GlobalSize(record.hDevNames);
      const auto* header = names.As<DEVNAMES>();
      const char* bytes = names.As<char>();
      newDevice = NameAt(bytes, size, header->wDeviceOffset);
      newDriver = NameAt(bytes, size, header->wDriverOffset);
      newPort = NameAt(bytes, size, header->wOutputOffset);
    }
  }
  // The catalogue owns the dialog's settings block from here on.
  printer.SelectPrinter(newDevice, newDriver, newPort, std::exchange(record.hDevMode, nullptr));
}

UINT_PTR CALLBACK SetupDialogHook(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    PositionDialog(window);
    return 1;
  }
  return 0;
}

void PositionDialog(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 3;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zv
