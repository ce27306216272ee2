#include "app/PrinterCore.h"

#include <algorithm>
#include <utility>

#include "framework/Text.h"
#include "printers/SpoolerApi.h"
#include "product/Product.h"

namespace zv {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

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

// A printer the user, or the network the machine moved to, asked for just now: a failure is reported.
bool Asked(const TDecision& decision) {
  return !decision.Again && (decision.Why == TReason::Choice || decision.Why == TReason::Memory);
}

}  // namespace

TPrinterCore::TPrinterCore(ICoreWindow& window, const std::string& settingsKey)
    : window_(window),
      cups_(std::make_unique<TCupsDefault>()),
      memory_(settingsKey),
      legacyMode_(settingsKey),
      waiting_([this] { window_.Post(TCoreWake::RunWaiting); }),
      visit_(window) {
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
  window_.CoreChanged();
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
        entries_.push_back({Caption(name, printer.Device.PortName), printer.Device, index.Index == defaultIndex,
                            printer.Whole});
      }
    }
  } catch (...) {
    window_.CoreChanged();
    throw;
  }
  window_.CoreChanged();
}

void TPrinterCore::Apply(int entry) { Carry(DecideNow(entry == -1 ? TEvent::Reapplied : TEvent::Chosen, entry)); }

TDecision TPrinterCore::DecideNow(TEvent event, int chosen) {
  const TNetwork& network = visit_.Network();
  const bool arrived = event == TEvent::Arrived, onNetwork = arrived && !network.Gateway.empty();
  // Read at every move as well: the registry's notice may not come where a deployment bypasses it.
  if (arrived) policy_.ReadRules();
  return Decide({event, entries_, chosen, default_.Name, default_.Why, onNetwork, Options.RememberPerNetwork,
                 onNetwork && Options.RememberPerNetwork ? memory_.Recall(network) : std::nullopt,
                 arrived ? policy_.PrinterFor(network) : std::string(), settled_});
}

void TPrinterCore::Carry(const TDecision& decision, bool writeAgain) {
  if (decision.Forget) memory_.Forget(visit_.Network());
  if (decision.Entry < 0 || decision.Entry >= static_cast<int>(entries_.size())) return;
  const TMenuEntry& entry = entries_[static_cast<std::size_t>(decision.Entry)];
  if (entry.Checked && !writeAgain) {
    // Already the default: nothing is written, but it is now the network's or the rule's.
    default_ = {entry.Printer.DeviceName, decision.Why};
    return;
  }
  ApplyEntry(decision);
}

void TPrinterCore::ApplyEntry(const TDecision& decision) {
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  const TReason why = decision.Why;
  int checked = -1;
  for (std::size_t i = 0; i < entries_.size() && checked < 0; ++i)
    if (entries_[i].Checked) checked = static_cast<int>(i);
  const int target = decision.Entry;
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
    window_.CoreChanged();
    if (Asked(decision)) window_.ReportFailure(true);
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
  if (!writable && why == TReason::Rule && target != checked) {
    // A rule changes nothing it cannot carry out: the check mark stays where it was.
    if (checked >= 0) entries_[static_cast<std::size_t>(checked)].Checked = true;
    return;
  }
  if (!writable && !Asked(decision)) {
    // The profile names this printer already, in words of its own: they stay.
    chosen.Checked = true;
    defaultKnown_ = true;
    tip_ = chosen.Caption;
    default_ = {now.DeviceName, why};
    window_.CoreChanged();
    return;
  }
  if (!writable || !Spooler().WriteProfile("Windows", "Device", value)) {
    // The default that stood still stands: its check mark and tip stay.
    if (checked >= 0) entries_[static_cast<std::size_t>(checked)].Checked = true;
    tip_ = checked >= 0 ? entries_[static_cast<std::size_t>(checked)].Caption : kNoDefaultPrinterTip;
    window_.CoreChanged();
    window_.ReportFailure(false);
    return;
  }
  chosen.Checked = true;
  defaultKnown_ = true;
  tip_ = chosen.Caption;
  default_ = {now.DeviceName, why};
  const bool fresh = !decision.Again;
  if (fresh && (why == TReason::Choice || why == TReason::Elsewhere)) Settle(now, decision.RememberIt);
  // Only the user's own choice stops Windows making the printer used last the default; the switch
  // lives beside the profile's value, and the one announcement tells of both.
  const bool tell = fresh && why == TReason::Choice && legacyMode_.UserChose(policy_.KeepsWindowsManaging());
  // Each call below may dispatch messages; the work they bring waits for the end of this change.
  window_.CoreChanged();
  Announce();
  if (tell) window_.Tell(kWindowsStopsManaging);
  cups_->Keep(now.DeviceName, ListedPort(listing), Asked(decision));
}

