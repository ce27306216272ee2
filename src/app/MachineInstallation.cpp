#include "app/MachineInstallation.h"

#include <exception>

#include "components/RegFiles/RegFiles.h"
#include "framework/Lifecycle.h"

namespace zv {

bool InstalledForEveryUser() {
  try {
    TRegFile reg(nullptr);
    reg.RootKey = hkLocalMachine;
    reg.ReadOnly = true;  // the administrator's key: users may only read it
    reg.Key = kInstallationKey;
    TVariant value;
    reg.ReadValue(kInstalledProgramValue, value);
    // Windows' paths are the same in any case.
    return value.Kind() == varString && lstrcmpiA(value.AsText().c_str(), ModuleFileName().c_str()) == 0;
  } catch (const std::exception&) {
    return false;  // no installation, or none that can be read: the program's own shortcut then
  }
}

}  // namespace zv
