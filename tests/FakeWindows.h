#pragma once
// Windows of the version a test needs, and its current user's switch that stops it managing the
// default printer: "none" (no value) or the number, left with no value at the end.
#include <cstring>
#include <string>

#include "RegistryFixture.h"
#include "app/LegacyDefaultMode.h"

namespace zv::test {

class TFakeWindows : public TStandIn<IWindowsVersion> {
 public:
  ~TFakeWindows() override { SetMode("none"); }
  TWindowsVersion version{10, 0, 19045};
  TWindowsVersion Version() override { return version; }
  void SetMode(const std::string& mode) {
    const DWORD number = mode == "none" ? 0 : std::stoul(mode);
    if (mode == "none") SHDeleteValueA(HKEY_CURRENT_USER, kWindowsKey, kLegacyModeValue);
    else TTestKey::SetRaw(kWindowsKey, kLegacyModeValue, REG_DWORD, &number, sizeof number);
  }
  std::string Mode() const {
    const auto raw = TTestKey::GetRaw(kWindowsKey, kLegacyModeValue);
    DWORD number = 0;
    if (raw.data.size() == sizeof number) std::memcpy(&number, raw.data.data(), sizeof number);
    return raw.found ? std::to_string(number) : "none";
  }
};

}  // namespace zv::test
