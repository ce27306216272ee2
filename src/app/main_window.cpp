#include "app/main_window.h"

#include "app/MachineInstallation.h"
#include "app/Messages.h"
#include "app/PrinterCore.h"
#include "app/Shell.h"
#include "components/Just1_32/Just1_32.h"
#include "components/RegFiles/RegFiles.h"
#include "components/TrayIcon/TrayIcon.h"
#include "forms/AboutForm.h"
#include "forms/PrinterSetupDialog.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/FlagGuard.h"
#include "framework/Menus.h"
#include "printers/Printer.h"
#include "printers/SpoolerApi.h"
#include "product/Product.h"

namespace zv {

bool FirstRun = true;

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
  Describe();
  core_ = std::make_unique<TPrinterCore>(static_cast<ICoreWindow&>(*this), SettingsKey());
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
  TrayForm->SetIconResource(kIconResource, kLightIconResource);
  TrayForm->OnDblClick = [this](TComponent* sender) { TrayFormDblClick(sender); };

  PMenu = new TPopupMenu(this);
  auto printerClick = [this](TComponent* sender) { SetPrinterOnClick(sender); };
  auto optionsClick = [this](TComponent* sender) { SetOptionsOnClick(sender); };
  TMenuItem& items = PMenu->Items();
  mExit = AddItem(items, "&Exit", printerClick);
  mUnInstall = AddItem(items, "&UnInstall...", printerClick);
  mAbout = AddItem(items, "&About...", printerClick);
  mN1 = AddItem(items, "-", nullptr);
  mAddPrinter = AddItem(items, "A&dd Printer...", printerClick);
  mOptions = AddItem(items, "&Options", nullptr);
  for (const TOptionRow& row : kOptionRows) AddItem(*mOptions, row.Caption, optionsClick);
  mShowPortInfo = mOptions->Items(0);
  mShowSplashScreen = mOptions->Items(1);
  mRememberPerNetwork = mOptions->Items(2);
  mPrinterSettings = AddItem(items, "&Printer Settings...", printerClick);
  TrayForm->SetPopupMenu(PMenu);
  // An open menu is a change under way: what arrives meanwhile waits until the command chosen in
  // it starts, and a choice of printer is carried out first. A right-click during another change
  // shows the menu after that change.
  TrayForm->CanPopup = [this] { return core_->MenuMayOpen(); };
  TrayForm->OnPopupClosed = [this](TComponent*) { core_->MenuClosed(); };

  PrinterSetupDialog = new TPrinterSetupDialog(this);
  // In a second copy of the program this ends the process, before any icon or setting.
  JustOneInstance = new TJustOne32(this);
  Reg = new TRegFile(this);
  Reg->Key = kSettingsParent;
}

void TMainForm::FormCreate() {
  // Whatever fails below, the icon comes up: without it the program could not even be ended.
  struct TIconAtEnd {
    TMainForm& form;
    void Show() {
      if (form.TrayForm->Active()) return;
      form.ShowTip();
      form.TrayForm->SetActive(true);
    }
    ~TIconAtEnd() { Show(); }
  } iconAtEnd{*this};
  SetCaption(Application->Title());
  ComputeShortcutPath();
  // The copy installed for every user starts from the machine's Run key: it needs no shortcut.
  FirstRun = !ShortcutExists() && !InstalledForEveryUser();
  LoadSettings();
  // Invisible for good: no border, no size, hidden.
  SetBorderIcons(false);
  SetBorderStyle(TBorderStyle::bsNone);
  SetBounds(Left(), Top(), 0, 0);
  ShowWindowAsync(Handle(), SW_HIDE);
  if (core_->Options.ShowSplash) {
    TAboutForm splash(Application, 0);
    splash.Show();
    PauseWithMessages(3);
  }
  if (FirstRun && !ShortcutExists()) CreateStartupShortcut();
  // The icon comes up before the printers are read, with the profile's default as its tip: the
  // spooler's first use takes long under Wine (CUPS's libraries), and the menu follows at once.
  core_->ShowProfileDefault();
  iconAtEnd.Show();
  core_->Refresh();
  core_->StartWatching();
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_WININICHANGE:  // also WM_SETTINGCHANGE
      // A change of policy is no change of the default printer. The program's own announcement is
      // told by its flag: its text may arrive garbled.
      if (lParam && lstrcmpiA(reinterpret_cast<const char*>(lParam), "Policy") == 0)
        core_->PolicyChanged();
      else
        HandleWinIniChange();
      return 0;
    case WM_COREWAKE:
      core_->Wake(static_cast<TCoreWake>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kNetworkTimer) {
        core_->Wake(TCoreWake::LookAtNetwork);
        return 0;
      }
      break;
    default:
      break;
  }
  return TForm::WndProc(message, wParam, lParam);
}

