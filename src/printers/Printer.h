#pragma once
// The printer catalogue: the installed printers in the spooler's order, the current one, its
// open spooler handle and its driver settings (a DEVMODE in a movable global memory block).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "printers/SpoolerApi.h"
#include "framework/Exception.h"

namespace zv {

class EPrinter : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr char kNoDefaultPrinter[] = "There is no default printer currently selected";
inline constexpr char kIndexOutOfRange[] = "Printer index out of range";

class TPrinterDevice {
 public:
  TPrinterDevice(std::string driver, std::string device, std::string port)
      : DriverName(std::move(driver)), DeviceName(std::move(device)), PortName(std::move(port)) {}
  // Same device and port, byte for byte; the driver is not compared.
  bool IsEqual(const std::string& driver, const std::string& device, const std::string& port) const;

  std::string DriverName;
  std::string DeviceName;
  std::string PortName;
};

struct TPrinterEntry {
  std::string Name;  // display name
  TPrinterDevice Device;
  bool Whole = true;  // as TPrinterRecord::Whole
};

// Takes the next comma-separated field at cursor: blanks before it are skipped, blanks after it
// kept; the cursor moves past the comma, or to the end.
std::string NextField(const std::string& text, std::size_t& cursor);
// The printer a profile value ("device,driver,port") names. A printer's name may hold commas, so
// it is the longest beginning of the value, ending before a comma (or the whole value), that is an
// installed printer's name; the first field when none is. Blanks before it are skipped.
std::string NamedDevice(const std::string& value, const std::function<bool(const std::string&)>& installed);
// The printer the profile's default-printer value names, by the profile's list of devices.
std::string DefaultDevice();
// The port in a printer's entry of the profile's list of devices ("driver,port"), or empty: all
// that follows the driver, taken whole, as a port may hold commas (Wine's "CUPS:Office,2F").
std::string ListedPort(const std::string& listing);

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Built at the first use, then fixed for the life of the object.
  const std::vector<TPrinterEntry>& Entries();
  // Resolves the default printer first while the index is unresolved (-1).
  std::int32_t CurrentIndex();
  void SetCurrentIndex(std::int32_t value);
  // Makes that printer current; a block given becomes the catalogue's.
  void SelectPrinter(const std::string& device, const std::string& driver, const std::string& port, HGLOBAL block);
  // The current printer's names, whole, and the held block (still owned by the catalogue).
  void ReadCurrent(std::string& device, std::string& driver, std::string& port, HGLOBAL& block);
  // The position of the default printer's first entry, or -1; selects nothing (no driver is asked).
  std::int32_t DefaultIndex();
  // The position of the first entry with this device and port, or -1.
  std::int32_t IndexOf(const std::string& device, const std::string& port);
  // Makes the default printer current again, with its settings as its driver has them now;
  // a default missing from a list built earlier sends the catalogue to the spooler again.
  void ResetToDefault();
  // Lets go of the list, the index, the block and the printer handle: the object is as new.
  void Discard();

  HGLOBAL DeviceModeBlock() const { return block_.Get(); }
  const DEVMODEA* DevMode() const { return static_cast<const DEVMODEA*>(block_.Data()); }

 private:
  std::vector<TPrinterEntry>& EntryList();
  void SelectDefault();

  std::unique_ptr<std::vector<TPrinterEntry>> entries_;
  std::int32_t currentIndex_ = -1;
  TLockedBlock block_;
  TPrinterHandle printer_;
};

// The one process-wide catalogue of the printer setup command; destroyed at program exit.
TPrinter& SharedPrinter();

}  // namespace zv
