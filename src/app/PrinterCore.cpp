#include "app/PrinterCore.h"

#include <algorithm>
#include <utility>

#include "app/Messages.h"
#include "printers/SpoolerApi.h"
#include "product/Product.h"

namespace zv {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// The broadcast waits for every top-level window, but never for ever on one that hangs.
constexpr UINT kBroadcastTimeoutMs = 2000;

// What the profile's list of devices holds for a printer of the Windows NT catalogue, empty when
// it does not name it; named, the spooler has it installed. (Windows 95 entries carry a port,
// which that list does not answer for.)
std::string DeviceListing(const TPrinterDevice& device) {
  if (device.DeviceName.empty() || !device.DriverName.empty() || !device.PortName.empty()) return std::string();
  return Spooler().ReadProfile("Devices", device.DeviceName);
}

// Carries a catalogue index through the sort of the printer names.
struct TPrintersList {
  std::int32_t Index;
};

}  // namespace

TPrinterCore::TPrinterCore(HWND window, ICoreView& view, const std::string& settingsKey)
    : view_(view), cups_(std::make_unique<TCupsDefault>()), network_(window, settingsKey), waiting_([window] {
        if (window) PostMessageA(window, WM_RUNWAITING, 0, 0);
      }) {
  for (const TOptionRow& row : kOptionRows) Options.*row.Member = row.Default;
}

TPrinterCore::~TPrinterCore() = default;

std::string TPrinterCore::Caption(const std::string& displayName) const {
  std::string caption = displayName.substr(0, kMaxCaption);
  if (!Options.ShowPortInfo) {
    const std::size_t on = caption.find(" on");
    if (on != std::string::npos) caption.resize(on);
  }
  return caption;
}

void TPrinterCore::ShowProfileDefault() {
  const std::string device = DefaultDevice();
  tip_ = device.empty() ? kNoDefaultPrinterTip : Caption(device);
  view_.CoreChanged();
}

void TPrinterCore::Rebuild() {
  TWaiting::TChange change(waiting_, TChangeKind::Rebuilding);
  defaultKnown_ = false;
  tip_ = kNoDefaultPrinterTip;
  ++generation_;
  entries_.clear();
  try {
    TPrinter printer;
    const std::vector<TPrinterEntry>& listed = printer.Entries();
    if (!listed.empty()) {
      // Printers without a default are offered all the same, none checked: the user picks one.
      // The menu needs the default's place only, not its driver's settings.
      const std::int32_t defaultIndex = printer.DefaultIndex();
      defaultKnown_ = defaultIndex >= 0;
      std::vector<std::pair<std::string, TPrintersList>> sorted;
      sorted.reserve(listed.size());
      for (std::size_t i = 0; i < listed.size(); ++i)
        sorted.push_back({listed[i].Name, TPrintersList{static_cast<std::int32_t>(i)}});
      std::sort(sorted.begin(), sorted.end(),
                [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });
      entries_.reserve(listed.size());
      for (const auto& [name, index] : sorted)
        entries_.push_back({Caption(name), listed[static_cast<std::size_t>(index.Index)].Device, index.Index,
                            index.Index == defaultIndex});
    }
  } catch (...) {
    view_.CoreChanged();
    throw;
  }
  view_.CoreChanged();
}

void TPrinterCore::Apply(int entry) { ApplyEntry(entry, entry == -1 ? TWhy::Reapply : TWhy::UserChoice); }

