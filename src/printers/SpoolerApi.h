#pragma once
// The spooler and profile calls of the printer catalogue and of default switching, behind one
// narrow interface: the real calls by default, a fake in tests that need Windows 95 port lists
// or failures the machine cannot produce.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/Seam.h"

namespace zv {

// One printer as the spooler lists it: its name and, at level 5, its comma-separated ports.
struct TPrinterRecord {
  std::string Name;
  std::string Ports;
  // False where the process's code page cannot hold the name and it came with "?" in its place:
  // such a name names no printer and is never written.
  bool Whole = true;
};

class ISpoolerApi {
 public:
  virtual ~ISpoolerApi() = default;
  // dwPlatformId as GetVersionExA reported it once at program start; 0 if that failed.
  virtual DWORD PlatformId() = 0;
  // The installed printers at level 4 or 5, in the spooler's order; false when it cannot list them.
  virtual bool ListPrinters(DWORD flags, DWORD level, std::vector<TPrinterRecord>& printers) = 0;
  // The whole profile value (never cut), or the empty text when it is missing.
  virtual std::string ReadProfile(const std::string& section, const std::string& key) = 0;
  virtual bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) = 0;
  // A spooler handle, or null; closed with ClosePrinterHandle.
  virtual HANDLE OpenPrinterHandle(const std::string& device) = 0;
  virtual void ClosePrinterHandle(HANDLE printer) = 0;
  virtual LONG QueryDocumentProperties(HANDLE printer, const std::string& device, DEVMODEA* output, DEVMODEA* input,
                                       DWORD mode) = 0;
};

template <>
ISpoolerApi& TSeam<ISpoolerApi>::Platform();
inline ISpoolerApi& Spooler() { return TSeam<ISpoolerApi>::Calls(); }

// An open printer, closed through the interface that opened it.
inline void ClosePrinterThroughSpooler(HANDLE printer) { Spooler().ClosePrinterHandle(printer); }
using TPrinterHandle = TUniqueHandle<HANDLE, &ClosePrinterThroughSpooler>;

// Tells every top-level window that the profile's default printer changed. It waits for each, but
// never for ever on one that hangs: a hung program cannot hang the caller.
void AnnounceDefaultPrinter();

// Start-up hook of the printer unit: reads the platform id once.
void InitPrinterUnit();

}  // namespace zv
