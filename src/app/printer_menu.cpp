// The printer section of the tray menu, and making a printer the system default.
#include <algorithm>
#include <utility>
#include <vector>

#include "app/cups_default.h"
#include "app/Shell.h"
#include "app/main_window.h"
#include "app/Network.h"
#include "app/printers/Printer.h"
#include "app/printers/SpoolerApi.h"
#include "framework/Application.h"
#include "framework/FlagGuard.h"

namespace zv {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// The broadcast waits for every top-level window, but never for ever on one that hangs.
constexpr UINT kBroadcastTimeoutMs = 2000;

// The first checked printer entry's position, or -1.
int CheckedEntry(TMenuItem& items) {
  for (int i = FixedCount + 1; i < items.Count(); ++i)
    if (items.Items(i)->Checked()) return i;
  return -1;
}

// What the profile's list of devices holds for a printer of the Windows NT catalogue, empty when
// it does not name it; named, the spooler has it installed. (Windows 95 entries carry a port,
// which that list does not answer for.)
std::string DeviceListing(const TPrinterDevice& device) {
  if (device.DeviceName.empty() || !device.DriverName.empty() || !device.PortName.empty()) return std::string();
  return Spooler().ReadProfile("Devices", device.DeviceName);
}

}  // namespace

TMainForm::TMenuChange::~TMenuChange() {
  if (--form_.menuChanging_ > 0) return;
  // The menu is brought up to date first, then shown.
  if (std::exchange(form_.changePending_, false)) PostMessageA(form_.Handle(), WM_PRINTERSCHANGED, 0, 0);
  if (std::exchange(form_.popupPending_, false))
    PostMessageA(form_.TrayForm->WindowHandle(), WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
}

std::string TMainForm::PrinterCaption(const std::string& displayName) const {
  std::string caption = displayName.substr(0, kMaxCaption);
  if (!ShowPortInfo) {
    std::size_t on = caption.find(" on");
    if (on != std::string::npos) caption.resize(on);
  }
  return caption;
}

void TMainForm::BuildPrinterMenu() {
  TMenuChange change(*this);
  TFlagGuard rebuilding(MenuRebuilding);
  DefaultKnown = false;
  TrayForm->SetToolTip(kNoDefaultPrinterTip);
  TPrinter printer;
  const std::vector<TPrinterEntry>& entries = printer.Entries();
  PMenu->Items().DeleteFrom(FixedCount);
  menuPrinters_.clear();
  if (entries.empty()) return;

  // Printers without a default are offered all the same, none checked: the user picks one. The
  // menu needs the default's place only, not its driver's settings.
  const std::int32_t defaultIndex = printer.DefaultIndex();
  DefaultKnown = defaultIndex >= 0;

  auto* separator = new TMenuItem(this);
  separator->SetCaption("-");
  PMenu->Items().Add(separator);

  std::vector<std::pair<std::string, TPrintersList>> sorted;
  sorted.reserve(entries.size());
  menuPrinters_.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    sorted.push_back({entries[i].Name, TPrintersList{static_cast<std::int32_t>(i)}});
    menuPrinters_.push_back(entries[i].Device);
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });

  auto click = [this](TComponent* sender) { SetPrinterOnClick(sender); };
  for (const auto& [name, index] : sorted) {
    auto* entry = new TMenuItem(this);
    entry->OnClick = click;
    entry->SetCaption(PrinterCaption(name));
    entry->SetTag(index.Index);
    entry->SetChecked(index.Index == defaultIndex);
    PMenu->Items().Add(entry);
  }
}