void TMainForm::ShowTip() { TrayForm->SetToolTip(core_->Tip()); }

void TMainForm::CoreChanged() {
  const std::vector<TMenuEntry>& entries = core_->Entries();
  TMenuItem& items = PMenu->Items();
  if (shownGeneration_ != core_->Generation()) {
    shownGeneration_ = core_->Generation();
    items.DeleteFrom(FixedCount);
    if (!entries.empty()) AddItem(items, "-", nullptr);
    auto click = [this](TComponent* sender) { SetPrinterOnClick(sender); };
    for (const TMenuEntry& entry : entries) {
      AddItem(items, entry.Caption.c_str(), click)->SetChecked(entry.Checked);
    }
  } else {
    for (std::size_t i = 0; i < entries.size(); ++i)
      items.Items(FixedCount + 1 + static_cast<int>(i))->SetChecked(entries[i].Checked);
  }
  ShowOptions();
  ShowTip();
}

void TMainForm::ReportFailure(bool beep) {
  if (beep) Shell().Beep(0);
  Application->MessageBox(kFailureToSetDefault, Application->Title(), MB_OK);
}

void TMainForm::PopUpMenu() { PostMessageA(TrayForm->WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP); }

void TMainForm::Tell(const char* text) { TrayForm->ShowBalloon(Application->Title(), text); }

void TMainForm::Post(TCoreWake what) { PostMessageA(Handle(), WM_COREWAKE, static_cast<WPARAM>(what), 0); }

void TMainForm::Pace(bool on) {
  if (on)
    SetTimer(Handle(), kNetworkTimer, kNetworkCheckMs, nullptr);
  else
    KillTimer(Handle(), kNetworkTimer);
}

void TMainForm::Announce() { AnnounceDefaultPrinter(); }

void TMainForm::BuildPrinterMenu() { core_->Rebuild(); }

void TMainForm::ApplyDefaultPrinter(int position) {
  // The entries stand in the menu in the core's order, after the fixed items and a separator.
  if (position != -1 && position <= FixedCount) return;
  core_->Apply(position == -1 ? -1 : position - FixedCount - 1);
}

void TMainForm::HandleWinIniChange() { core_->Announced(); }

void TMainForm::SetPrinterOnClick(TComponent* sender) {
  if (core_->Rebuilding()) return;
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
  if (core_->Rebuilding()) return;
  const int index = static_cast<TMenuItem*>(sender)->MenuIndex();
  if (index < 0 || index >= static_cast<int>(std::size(kOptionRows))) return;
  const TOptionRow& row = kOptionRows[index];
  // A forced option's item is greyed: nothing chooses it, and the policy's value holds.
  if (core_->Forced(row.Member)) return;
  TOptions own = core_->OwnOptions();
  own.*row.Member = !(own.*row.Member);
  core_->SetOwnOptions(own);
  SaveOptions();
  if (row.Changed) (core_.get()->*row.Changed)();
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
  core_->End();
  core_->UnInstall();
  RemoveStartupShortcut();
  DeleteSettingsKey();
  if (InstalledForEveryUser()) Application->MessageBox(kInstalledForEveryUser, caption, MB_OK | MB_ICONINFORMATION);
  Close();
}

void TMainForm::ShowAbout() {
  TIconAway away(*TrayForm);
  TAboutForm about(Application, 1);
  about.ShowModal();
}

void TMainForm::AddPrinter() {
  const std::string command = AddPrinterCommandLine();
  if (!command.empty()) Shell().Execute(command);
}

void TMainForm::OpenPrinterSetup() {
  if (!core_->DefaultKnown()) return;
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
  // Selected again with exactly what was read, its settings block included (the same block is no
  // new one): the printer is opened afresh for the dialog, whose driver may have changed since.
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
