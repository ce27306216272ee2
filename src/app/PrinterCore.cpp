#include "app/PrinterCore.h"

#include <algorithm>
#include <utility>

#include "app/Messages.h"
#include "framework/Text.h"
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
    : view_(view),
      cups_(std::make_unique<TCupsDefault>()),
      network_(window, settingsKey),
      legacyMode_(settingsKey),
      waiting_([window] {
        if (window) PostMessageA(window, WM_RUNWAITING, 0, 0);
      }) {
  for (const TOptionRow& row : kOptionRows) own_.*row.Member = row.Default;
  policy_.Read();
  Options = policy_.Overlay(own_);
}

void TPrinterCore::SetOwnOptions(const TOptions& own) {
  own_ = own;
  Options = policy_.Overlay(own_);
}

TPrinterCore::~TPrinterCore() = default;

std::string TPrinterCore::Caption(const std::string& displayName, const std::string& port) const {
  // Only the port the catalogue added is hidden: " on" inside a printer's own name is the name.
  const std::string added = " on " + port;
  const bool portAdded = !port.empty() && displayName.size() > added.size() &&
                         displayName.compare(displayName.size() - added.size(), added.size(), added) == 0;
  const std::string caption =
      !Options.ShowPortInfo && portAdded ? displayName.substr(0, displayName.size() - added.size()) : displayName;
  return FirstCharacters(caption, kMaxCaption);
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
      for (const auto& [name, index] : sorted) {
        const TPrinterEntry& printer = listed[static_cast<std::size_t>(index.Index)];
        entries_.push_back({Caption(name, printer.Device.PortName), printer.Device, index.Index,
                            index.Index == defaultIndex, printer.Whole});
      }
    }
  } catch (...) {
    view_.CoreChanged();
    throw;
  }
  view_.CoreChanged();
}

// A printer the user, or the network the machine moved to, asked for: a failure is reported.
bool TPrinterCore::Asked(TWhy why) { return why == TWhy::UserChoice || why == TWhy::NetworkRecall; }

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
    if (Asked(why)) view_.ReportFailure(true);
    return;
  }

  // Reading the printers has loaded the spooler, which has copied CUPS's default into the profile
  // (unless another program held it already).
  cups_->NoteCupsDefault();
  // Composed and written whole, however long the names are. A value that would be read as naming
  // another printer (names may hold commas), or a name the system gave with "?" for characters,
  // is not written: that would make another printer, or none, the default.
  const std::string value = now.DeviceName + "," + now.DriverName + "," + now.PortName;
  const auto listed = [this](const std::string& name) {
    return std::any_of(entries_.begin(), entries_.end(), [&](const TMenuEntry& e) { return e.Printer.DeviceName == name; });
  };
  TMenuEntry& chosen = entries_[static_cast<std::size_t>(target)];
  const bool writable = chosen.Whole && NamedDevice(value, listed) == now.DeviceName;
  if (!writable && why == TWhy::PolicyRule) {
    // A rule changes nothing it cannot carry out: the check mark stays where it was.
    if (checked >= 0) entries_[static_cast<std::size_t>(checked)].Checked = true;
    return;
  }
  if (!writable && !Asked(why)) {
    // The profile names this printer already, in words of its own: they stay.
    chosen.Checked = true;
    tip_ = chosen.Caption;
    view_.CoreChanged();
    return;
  }
  if (!writable || !Spooler().WriteProfile("Windows", "Device", value)) {
    tip_ = kNoDefaultPrinterTip;
    view_.CoreChanged();
    view_.ReportFailure(false);
    return;
  }
  chosen.Checked = true;
  tip_ = chosen.Caption;
  // A printer that becomes the default, chosen here or elsewhere, is the one for this network; the
  // one a rule set stays the rule's, also when an announcement from elsewhere finds it still the default.
  const bool ruled = why == TWhy::PolicyRule ||
                     (why != TWhy::UserChoice && why != TWhy::NetworkRecall && ruled_ == now.DeviceName);
  ruled_ = ruled ? now.DeviceName : std::string();
  if (!ruled && (why == TWhy::UserChoice || why == TWhy::FollowElsewhere)) network_.Remember(now);
  // Only the user's own choice stops Windows making the printer used last the default; the switch
  // lives beside the profile's value, and the one announcement tells of both.
  const bool tell = why == TWhy::UserChoice && legacyMode_.UserChose();
  // Each call below may dispatch messages; the work they bring waits for the end of this change.
  view_.CoreChanged();
  Announce();
  if (tell) view_.Tell(kWindowsStopsManaging);
  cups_->Keep(now.DeviceName, ListedPort(listing), why == TWhy::UserChoice || why == TWhy::NetworkRecall);
}

