#include "app/LegacyDefaultMode.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "framework/Library.h"

namespace zv {
namespace {

constexpr char kNone[] = "none";
// The first build of Windows 10 with the management (version 1511).
constexpr DWORD kFirstManagingBuild = 10586;

class TRealVersion final : public IWindowsVersion {
 public:
  TWindowsVersion Version() override {
    // RtlGetVersion answers whatever the manifest declares; Windows 95 has none, and GetVersionEx
    // tells it the truth.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (auto* get = rtlGetVersion_.Get(); get && get(&info) == 0)
      return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    OSVERSIONINFOA old{};
    old.dwOSVersionInfoSize = sizeof old;
    if (!GetVersionExA(&old)) return {};
    return {old.dwMajorVersion, old.dwMinorVersion, old.dwBuildNumber & 0xFFFF};
  }

 private:
  TLateProc<LONG WINAPI(OSVERSIONINFOW*)> rtlGetVersion_{"ntdll.dll", "RtlGetVersion"};
};

}  // namespace

template <>
IWindowsVersion& TSeam<IWindowsVersion>::Platform() {
  static TRealVersion real;
  return real;
}

bool ManagesDefaultPrinter(const TWindowsVersion& v) {
  return v.Major > 10 || (v.Major == 10 && v.Build >= kFirstManagingBuild);
}

TLegacyDefaultMode::TLegacyDefaultMode(std::string settingsKey) : settingsKey_(std::move(settingsKey)) {}

std::string TLegacyDefaultMode::Mode() {
  // Read as it lies: the registry component would take an empty or untyped value for none.
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_QUERY_VALUE, &opened);
  if (result == ERROR_FILE_NOT_FOUND) return kNone;
  if (result != ERROR_SUCCESS) throw std::runtime_error("the switch cannot be read");
  const TKeyHandle key(opened);
  DWORD type = REG_NONE, data = 0, size = 0;
  const LONG found = RegQueryValueExA(key.Get(), kLegacyModeValue, nullptr, &type, nullptr, &size);
  if (found == ERROR_FILE_NOT_FOUND) return kNone;
  if (found != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return "other";
  if (RegQueryValueExA(key.Get(), kLegacyModeValue, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
      ERROR_SUCCESS)
    return "other";
  return std::to_string(data);
}

bool TLegacyDefaultMode::UserChose(bool policyKeepsManaging) {
  // The printer is the default already: a switch that cannot be read or written costs the user
  // nothing but Windows' management, which stays as it was.
  try {
    if (!ManagesDefaultPrinter(TSeam<IWindowsVersion>::Calls().Version())) return false;
    const std::string found = Mode();
    if ((found != "0" && found != kNone) || policyKeepsManaging) return false;
    const bool told = !Found().empty();
    // What was found is kept first: a switch turned off that UnInstall could not put back would be lost.
    KeepFound(found);
    reg_.Key = kWindowsKey;
    reg_.WriteValue(kLegacyModeValue, TVariant(std::int32_t{1}));
    return !told;
  } catch (const std::exception&) {
    return false;
  }
}

bool TLegacyDefaultMode::Restore() {
  try {
    const std::string found = Found();
    // Anything but the program's 1 is the user's own setting since.
    if (found.empty() || Mode() != "1") return false;
    reg_.Key = kWindowsKey;
    if (found == kNone)
      reg_.DeleteValue(kLegacyModeValue);
    else
      reg_.WriteValue(kLegacyModeValue, TVariant(std::int32_t{0}));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string TLegacyDefaultMode::Found() {
  reg_.Key = settingsKey_;
  if (!reg_.KeyExists("")) return std::string();
  TVariant value;
  reg_.ReadValue(kFoundModeValue, value);
  return value.Kind() == varString && (value.AsText() == "0" || value.AsText() == kNone) ? value.AsText()
                                                                                          : std::string();
}

void TLegacyDefaultMode::KeepFound(const std::string& found) {
  if (found.empty()) return;
  reg_.Key = settingsKey_;
  reg_.WriteValue(kFoundModeValue, TVariant(found));
}

}  // namespace zv
