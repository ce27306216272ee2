#pragma once
// The hidden main window: owns the tray icon, the popup menu and the components, holds the
// process-wide state, and carries out the program's own logic.
#include <windows.h>

#include <cstdint>
#include <string>

#include "components/Just1_32/Just1_32.h"
#include "components/RegFiles/RegFiles.h"
#include "components/TrayIcon/TrayIcon.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/Menus.h"
#include "forms/PrinterSetupDialog.h"

namespace zv {

inline constexpr char kApplicationTitle[] = "Zorvane";
inline constexpr char kDescription[] = "Sets Windows 95 Default Printer";
inline constexpr char kVersion[] = "1.0b";
inline constexpr char kNoDefaultPrinterTip[] = "There is no Default Printer";
inline constexpr char kFailureToSetDefault[] = "Failure to set Default Printer!";
inline constexpr char kAuthor[] = "Fenwarrow";

// The fixed items of the popup menu; printer entries follow a separator after them.
inline constexpr int FixedCount = 7;
inline constexpr std::size_t kMaxCaption = 80;

// True at load; whether the start-up shortcut was missing at this start.
extern bool FirstRun;
// The start-up shortcut's full path, computed once at start-up.
extern std::string ShortcutPath;
inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// SHChangeNotify; replaceable so tests can see the notice (the machine's shell delivers none).
using TShellChangeNotify = void(WINAPI*)(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
extern TShellChangeNotify ShellChangeNotify;

// MessageBeep; replaceable so tests can hear it.
using TMessageBeep = BOOL(WINAPI*)(UINT type);
extern TMessageBeep MessageBeepFunction;

inline constexpr char kUnInstallQuestion[] = "Are you sure you want to do this ?";

// The command line that opens the system's Printers folder: control.exe by its full path.
std::string AddPrinterCommandLine();

// The running program's own full path, whole.
std::string ModuleFileName();

// A registry value name made from a menu caption: every "&" removed, then trailing dots.
std::string OptionName(const std::string& caption);

// Carries a catalogue index through the sort of the printer names.
struct TPrintersList {
  std::int32_t Index;
};

class TMainForm : public TForm {
 public:
  explicit TMainForm(TComponent* owner);
  ~TMainForm() override;

  // The start-up sequence, run once the form and its components exist.
  void FormCreate();

  void BuildPrinterMenu();
  void ApplyDefaultPrinter(int position);
  void HandleWinIniChange();

  void SetPrinterOnClick(TComponent* sender);
  void SetOptionsOnClick(TComponent* sender);
  void TrayFormDblClick(TComponent* sender);

  // The options under "Software\<title>" in the current user's registry.
  void LoadSettings();
  void SaveOptions();
  void DeleteSettingsKey();

  // The start-up shortcut in the user's StartUp folder.
  void ComputeShortcutPath();
  bool ShortcutExists() const;
  void CreateStartupShortcut();
  void RemoveStartupShortcut();

  // Menu commands.
  void UnInstall();
  void ShowAbout();
  void AddPrinter();
  void OpenPrinterSetup();

  // A printer entry's caption for a catalogue display name, under the current options.
  std::string PrinterCaption(const std::string& displayName) const;

  // Components, in the order of the form description.
  TLabel* erLabel = nullptr;
  TTrayIcon* TrayForm = nullptr;
  TPopupMenu* PMenu = nullptr;
  TMenuItem* mExit = nullptr;
  TMenuItem* mUnInstall = nullptr;
  TMenuItem* mAbout = nullptr;
  TMenuItem* mN1 = nullptr;
  TMenuItem* mAddPrinter = nullptr;
  TMenuItem* mOptions = nullptr;
  TMenuItem* mShowPortInfo = nullptr;
  TMenuItem* mShowSplashScreen = nullptr;
  TMenuItem* mPrinterSettings = nullptr;
  TPrinterSetupDialog* PrinterSetupDialog = nullptr;
  TJustOne32* JustOneInstance = nullptr;
  TRegFile* Reg = nullptr;

  // Re-entrancy guards: message boxes, dialogs, the splash pause and our own synchronous
  // broadcast all run nested message handling.
  bool MenuRebuilding = false;
  bool DefaultKnown = false;
  bool SetupDialogOpen = false;
  bool OwnBroadcast = false;

  // Options.
  bool ShowPortInfo = false;
  bool ShowSplash = true;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Describe();
  TMenuItem* AddItem(TMenuItem& parent, const char* caption, TNotifyEvent onClick);
  void BroadcastProfileChange();
  TIcon programIcon_;
};

// Keeps the user interface alive for the given number of seconds.
void PauseWithMessages(std::uint16_t seconds);

}  // namespace zv
