#pragma once
// Windows' own management of the default printer (Windows 10, version 1511, and later): while it
// manages it, every print to another printer makes that printer the default, and a printer the
// user chose in the menu would last only until they print elsewhere. A choice in the menu turns
// it off, as setting a default in Windows' own Devices and Printers does; UnInstall puts back
// what the program found.
#include <windows.h>

#include <string>

#include "components/RegFiles/RegFiles.h"
#include "framework/Seam.h"

namespace zv {

struct TWindowsVersion {
  DWORD Major = 0, Minor = 0, Build = 0;
};

class IWindowsVersion {
 public:
  virtual ~IWindowsVersion() = default;
  // The version Windows really has, not the one it tells programs that do not declare it.
  virtual TWindowsVersion Version() = 0;
};
template <>
IWindowsVersion& TSeam<IWindowsVersion>::Platform();

// The current user's switch: 1 turns Windows' management off; 0 or no value leaves it on.
inline constexpr char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
inline constexpr char kLegacyModeValue[] = "LegacyDefaultPrinterMode";
// Under the settings key: the switch as the program found it before it turned management off,
// "0" or "none" (no value); there at all, the user has been told.
inline constexpr char kFoundModeValue[] = "LegacyDefaultPrinterMode Found";

// Whether that Windows manages the default printer (and has the switch).
bool ManagesDefaultPrinter(const TWindowsVersion& version);

class TLegacyDefaultMode {
 public:
  explicit TLegacyDefaultMode(std::string settingsKey);

  // The user chose a printer in the menu: where Windows manages the default, it stops, unless the
  // organisation keeps it managing. True when the user is to be told (the first time only).
  bool UserChose(bool policyKeepsManaging);
  // UnInstall: the switch as the program found it, unless the user set it since. True when changed.
  bool Restore();
  // What the program found, as kept under the settings key; empty when nothing is kept. A reset
  // of the settings keeps it again, so that UnInstall can still put it back.
  std::string Found();
  void KeepFound(const std::string& found);

 private:
  // "none", the number as text, or "other" for a value of another type or size: the user's own.
  std::string Mode();
  TRegFile reg_{nullptr};
  std::string settingsKey_;
};

}  // namespace zv