void TMainForm::ApplyDefaultPrinter(int position) {
  TMenuChange change(*this);
  TMenuItem& items = PMenu->Items();
  if (items.Count() <= FixedCount) return;

  const int checked = CheckedEntry(items);
  const int target = position == -1 ? checked : position;
  if (target <= FixedCount || target >= items.Count()) return;  // nothing to apply
  TMenuItem* entry = items.Items(target);
  const TPrinterDevice shown = menuPrinters_.at(static_cast<std::size_t>(entry->Tag()));
  if (checked >= 0) items.Items(checked)->SetChecked(false);

  // The printer the entry shows, as it is installed now: positions may have moved since the
  // menu was built, and the old default may be gone. The profile's list of devices answers for
  // one printer at once; only a printer it does not name costs a reading of all of them.
  TPrinterDevice now = shown;
  const std::string listing = DeviceListing(shown);
  bool installed = !listing.empty();
  if (!installed) {
    TPrinter printer;
    const std::int32_t index = printer.IndexOf(shown.DeviceName, shown.PortName);
    installed = index >= 0;
    if (installed) now = printer.Entries()[static_cast<std::size_t>(index)].Device;
  }
  if (!installed) {
    // It went without a word to us: show the printers as they are now.
    BuildPrinterMenu();
    const int nowChecked = CheckedEntry(items);
    if (nowChecked >= 0) TrayForm->SetToolTip(items.Items(nowChecked)->Caption());
    if (position != -1) {
      Shell().Beep(0);
      Application->MessageBox(kFailureToSetDefault, Application->Title(), MB_OK);
    }
    return;
  }

  // Building the menu has loaded the spooler, which has copied CUPS's default into the profile.
  cups_->NoteCupsDefault();
  // Composed and written whole, however long the names are.
  const std::string value = now.DeviceName + "," + now.DriverName + "," + now.PortName;
  if (!Spooler().WriteProfile("Windows", "Device", value)) {
    TrayForm->SetToolTip(kNoDefaultPrinterTip);
    Application->MessageBox(kFailureToSetDefault, Application->Title(), MB_OK);
    return;
  }
  chosen_ = value;
  entry->SetChecked(true);
  const std::string caption = entry->Caption();
  // A printer that becomes the default, chosen here or elsewhere, is the one for this network.
  if (position != -1 || followingElsewhere_) RememberForNetwork(now);
  // Each call below may dispatch messages; none of them uses the menu.
  TrayForm->SetToolTip(caption);
  BroadcastProfileChange();
  cups_->Keep(now.DeviceName, now.PortName.empty() ? ListedPort(listing) : now.PortName);
}

void TMainForm::BroadcastProfileChange() {
  TFlagGuard own(OwnBroadcast);
  static const char kSection[] = "windows";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

void TMainForm::HandleWinIniChange() {
  if (OwnBroadcast) return;
  FollowPrinterChange();
}

void TMainForm::FollowPrinterChange(bool elsewhere) {
  // While CUPS has not yet followed a choice, the profile may hold a stale copy of its old
  // default: following it would undo the choice.
  if (menuChanging_ > 0 || cups_->Busy()) {
    changePending_ = true;
    return;
  }
  TMenuChange change(*this);
  TFlagGuard followed(followingElsewhere_, elsewhere);
  BuildPrinterMenu();
  ApplyDefaultPrinter(-1);
}

void TMainForm::StartWatchingNetwork() {
  KillTimer(Handle(), kNetworkTimer);
  routeSignature_.reset();
  network_.clear();
  if (!RememberPerNetwork) return;
  routeSignature_ = Network().RouteSignature();
  network_ = Network().CurrentNetwork();
  ListenForMoves();
}

void TMainForm::ListenForMoves() {
  routeNotices_ = Network().AwaitRouteChange(Handle(), WM_ROUTECHANGED);
  if (!routeNotices_) SetTimer(Handle(), kNetworkTimer, kNetworkCheckMs, nullptr);
}

bool TMainForm::WatchNetwork() {
  if (!RememberPerNetwork) return true;
  // Only the routing table is read while nothing moves.
  const std::string signature = Network().RouteSignature();
  if (routeSignature_ && signature == *routeSignature_) return true;
  // A change under way finishes first; the move is looked at again a moment later.
  if (menuChanging_ > 0 || cups_->Busy()) {
    SetTimer(Handle(), kNetworkTimer, kNetworkCheckMs, nullptr);
    return false;
  }
  routeSignature_ = signature;
  const std::string network = Network().CurrentNetwork();
  if (network == network_) return true;
  network_ = network;
  if (network.empty()) return true;
  const TPrinterDevice remembered = RememberedPrinter(network);
  TMenuItem& items = PMenu->Items();
  for (int i = FixedCount + 1; i < items.Count(); ++i) {
    const TPrinterDevice& shown = menuPrinters_.at(static_cast<std::size_t>(items.Items(i)->Tag()));
    if (shown.DeviceName != remembered.DeviceName || shown.PortName != remembered.PortName) continue;
    if (!items.Items(i)->Checked()) ApplyDefaultPrinter(i);
    break;
  }
  return true;
}

void TMainForm::CupsSettled() {
  if (cups_->Busy()) return;  // a later choice is on its way, and its own notice with it
  KeepChoice();
  // A program that read CUPS's old default just before may write it a moment later.
  SetTimer(Handle(), kChoiceTimer, kChoiceRecheckMs, nullptr);
  if (!changePending_) return;
  changePending_ = false;
  FollowPrinterChange();
}

void TMainForm::KeepChoice() {
  if (chosen_.empty() || cups_->Busy()) return;
  const std::string device = DefaultDevice();
  // Only a copy of the default CUPS had before is undone; a printer chosen elsewhere is followed.
  std::size_t cursor = 0;
  if (device == NextField(chosen_, cursor) || !cups_->Superseded(device)) return;
  if (Spooler().WriteProfile("Windows", "Device", chosen_)) BroadcastProfileChange();
}

}  // namespace zv
