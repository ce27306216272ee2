#pragma once
// The copy that the Windows Installer package installs for every user of the machine. The package
// starts it at each logon from the machine's Run key, so that copy makes no StartUp shortcut of its
// own, and only an administrator removes it (Programs and Features).
#include <string>

namespace zv {

// Written by the package: the full path of the ZORVANE.EXE it installed, in the 32-bit view of
// the machine's registry on 64-bit Windows, which is the installed program's own view.
inline constexpr char kInstallationKey[] = "SOFTWARE\\Zorvane";
inline constexpr char kInstalledProgramValue[] = "Program";

// Whether the running program is that copy. A copy from the zip elsewhere is the user's own.
bool InstalledForEveryUser();

}  // namespace zv
