#pragma once
// A spooler and profile that tests fill with the printers, ports and failures they need.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "app/printers/SpoolerApi.h"

namespace zv::test {

class TFakeSpooler : public ISpoolerApi {
 public:
  struct TPrinterSpec {
    std::string name;
    std::string ports;
  };

  TFakeSpooler() { SetSpooler(this); }
  ~TFakeSpooler() override { SetSpooler(nullptr); }

  DWORD platformId = 2;
  std::vector<TPrinterSpec> printers;
  std::map<std::string, std::string> profile;  // "section/key" (section lower-cased) -> value
  bool failEnumeration = false;
  bool throwEnumeration = false;  // as when memory runs out
  bool failWrite = false;
  bool failOpen = false;
  LONG devModeSize = sizeof(DEVMODEA);
  bool failDocumentProperties = false;
  int enumerations = 0;
  int openHandles = 0;
  int writes = 0;

  void SetDefault(const std::string& value) { profile["windows/device"] = value; }
  std::string Default() { return ReadProfile("windows", "device"); }

  DWORD PlatformId() override { return platformId; }

  BOOL EnumPrinterRecords(DWORD, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override {
    const std::size_t record = level == 4 ? sizeof(PRINTER_INFO_4A) : sizeof(PRINTER_INFO_5A);
    std::size_t total = record * printers.size();
    for (const auto& p : printers) total += p.name.size() + 1 + p.ports.size() + 1;
    *needed = static_cast<DWORD>(total);
    *returned = 0;
    if (!buffer || size < total) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    ++enumerations;
    if (throwEnumeration) throw std::bad_alloc();
    if (failEnumeration) return FALSE;
    char* strings = reinterpret_cast<char*>(buffer + record * printers.size());
    auto place = [&strings](const std::string& text) {
      std::memcpy(strings, text.c_str(), text.size() + 1);
      char* at = strings;
      strings += text.size() + 1;
      return at;
    };
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (level == 4) {
        auto* info = reinterpret_cast<PRINTER_INFO_4A*>(buffer + i * record);
        *info = {};
        info->pPrinterName = place(printers[i].name);
      } else {
        auto* info = reinterpret_cast<PRINTER_INFO_5A*>(buffer + i * record);
        *info = {};
        info->pPrinterName = place(printers[i].name);
        info->pPortName = place(printers[i].ports);
      }
    }
    *returned = static_cast<DWORD>(printers.size());
    return TRUE;
  }

  std::string ReadProfile(const std::string& section, const std::string& key) override {
    auto it = profile.find(Lower(section) + "/" + Lower(key));
    return it == profile.end() ? std::string() : it->second;
  }

  bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) override {
    ++writes;
    if (failWrite) return false;
    profile[Lower(section) + "/" + Lower(key)] = value;
    return true;
  }

  HANDLE OpenPrinterHandle(const std::string&) override {
    if (failOpen) return nullptr;
    ++openHandles;
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1000 + openHandles));
  }

  void ClosePrinterHandle(HANDLE) override { --openHandles; }

  LONG QueryDocumentProperties(HANDLE, const std::string& device, DEVMODEA* output, DEVMODEA*, DWORD mode) override {
    if (mode == 0) return devModeSize;
    if (failDocumentProperties) return -1;
    // The driver's settings: the device name, so tests can tell whose block it is.
    lstrcpynA(reinterpret_cast<char*>(output->dmDeviceName), device.c_str(), CCHDEVICENAME);
    output->dmSize = sizeof(DEVMODEA);
    return IDOK;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

}  // namespace zv::test
