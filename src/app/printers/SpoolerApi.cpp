#include "app/printers/SpoolerApi.h"

#include <winspool.h>

#include <vector>

namespace zv {
namespace {

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

  BOOL EnumPrinterRecords(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override {
    return EnumPrintersA(flags, nullptr, level, buffer, size, needed, returned);
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
    return OpenPrinterA(name.data(), &printer, nullptr) ? printer : nullptr;
  }

  void ClosePrinterHandle(HANDLE printer) override { ::ClosePrinter(printer); }

  LONG QueryDocumentProperties(HANDLE printer, const std::string& device, DEVMODEA* output, DEVMODEA* input,
                               DWORD mode) override {
    std::vector<char> name(device.begin(), device.end());
    name.push_back('\0');
    return DocumentPropertiesA(nullptr, printer, name.data(), output, input, mode);
  }
};

TRealSpooler realSpooler;
ISpoolerApi* current = &realSpooler;

}  // namespace

ISpoolerApi& Spooler() { return *current; }
void SetSpooler(ISpoolerApi* spooler) { current = spooler ? spooler : &realSpooler; }

void InitPrinterUnit() { realSpooler.PlatformId(); }

}  // namespace zv