void TPrinterCore::Announce() {
  TWaiting::TChange own(waiting_, TChangeKind::Announcing);
  static const char kSection[] = "windows";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

// Clicked in the menu or announced elsewhere, a rebuild waits for the change under way to end.
void TPrinterCore::RebuildAndApply(TWaitingWork work, TWhy why) {
  if (!waiting_.NowOrLater(work)) return;
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  Rebuild();
  ApplyEntry(-1, why);
}

void TPrinterCore::Refresh() { RebuildAndApply(TWaitingWork::Refresh, TWhy::Reapply); }

void TPrinterCore::Announced() {
  if (Announcing()) return;
  FollowChange();
}

void TPrinterCore::FollowChange() { RebuildAndApply(TWaitingWork::FollowChange, TWhy::FollowElsewhere); }

bool TPrinterCore::MenuMayOpen() {
  if (!waiting_.NowOrLater(TWaitingWork::ShowMenu)) return false;
  waiting_.Enter(TChangeKind::MenuOpen);
  return true;
}

void TPrinterCore::MenuClosed() { waiting_.Leave(); }

void TPrinterCore::WatchNetwork() { network_.Start(Options.RememberPerNetwork, policy_.HasRules()); }

void TPrinterCore::JoinNetwork() {
  network_.Join(Options.RememberPerNetwork, policy_.HasRules());
  LookAtNetwork();
}

void TPrinterCore::LookAtNetwork() {
  // Only the routing table is read while nothing moves.
  if (!network_.RoutesMoved() || !waiting_.NowOrLater(TWaitingWork::LookAtNetwork)) return;
  if (!network_.Arrived()) return;
  // The user's own printer for this network first; else what the rules, read now, name for it.
  if (const std::optional<TPrinterDevice> remembered = network_.Recall()) {
    ApplyListed(
        [&](const TPrinterDevice& shown) {
          return shown.DeviceName == remembered->DeviceName && shown.PortName == remembered->PortName;
        },
        TWhy::NetworkRecall);
    return;
  }
  policy_.ReadRules();
  const std::string ruled = policy_.PrinterFor(network_.Visit());
  // Administrators write names as people do: in any case, as the system compares them.
  if (!ruled.empty())
    ApplyListed([&](const TPrinterDevice& shown) { return lstrcmpiA(shown.DeviceName.c_str(), ruled.c_str()) == 0; },
                TWhy::PolicyRule);
}

void TPrinterCore::ApplyListed(const std::function<bool(const TPrinterDevice&)>& wanted, TWhy why) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!wanted(entries_[i].Printer)) continue;
    if (!entries_[i].Checked) ApplyEntry(static_cast<int>(i), why);
    return;
  }
}

void TPrinterCore::PolicyChanged() {
  if (!waiting_.NowOrLater(TWaitingWork::ReadPolicy)) return;
  const TOptions before = Options;
  const bool rules = policy_.HasRules();
  policy_.Read();
  Options = policy_.Overlay(own_);
  // An option the policy turned is followed as a click on it would be.
  bool watching = false;
  for (const TOptionRow& row : kOptionRows)
    if (Options.*row.Member != before.*row.Member && row.Changed) {
      (this->*row.Changed)();
      watching = watching || row.Changed == &TPrinterCore::WatchNetwork;
    }
  if (!watching && policy_.HasRules() != rules) WatchNetwork();
  view_.CoreChanged();
}

void TPrinterCore::RouteChanged() {
  network_.Listen();
  LookAtNetwork();
}

void TPrinterCore::UnInstall() {
  if (legacyMode_.Restore()) Announce();
}

void TPrinterCore::RunWaiting() {
  const std::vector<TWaitingWork> runnable = waiting_.TakeRunnable();
  std::size_t next = 0;
  try {
    for (; next < runnable.size(); ++next) Run(runnable[next]);
  } catch (...) {
    // What a failure left undone is kept for the next wake-up, not lost with it.
    for (++next; next < runnable.size(); ++next) waiting_.NowOrLater(runnable[next]);
    waiting_.WakeIfRunnable();
    throw;
  }
}

void TPrinterCore::Run(TWaitingWork work) {
  switch (work) {
      case TWaitingWork::FollowChange:
        FollowChange();
        break;
      case TWaitingWork::Refresh:
        Refresh();
        break;
      case TWaitingWork::ShowMenu:
        view_.PopUpMenu();
        break;
      case TWaitingWork::LookAtNetwork:
        LookAtNetwork();
        break;
      case TWaitingWork::ReadPolicy:
        PolicyChanged();
        break;
    }
}

}  // namespace zv
