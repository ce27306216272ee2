#include "app/main_window.h"
#include "app/Network.h"

#include "app/Shell.h"

#include "app/printers/Printer.h"
#include "forms/AboutForm.h"
#include "framework/Application.h"
#include "framework/FlagGuard.h"

namespace zv {

bool FirstRun = true;

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
  Describe();
  cups_ = std::make_unique<TCupsDefault>(Handle());
}

TMainForm::~TMainForm() = default;

TMenuItem* TMainForm::AddItem(TMenuItem& parent, const char* caption, TNotifyEvent onClick) {
  auto* item = new TMenuItem(this);
  item->SetCaption(caption);
  item->OnClick = std::move(onClick);
  parent.Add(item);
  return item;
}

// The form description: components in order, properties in declaration order.
void TMainForm::Describe() {
  SetCaption("?");
  SetBorderStyle(TBorderStyle::bsSingle);
  SetBorderIcons(true);
  SetClientSize(187, 47);
  SetCentred(true);

  erLabel = new TLabel(this, Handle());
  erLabel->SetBounds(8, 8, 0, 0);
  erLabel->SetFont({"Times New Roman", 16, true, RGB(255, 0, 0)});
  erLabel->SetCaption("Internal Error");

  TrayForm = new TTrayIcon(this);
  TrayForm->SetActive(false);
  TrayForm->SetShowDesigning(false);
  programIcon_.LoadFromResource(1, GetSystemMetrics(SM_CXSMICON));
  TrayForm->SetIcon(&programIcon_);
  TrayForm->SetToolTip("?");
  TrayForm->OnDblClick = [this](TComponent* sender) { TrayFormDblClick(sender); };

  PMenu = new TPopupMenu(this);
  PMenu->SetAutoPopup(false);
  auto printerClick = [this](TComponent* sender) { SetPrinterOnClick(sender); };
  auto optionsClick = [this](TComponent* sender) { SetOptionsOnClick(sender); };
  TMenuItem& items = PMenu->Items();
  mExit = AddItem(items, "&Exit", printerClick);
  mUnInstall = AddItem(items, "&UnInstall...", printerClick);
  mAbout = AddItem(items, "&About...", printerClick);
  mN1 = AddItem(items, "-", nullptr);
  mAddPrinter = AddItem(items, "A&dd Printer...", printerClick);
  mOptions = AddItem(items, "&Options", nullptr);
  mShowPortInfo = AddItem(*mOptions, "&Show Port Information", optionsClick);
  mShowSplashScreen = AddItem(*mOptions, "S&how Splash Screen", optionsClick);
  mRememberPerNetwork = AddItem(*mOptions, "Remember Printer per &Network", optionsClick);
  mPrinterSettings = AddItem(items, "&Printer Settings...", printerClick);
  TrayForm->SetPopupMenu(PMenu);
  // A right-click that a sent message delivers in the middle of a change would choose from a menu
  // that is half built, and the change would then carry on over the choice.
  TrayForm->CanPopup = [this] {
    if (menuChanging_ == 0) return true;
    popupPending_ = true;
    return false;
  };

  PrinterSetupDialog = new TPrinterSetupDialog(this);
  // In a second copy of the program this ends the process, before any icon or setting.
  JustOneInstance = new TJustOne32(this);
  Reg = new TRegFile(this);
  Reg->Key = "Software";
}

void TMainForm::FormCreate() {
  // Whatever fails below, the icon comes up: without it the program could not even be ended.
  struct TIconAtEnd {
    TMainForm& form;
    void Show() {
      if (form.TrayForm->ToolTip() == "?") form.TrayForm->SetToolTip(kNoDefaultPrinterTip);
      form.TrayForm->SetActive(true);
    }
    ~TIconAtEnd() { Show(); }
  } iconAtEnd{*this};
  SetCaption(Application->Title());
  ComputeShortcutPath();
  FirstRun = !ShortcutExists();
  LoadSettings();
  // Invisible for good: no border, no size, hidden.
  SetBorderIcons(false);
  SetBorderStyle(TBorderStyle::bsNone);
  SetBounds(Left(), Top(), 0, 0);
  ShowWindowAsync(Handle(), SW_HIDE);
  if (ShowSplash) {
    TAboutForm splash(Application, 0);
    splash.Show();
    PauseWithMessages(3);
  }
  if (FirstRun && !ShortcutExists()) CreateStartupShortcut();
  // The icon comes up before the printers are read, with the profile's default as its tip: the
  // spooler's first use takes long under Wine (CUPS's libraries), and the menu follows at once.
  const std::string device = DefaultDevice();
  if (!device.empty()) TrayForm->SetToolTip(PrinterCaption(device));
  iconAtEnd.Show();
  FollowPrinterChange(false);
  if (!RememberPerNetwork) return;
  // The network the machine starts on is one it joins.
  ListenForMoves();
  WatchNetwork();
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WININICHANGE) {
    HandleWinIniChange();
    return 0;
  }
  if (message == WM_PRINTERSCHANGED) {
    FollowPrinterChange();
    return 0;
  }
  if (message == WM_CUPSSETTLED) {
    CupsSettled();
    return 0;
  }
  if (message == WM_TIMER && wParam == kNetworkTimer) {
    if (WatchNetwork() && routeNotices_) KillTimer(Handle(), kNetworkTimer);
    return 0;
  }
  if (message == WM_ROUTECHANGED) {
    if (RememberPerNetwork) ListenForMoves();
    WatchNetwork();
    return 0;
  }
  if (message == WM_TIMER && wParam == kChoiceTimer) {
    KillTimer(Handle(), kChoiceTimer);
    KeepChoice();
    return 0;
  }
  return TForm::WndProc(message, wParam, lParam);
}

