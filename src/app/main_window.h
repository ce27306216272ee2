#pragma once
// The hidden main window: owns the tray icon, the popup menu and the components, holds the
// process-wide state, and carries out the program's own logic.
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Product.h"
#include "app/cups_default.h"
#include "components/Just1_32/Just1_32.h"
#include "components/RegFiles/RegFiles.h"
#include "components/TrayIcon/TrayIcon.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/Menus.h"
#include "forms/PrinterSetupDialog.h"
#include "app/printers/Printer.h"

namespace zv {

// The fixed items of the popup menu; printer entries follow a separator after them.
inline constexpr int FixedCount = 7;
inline constexpr std::size_t kMaxCaption = 80;

// Posted to the main window: an announcement that arrived while the menu was changing.
inline constexpr UINT WM_PRINTERSCHANGED = WM_APP + 1;
// The second look at the profile after CUPS took a choice.
inline constexpr UINT_PTR kChoiceTimer = 1;
inline constexpr UINT kChoiceRecheckMs = 500;
// Where the system tells of changes of the routing table, the notice comes as WM_ROUTECHANGED;
// elsewhere the table alone is read at an interval. The timer also brings a look that had to
// wait for a change of the menu.
inline constexpr UINT WM_ROUTECHANGED = WM_APP + 3;
inline constexpr UINT_PTR kNetworkTimer = 2;
inline constexpr UINT kNetworkCheckMs = 3000;
// Where the printer of each network is kept, below the settings key: one sub-key a network.
inline constexpr char kNetworksKey[] = "Networks";

// True at load; whether the start-up shortcut was missing at this start.
extern bool FirstRun;
// The start-up shortcut's full path, computed once at start-up.
extern std::string ShortcutPath;
inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The command line that opens the system's Printers folder: control.exe by its full path.
std::string AddPrinterCommandLine();

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
  // Notices a move to another network and makes the printer remembered for it the default; false
  // when a change under way made it wait.
  bool WatchNetwork();
  // The printers of the networks the machine has been on. Turned on, the network of the moment
  // is no move.
  void StartWatchingNetwork();

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
  TMenuItem* mRememberPerNetwork = nullptr;
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
  bool RememberPerNetwork = false;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // While the menu is changing, announcements from elsewhere and right-clicks on the icon wait:
  // they are handled once the change is done (posted), never in the middle of it.
  class TMenuChange {
   public:
    explicit TMenuChange(TMainForm& form) : form_(form) { ++form_.menuChanging_; }
    ~TMenuChange();
    TMenuChange(const TMenuChange&) = delete;
    TMenuChange& operator=(const TMenuChange&) = delete;

   private:
    TMainForm& form_;
  };

  void Describe();
  // Each option's menu item and value, in menu order.
  std::array<std::pair<TMenuItem*, bool*>, 3> Options();
  // Listens for moves: the system's notice where it has one, else a look at an interval.
  void ListenForMoves();
  TMenuItem* AddItem(TMenuItem& parent, const char* caption, TNotifyEvent onClick);
  // A change made elsewhere (or, with elsewhere false, the program's own re-application).
  void FollowPrinterChange(bool elsewhere = true);
  void RememberForNetwork(const TPrinterDevice& printer);
  TPrinterDevice RememberedPrinter(const std::string& network);
  void BroadcastProfileChange();
  // CUPS has the last choice: a Windows program that started before it did may have copied the
  // old default into the profile; the choice is written again, and announcements held back are
  // followed.
  void CupsSettled();
  void KeepChoice();
  TIcon programIcon_;
  // The printers that the menu's entries stand for, by Tag: the menu's catalogue of its build.
  std::vector<TPrinterDevice> menuPrinters_;
  int menuChanging_ = 0;
  bool changePending_ = false;
  bool popupPending_ = false;
  bool followingElsewhere_ = false;
  // The last reading of the routing table and the network it told.
  std::optional<std::string> routeSignature_;
  bool routeNotices_ = false;  // the system tells of changes: no look at an interval
  std::string network_;
  // The profile value last written.
  std::string chosen_;
  std::unique_ptr<TCupsDefault> cups_;
};

// Keeps the user interface alive for the given number of seconds.
void PauseWithMessages(std::uint16_t seconds);

}  // namespace zv