void TPrinterCore::Settle(const TPrinterDevice& printer, bool remember) {
  if (!visit_.Watching()) return;
  // Where the machine is now, even if the last look was before a move: the move is then known,
  // and coming back is one.
  Moved(visit_.LookNow());
  settled_ = true;
  if (remember) memory_.Remember(visit_.Network(), printer);
}

void TPrinterCore::Moved(TArrival arrival) {
  if (arrival == TArrival::Joined) {
    memory_.NewVisit();
    settled_ = false;
  } else if (arrival == TArrival::Answered) {
    memory_.Answered(visit_.Network());
  }
}

void TPrinterCore::Announce() {
  TWaiting::TChange own(waiting_, TChangeKind::Announcing);
  window_.Announce();
}

// Clicked in the menu or announced elsewhere, a rebuild waits for the change under way to end.
void TPrinterCore::RebuildAndApply(TWaitingWork work, TEvent event) {
  if (!waiting_.NowOrLater(work)) return;
  TWaiting::TChange change(waiting_, TChangeKind::Switching);
  Rebuild();
  Carry(DecideNow(event));
}

void TPrinterCore::Refresh() { RebuildAndApply(TWaitingWork::Refresh, TEvent::Reapplied); }

void TPrinterCore::Announced() {
  if (Announcing()) return;
  FollowChange();
}

void TPrinterCore::FollowChange() { RebuildAndApply(TWaitingWork::FollowChange, TEvent::Announced); }

bool TPrinterCore::MenuMayOpen() {
  // A right-click on the icon while the menu is up closes it: no second menu follows.
  if (waiting_.Under(TChangeKind::MenuOpen) || !waiting_.NowOrLater(TWaitingWork::ShowMenu)) return false;
  waiting_.Enter(TChangeKind::MenuOpen);
  return true;
}

void TPrinterCore::MenuClosed() { waiting_.Leave(); }

void TPrinterCore::WatchNetwork() {
  visit_.Watch(Options.RememberPerNetwork || policy_.HasRules(), false);
  // The network of the moment is no move: its router's answer brings nothing either.
  settled_ = true;
}

void TPrinterCore::StartWatching() {
  policy_.Watch(window_);
  visit_.Watch(Options.RememberPerNetwork || policy_.HasRules(), true);
  LookAtNetwork();
}

void TPrinterCore::LookAtNetwork() {
  // Only the routing table is read while nothing moves.
  if (!visit_.RoutesMoved() || !waiting_.NowOrLater(TWaitingWork::LookAtNetwork)) return;
  const TArrival arrival = visit_.TakeIn();
  Moved(arrival);
  if (arrival != TArrival::None) Carry(DecideNow(TEvent::Arrived), false);
}

void TPrinterCore::PolicyChanged() {
  if (!waiting_.NowOrLater(TWaitingWork::ReadPolicy)) return;
  // Asked again before reading: a change from here on is not lost.
  policy_.Watch(window_);
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
  window_.CoreChanged();
}

void TPrinterCore::RouteChanged() {
  visit_.Listen();
  LookAtNetwork();
}

void TPrinterCore::Wake(TCoreWake what) {
  if (what == TCoreWake::RunWaiting)
    RunWaiting();
  else if (what == TCoreWake::RouteChanged)
    RouteChanged();
  else
    Run(what == TCoreWake::PolicyChanged ? TWaitingWork::ReadPolicy : TWaitingWork::LookAtNetwork);
}

void TPrinterCore::End() {
  waiting_.End();
  visit_.Watch(false, false);
  policy_.Unwatch();
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
        window_.PopUpMenu();
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