void TMainForm::SetPrinterOnClick(TComponent* sender) {
  if (MenuRebuilding) return;
  auto* item = static_cast<TMenuItem*>(sender);
  const int position = item->MenuIndex();
  switch (position) {
    case 0:  // Exit
      Close();
      break;
    case 1:
      UnInstall();
      break;
    case 2:
      ShowAbout();
      break;
    case 4:
      AddPrinter();
      break;
    case 6:
      OpenPrinterSetup();
      break;
    default:
      ApplyDefaultPrinter(position);
      break;
  }
}

void TMainForm::SetOptionsOnClick(TComponent* sender) {
  if (MenuRebuilding) return;
  switch (static_cast<TMenuItem*>(sender)->MenuIndex()) {
    case 0:
      ShowPortInfo = !ShowPortInfo;
      SaveOptions();
      FollowPrinterChange(false);
      break;
    case 1:
      ShowSplash = !ShowSplash;
      SaveOptions();
      break;
    case 2:
      RememberPerNetwork = !RememberPerNetwork;
      SaveOptions();
      StartWatchingNetwork();
      break;
    default:
      break;
  }
}

void TMainForm::TrayFormDblClick(TComponent*) { OpenPrinterSetup(); }

namespace {
// Takes the icon out of the notification area and puts it back when the guard ends, unless
// the program is closing by then.
class TIconAway {
 public:
  explicit TIconAway(TTrayIcon& tray) : tray_(tray) { tray_.SetActive(false); }
  ~TIconAway() {
    if (!closing) tray_.SetActive(true);
  }
  TIconAway(const TIconAway&) = delete;
  TIconAway& operator=(const TIconAway&) = delete;
  bool closing = false;

 private:
  TTrayIcon& tray_;
};

std::string ControlPanelIn(UINT (*folder)(LPSTR, UINT)) {
  char path[MAX_PATH + 1] = "";
  const UINT length = folder(path, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return std::string();
  std::string control = std::string(path, length);
  if (control.back() != '\\') control += '\\';
  control += "control.exe";
  return GetFileAttributesA(control.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : control;
}
UINT SystemFolder(LPSTR path, UINT size) { return GetSystemDirectoryA(path, size); }
UINT WindowsFolder(LPSTR path, UINT size) { return GetWindowsDirectoryA(path, size); }
}  // namespace

std::string AddPrinterCommandLine() {
  // By its full path: never a control.exe that happens to stand in the current directory.
  std::string control = ControlPanelIn(&SystemFolder);
  if (control.empty()) control = ControlPanelIn(&WindowsFolder);
  if (control.empty()) return std::string();
  return "\"" + control + "\" Printers";
}

void TMainForm::UnInstall() {
  const std::string caption = Application->Title() + ": " + OptionName(mUnInstall->Caption());
  TIconAway away(*TrayForm);
  Shell().Beep(0);
  if (Application->MessageBox(kUnInstallQuestion, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
  away.closing = true;
  RemoveStartupShortcut();
  DeleteSettingsKey();
  Close();
}

void TMainForm::ShowAbout() {
  TIconAway away(*TrayForm);
  TAboutForm about(Application, 1);
  about.ShowModal();
}

void TMainForm::AddPrinter() {
  const std::string command = AddPrinterCommandLine();
  if (!command.empty()) WinExec(command.c_str(), SW_SHOWNORMAL);
}

void TMainForm::OpenPrinterSetup() {
  if (!DefaultKnown) return;
  if (SetupDialogOpen) {
    Shell().Beep(0);
    return;
  }
  TFlagGuard open(SetupDialogOpen);
  TPrinter& printer = SharedPrinter();
  printer.ResetToDefault();
  std::string device, driver, port;
  HGLOBAL block = nullptr;
  printer.ReadCurrent(device, driver, port, block);
  printer.SelectPrinter(device, driver, port, block);
  PrinterSetupDialog->RunSetup(printer);
}

void PauseWithMessages(std::uint16_t seconds) {
  // Timed by the tick count, not the clock: setting the clock cannot stretch the pause. Waiting
  // for a message or the deadline keeps the processor free while the windows stay responsive.
  const DWORD start = GetTickCount();
  const DWORD length = 1000u * seconds;
  for (DWORD elapsed = 0; elapsed < length; elapsed = GetTickCount() - start) {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, length - elapsed, QS_ALLINPUT);
  }
}

}  // namespace zv
