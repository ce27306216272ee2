#pragma once
// The program's own names and texts, in one place below everything that shows or stores them.

namespace zv {

inline constexpr char kApplicationTitle[] = "Zorvane";
inline constexpr char kDescription[] = "Sets Windows 95 Default Printer";
inline constexpr char kVersion[] = "1.0b";
inline constexpr char kAuthor[] = "Fenwarrow";
// The contact lines of the About window; the first sets its width.
inline constexpr char kContactLine1[] = "fenwarrow@zorvane.example";
inline constexpr char kContactLine2[] = "zorvane.example";

// The icon resources: the program's icon, dark-outlined, and its light-outlined look for dark taskbars.
inline constexpr int kIconResource = 1;
inline constexpr int kLightIconResource = 2;

inline constexpr char kNoDefaultPrinterTip[] = "There is no Default Printer";
inline constexpr char kFailureToSetDefault[] = "Failure to set Default Printer!";
inline constexpr char kUnInstallQuestion[] = "Are you sure you want to do this ?";
// After UnInstall in the copy installed for every user, which the user cannot remove.
inline constexpr char kInstalledForEveryUser[] =
    "Your settings have been removed. Zorvane is installed for every user of this computer and starts "
    "again at your next logon; an administrator removes it in Programs and Features.";
// In Windows' own words, as its Devices and Printers says it and its Settings name the switch.
inline constexpr char kWindowsStopsManaging[] =
    "Setting this printer as default means Windows will stop managing your default printer: it no "
    "longer sets your default printer to be the one you used most recently.";

}  // namespace zv
