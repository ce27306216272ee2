#include "printers/Printer.h"

#include <winspool.h>

#include <algorithm>

#include "printers/SpoolerApi.h"
#include "framework/Lifecycle.h"

namespace zv {
namespace {

constexpr DWORD kPlatformNT = 2;
constexpr DWORD kEnumLocal = 2;        // PRINTER_ENUM_LOCAL
constexpr DWORD kEnumConnections = 4;  // PRINTER_ENUM_CONNECTIONS
constexpr UINT kBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

}  // namespace

bool TPrinterDevice::IsEqual(const std::string&, const std::string& device, const std::string& port) const {
  return DeviceName == device && PortName == port;
}

std::string NextField(const std::string& text, std::size_t& cursor) {
  while (cursor < text.size() && text[cursor] == ' ') ++cursor;
  std::size_t start = cursor;
  std::size_t comma = text.find(',', start);
  if (comma == std::string::npos) {
    cursor = text.size();
    return text.substr(start);
  }
  cursor = comma + 1;
  return text.substr(start, comma - start);
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() = default;

const std::vector<TPrinterEntry>& TPrinter::Entries() { return EntryList(); }

std::vector<TPrinterEntry>& TPrinter::EntryList() {
  if (entries_) return *entries_;
  entries_ = std::make_unique<std::vector<TPrinterEntry>>();
  try {
    ISpoolerApi& spooler = Spooler();
    const bool nt = spooler.PlatformId() == kPlatformNT;
    std::vector<TPrinterRecord> printers;
    if (!spooler.ListPrinters(nt ? kEnumLocal | kEnumConnections : kEnumLocal, nt ? 4 : 5, printers)) return *entries_;
    for (const TPrinterRecord& printer : printers) {
      if (nt) {
        entries_->push_back({printer.Name, TPrinterDevice("", printer.Name, ""), printer.Whole});
        continue;
      }
      std::size_t cursor = 0;
      for (std::string port = NextField(printer.Ports, cursor); !port.empty(); port = NextField(printer.Ports, cursor))
        entries_->push_back({printer.Name + " on " + port, TPrinterDevice("", printer.Name, port), printer.Whole});
    }
  } catch (...) {
    entries_.reset();
    throw;
  }
  return *entries_;
}

std::string ListedPort(const std::string& listing) {
  std::size_t cursor = 0;
  NextField(listing, cursor);  // the driver
  while (cursor < listing.size() && listing[cursor] == ' ') ++cursor;
  return listing.substr(cursor);
}

std::string NamedDevice(const std::string& value, const std::function<bool(const std::string&)>& installed) {
  const std::size_t start = std::min(value.find_first_not_of(' '), value.size());
  for (std::size_t end = value.size(); end != std::string::npos && end > start; end = value.rfind(',', end - 1)) {
    const std::string name = value.substr(start, end - start);
    if (installed(name)) return name;
  }
  std::size_t cursor = 0;
  return NextField(value, cursor);
}

std::string DefaultDevice() {
  return NamedDevice(Spooler().ReadProfile("windows", "device"),
                     [](const std::string& name) { return !Spooler().ReadProfile("Devices", name).empty(); });
}

std::int32_t TPrinter::DefaultIndex() {
  const auto& entries = Entries();
  auto index = [&](const std::string& name) {
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].Device.DeviceName == name) return static_cast<std::int32_t>(i);
    return -1;
  };
  const std::string device =
      NamedDevice(Spooler().ReadProfile("windows", "device"), [&](const std::string& name) { return index(name) >= 0; });
  return device.empty() ? -1 : index(device);
}

void TPrinter::SelectDefault() {
  const std::int32_t index = DefaultIndex();
  if (index < 0) throw EPrinter(kNoDefaultPrinter);
  // A copy: selecting may append to the list it comes from.
  const TPrinterDevice found = Entries()[static_cast<std::size_t>(index)].Device;
  SelectPrinter(found.DeviceName, found.DriverName, found.PortName, nullptr);
}

void TPrinter::SelectPrinter(const std::string& device, const std::string& driver, const std::string& port,
                             HGLOBAL block) {
  block_.Reset(block);
  printer_.Reset();

  auto& entries = EntryList();
  std::int32_t found = IndexOf(device, port);
  if (found < 0) {
    found = static_cast<std::int32_t>(entries.size());
    entries.push_back({device + " on " + port, TPrinterDevice(driver, device, port)});
  }
  currentIndex_ = found;

  ISpoolerApi& spooler = Spooler();
  printer_.Reset(spooler.OpenPrinterHandle(device));
  if (!printer_ || block_.Get()) return;
  DEVMODEA scratch{};
  LONG size = spooler.QueryDocumentProperties(printer_.Get(), device, &scratch, &scratch, 0);
  if (size <= 0) return;
  HGLOBAL fresh = GlobalAlloc(kBlockFlags, static_cast<SIZE_T>(size));
  if (!fresh) return;
  block_.Reset(fresh);
  auto* devMode = static_cast<DEVMODEA*>(block_.Data());
  if (!devMode || spooler.QueryDocumentProperties(printer_.Get(), device, devMode, devMode, DM_OUT_BUFFER) < 0)
    block_.Reset();
}

std::int32_t TPrinter::CurrentIndex() {
  if (currentIndex_ == -1) SelectDefault();
  return currentIndex_;
}

void TPrinter::SetCurrentIndex(std::int32_t value) {
  if (value == -1) {
    SelectDefault();
  } else {
    CurrentIndex();
    if (value < 0 || static_cast<std::size_t>(value) >= Entries().size()) throw EPrinter(kIndexOutOfRange);
  }
  currentIndex_ = value;
}

void TPrinter::ReadCurrent(std::string& device, std::string& driver, std::string& port, HGLOBAL& block) {
  const std::int32_t index = CurrentIndex();
  block = block_.Get();
  const TPrinterDevice& current = Entries().at(static_cast<std::size_t>(index)).Device;
  device = current.DeviceName;
  driver = current.DriverName;
  port = current.PortName;
}

std::int32_t TPrinter::IndexOf(const std::string& device, const std::string& port) {
  const auto& entries = EntryList();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].Device.IsEqual("", device, port)) return static_cast<std::int32_t>(i);
  return -1;
}

void TPrinter::ResetToDefault() {
  try {
    SetCurrentIndex(-1);
  } catch (const EPrinter&) {
    // Printers installed since the list was built are not in it: ask the spooler again.
    entries_.reset();
    currentIndex_ = -1;
    SetCurrentIndex(-1);
  }
}

void TPrinter::Discard() {
  printer_.Reset();
  block_.Reset();
  entries_.reset();
  currentIndex_ = -1;
}

TPrinter& SharedPrinter() {
  static TPrinter* shared = [] {
    auto* printer = new TPrinter();
    AddExitProc([printer] { delete printer; });
    return printer;
  }();
  return *shared;
}

}  // namespace zv
