#include "app/main_window.h"

#include "framework/Application.h"

namespace zv {

bool FirstRun = true;

TMainForm::TMainForm(TComponent* owner) : TForm(owner) { Describe(); }

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
  mPrinterSettings = AddItem(items, "&Printer Settings...", printerClick);
  TrayForm->SetPopupMenu(PMenu);

  Reg = new TRegFile(this);
  Reg->Key = "Software";
}

void TMainForm::FormCreate() {
  SetCaption(Application->Title());
  ComputeShortcutPath();
  FirstRun = !ShortcutExists();
  LoadSettings();
  // Invisible for good: no border, no size, hidden.
  SetBorderIcons(false);
  SetBorderStyle(TBorderStyle::bsNone);
  SetBounds(Left(), Top(), 0, 0);
  ShowWindowAsync(Handle(), SW_HIDE);
  if (FirstRun) CreateStartupShortcut();
  BuildPrinterMenu();
  ApplyDefaultPrinter(-1);
  TrayForm->SetActive(true);
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WININICHANGE) {
    HandleWinIniChange();
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
    case 1:  // UnInstall
    case 2:  // About
    case 4:  // Add Printer
    case 6:  // Printer Settings
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
      BuildPrinterMenu();
      ApplyDefaultPrinter(-1);
      break;
    case 1:
      ShowSplash = !ShowSplash;
      SaveOptions();
      break;
    default:
      break;
  }
}

void TMainForm::TrayFormDblClick(TComponent*) {}

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
