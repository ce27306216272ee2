#pragma once
// The spooler and profile calls of the printer catalogue and of default switching, behind one
// narrow interface: the real calls by default, a fake in tests that need Windows 95 port lists
// or failures the machine cannot produce.
#include <windows.h>

#include <string>

namespace zv {

class ISpoolerApi {
 public:
  virtual ~ISpoolerApi() = default;
  // dwPlatformId as GetVersionExA reported it once at program start; 0 if that failed.
  virtual DWORD PlatformId() = 0;
  virtual BOOL EnumPrinterRecords(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                                  DWORD* returned) = 0;
  // The whole profile value (never cut), or the empty text when it is missing.
  virtual std::string ReadProfile(const std::string& section, const std::string& key) = 0;
  virtual bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) = 0;
  // A spooler handle, or null.
  virtual HANDLE OpenPrinterHandle(const std::string& device) = 0;
  virtual void ClosePrinterHandle(HANDLE printer) = 0;
  virtual LONG QueryDocumentProperties(HANDLE printer, const std::string& device, DEVMODEA* output, DEVMODEA* input,
                                       DWORD mode) = 0;
};

// The interface in force: the real platform unless a test installed another.
ISpoolerApi& Spooler();
// Installs a replacement; null puts the real platform back.
void SetSpooler(ISpoolerApi* spooler);

// Start-up hook of the printer unit: reads the platform id once.
void InitPrinterUnit();

}  // namespace zv
