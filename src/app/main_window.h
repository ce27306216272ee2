#pragma once
// The hidden main window: the platform's edge of the program. It owns the tray icon, the popup
// menu and the components, turns messages and clicks into calls on the core (TPrinterCore), and
// shows what the core says.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/CoreWindow.h"
#include "framework/Form.h"
#include "framework/Icon.h"

namespace zv {

class TLabel;
class TTrayIcon;
class TPopupMenu;
class TMenuItem;
class TPrinterSetupDialog;
class TJustOne32;
class TRegFile;
class TPrinterCore;

// True at load; whether the start-up shortcut was missing at this start.
extern bool FirstRun;
// The start-up shortcut's full path, computed once at start-up.
extern std::string ShortcutPath;
inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The command line that opens the system's Printers folder: control.exe by its full path.
std::string AddPrinterCommandLine();

// The program's settings key, "Software\<title>" under the current user's key.
inline constexpr char kSettingsParent[] = "Software";
std::string SettingsKey();

// A registry value name made from a menu caption: every "&" removed, then trailing dots.
std::string OptionName(const std::string& caption);

class TMainForm : public TForm, private ICoreWindow {
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
  // No usable StartUp folder leaves the path empty: no shortcut is made or removed then.
  void ComputeShortcutPath();
  bool ShortcutExists() const;
  // True when the shortcut is there afterwards.
  bool CreateStartupShortcut();
  void RemoveStartupShortcut();

  // Menu commands.
  void UnInstall();
  void ShowAbout();
  void AddPrinter();
  void OpenPrinterSetup();

  TPrinterCore& Core() { return *core_; }

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
  TMenuItem* mRememberPerNetwork = nullptr;
  TMenuItem* mPrinterSettings = nullptr;
  TPrinterSetupDialog* PrinterSetupDialog = nullptr;
  TJustOne32* JustOneInstance = nullptr;
  TRegFile* Reg = nullptr;

  // While the printer setup dialog is up: a second one is refused.
  bool SetupDialogOpen = false;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Describe();
  TMenuItem* AddItem(TMenuItem& parent, const char* caption, TNotifyEvent onClick);
  // The one place that sets the tool tip: what the core says.
  void ShowTip();
  void CoreChanged() override;
  // The options' check marks, and greyed those the policy forces.
  void ShowOptions();
  void ReportFailure(bool beep) override;
  void PopUpMenu() override;
  void Tell(const char* text) override;
  void Post(TCoreWake what) override;
  void Pace(bool on) override;
  void Announce() override;

  std::unique_ptr<TPrinterCore> core_;
  unsigned shownGeneration_ = 0;  // the core's rebuild the printer entries were made from
};

// Keeps the user interface alive for the given number of seconds.
void PauseWithMessages(std::uint16_t seconds);

}  // namespace zv