void TPrinterCore::ApplyEntry(int entry, TWhy why) {
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  if (entries_.empty()) return;
  int checked = -1;
  for (std::size_t i = 0; i < entries_.size() && checked < 0; ++i)
    if (entries_[i].Checked) checked = static_cast<int>(i);
  const int target = entry == -1 ? checked : entry;
  if (target < 0 || target >= static_cast<int>(entries_.size())) return;  // nothing to apply
  const TPrinterDevice shown = entries_[static_cast<std::size_t>(target)].Printer;
  if (checked >= 0) entries_[static_cast<std::size_t>(checked)].Checked = false;

  // The printer the entry shows, as it is installed now: it may have gone or moved since the
  // entries were read. The profile's list of devices answers for one printer at once; only a
  // printer it does not name costs a reading of all of them.
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
    Rebuild();
    for (const TMenuEntry& e : entries_)
      if (e.Checked) {
        tip_ = e.Caption;
        break;
      }
    view_.CoreChanged();
    if (why == TWhy::UserChoice || why == TWhy::NetworkRecall) view_.ReportFailure(true);
    return;
  }

  // Reading the printers has loaded the spooler, which has copied CUPS's default into the profile
  // (unless another program held it already).
  cups_->NoteCupsDefault();
  // Composed and written whole, however long the names are.
  const std::string value = now.DeviceName + "," + now.DriverName + "," + now.PortName;
  if (!Spooler().WriteProfile("Windows", "Device", value)) {
    tip_ = kNoDefaultPrinterTip;
    view_.CoreChanged();
    view_.ReportFailure(false);
    return;
  }
  TMenuEntry& chosen = entries_[static_cast<std::size_t>(target)];
  chosen.Checked = true;
  tip_ = chosen.Caption;
  // A printer that becomes the default, chosen here or elsewhere, is the one for this network.
  if (why != TWhy::Reapply) network_.Remember(now);
  // Each call below may dispatch messages; the work they bring waits for the end of this change.
  view_.CoreChanged();
  Announce();
  cups_->Keep(now.DeviceName, ListedPort(listing), why == TWhy::UserChoice || why == TWhy::NetworkRecall);
}

void TPrinterCore::Announce() {
  TWaiting::TChange own(waiting_, TChangeKind::Announcing);
  static const char kSection[] = "windows";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

void TPrinterCore::Refresh() {
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  Rebuild();
  ApplyEntry(-1, TWhy::Reapply);
}

void TPrinterCore::Announced() {
  if (Announcing()) return;
  FollowChange();
}

void TPrinterCore::FollowChange() {
  if (!waiting_.NowOrLater(TWaitingWork::FollowChange)) return;
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  Rebuild();
  ApplyEntry(-1, TWhy::FollowElsewhere);
}

bool TPrinterCore::MenuMayOpen() {
  if (!waiting_.NowOrLater(TWaitingWork::ShowMenu)) return false;
  waiting_.Enter(TChangeKind::MenuOpen);
  return true;
}

void TPrinterCore::MenuClosed() { waiting_.Leave(); }

void TPrinterCore::WatchNetwork() { network_.Start(Options.RememberPerNetwork); }

void TPrinterCore::JoinNetwork() {
  network_.Join(Options.RememberPerNetwork);
  LookAtNetwork();
}

void TPrinterCore::LookAtNetwork() {
  // Only the routing table is read while nothing moves.
  if (!network_.RoutesMoved() || !waiting_.NowOrLater(TWaitingWork::LookAtNetwork)) return;
  const std::optional<TPrinterDevice> remembered = network_.Recall();
  if (!remembered) return;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const TPrinterDevice& shown = entries_[i].Printer;
    if (shown.DeviceName != remembered->DeviceName || shown.PortName != remembered->PortName) continue;
    if (!entries_[i].Checked) ApplyEntry(static_cast<int>(i), TWhy::NetworkRecall);
    return;
  }
}

void TPrinterCore::RouteChanged() {
  network_.Listen();
  LookAtNetwork();
}

void TPrinterCore::RunWaiting() {
  for (const TWaitingWork work : waiting_.TakeRunnable()) switch (work) {
      case TWaitingWork::FollowChange:
        FollowChange();
        break;
      case TWaitingWork::ShowMenu:
        view_.PopUpMenu();
        break;
      case TWaitingWork::LookAtNetwork:
        LookAtNetwork();
        break;
    }
}

}  // namespace zv
