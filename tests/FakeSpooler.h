#pragma once
// A spooler and profile that tests fill with the printers, ports and failures they need.
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "printers/SpoolerApi.h"

namespace zv::test {

class TFakeSpooler : public TStandIn<ISpoolerApi> {
 public:
  TFakeSpooler() = default;
  TFakeSpooler(const std::vector<TPrinterRecord>& p, const std::string& device) : printers(p) { SetDefault(device); }
  DWORD platformId = 2;
  std::vector<TPrinterRecord> printers;
  struct TIgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const { return _stricmp(a.c_str(), b.c_str()) < 0; }
  };
  std::map<std::string, std::string, TIgnoringCase> profile;  // "section/key" -> value
  bool failEnumeration = false, failWrite = false, failOpen = false, failDocumentProperties = false;
  bool throwEnumeration = false;  // as when memory runs out
  int writes = 0;
  std::vector<std::string> asked;  // "flags/level" of each listing

  void SetDefault(const std::string& value) { profile["windows/device"] = value; }
  std::string Default() { return ReadProfile("windows", "device"); }

  DWORD PlatformId() override { return platformId; }
  bool ListPrinters(DWORD flags, DWORD level, std::vector<TPrinterRecord>& out) override {
    asked.push_back(std::to_string(flags) + "/" + std::to_string(level));
    if (throwEnumeration) throw std::bad_alloc();
    if (failEnumeration) return false;
    for (const auto& p : printers) out.push_back({p.Name, level == 5 ? p.Ports : "", p.Whole});
    return true;
  }
  std::string ReadProfile(const std::string& section, const std::string& key) override {
    // The profile's list of devices names every installed printer, as the spooler keeps it.
    if (_stricmp(section.c_str(), "devices") == 0)
      for (const auto& p : printers)
        if (_stricmp(p.Name.c_str(), key.c_str()) == 0) return "winspool," + (p.Ports.empty() ? "Ne00:" : p.Ports);
    auto it = profile.find(section + "/" + key);
    return it == profile.end() ? std::string() : it->second;
  }
  bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) override {
    ++writes;
    if (!failWrite) profile[section + "/" + key] = value;
    return !failWrite;
  }
  HANDLE OpenPrinterHandle(const std::string&) override {
    return failOpen ? nullptr : reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1000));
  }
  void ClosePrinterHandle(HANDLE) override {}
  LONG QueryDocumentProperties(HANDLE, const std::string& device, DEVMODEA* output, DEVMODEA*, DWORD mode) override {
    if (mode == 0) return sizeof(DEVMODEA);
    if (failDocumentProperties) return -1;
    // The driver's settings carry the device name, so tests can tell whose block it is.
    lstrcpynA(reinterpret_cast<char*>(output->dmDeviceName), device.c_str(), CCHDEVICENAME);
    return IDOK;
  }
};

}  // namespace zv::test
