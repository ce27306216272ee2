#pragma once
// A spooler and profile that tests fill with the printers, ports and failures they need.
#include <algorithm>
#include <cctype>
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
  std::map<std::string, std::string> profile;  // "section/key", lower case -> value
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
    if (Lower(section) == "devices")
      for (const auto& p : printers)
        if (SameIgnoringCase(p.Name, key)) return "winspool," + (p.Ports.empty() ? "Ne00:" : p.Ports);
    auto it = profile.find(Lower(section + "/" + key));
    return it == profile.end() ? std::string() : it->second;
  }
  bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) override {
    ++writes;
    if (!failWrite) profile[Lower(section + "/" + key)] = value;
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
  static bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

}  // namespace zv::test
