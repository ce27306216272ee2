#pragma once
// The program's own logic, with no window of its own: what the menu's printer section shows and
// which printer each entry stands for, making a printer the default and knowing why it is,
// following a change made elsewhere, CUPS following a choice under Wine, the printer per network
// and what the organisation's policy says. It reaches the window through ICoreWindow and the
// platform through the seams; the window turns messages and clicks into its calls and shows what
// it says.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CoreWindow.h"
#include "app/Decision.h"
#include "app/LegacyDefaultMode.h"
#include "app/MenuEntry.h"
#include "app/NetworkMemory.h"
#include "app/NetworkVisit.h"
#include "app/Options.h"
#include "app/Policy.h"
#include "app/Waiting.h"
#include "app/cups_default.h"

namespace zv {

// The fixed items of the popup menu; printer entries follow a separator after them.
inline constexpr int FixedCount = 7;
inline constexpr std::size_t kMaxCaption = 80;

class TPrinterCore {
 public:
  // The settings key holds the printers remembered per network.
  TPrinterCore(ICoreWindow& window, const std::string& settingsKey);
  ~TPrinterCore();
  TPrinterCore(const TPrinterCore&) = delete;
  TPrinterCore& operator=(const TPrinterCore&) = delete;

  // The options in force: the user's own, with what the policy forces.
  TOptions Options;
  // The user's own options, as stored: a forced option keeps its own value, which comes back when
  // the policy goes. Sets Options.
  void SetOwnOptions(const TOptions& own);
  const TOptions& OwnOptions() const { return own_; }
  // The policy forces the option: it cannot be changed from the menu.
  bool Forced(bool TOptions::*member) const { return policy_.Forced(member).has_value(); }

  const std::vector<TMenuEntry>& Entries() const { return entries_; }
  // Changes at every rebuild: the menu is made anew only then.
  unsigned Generation() const { return generation_; }
  const std::string& Tip() const { return tip_; }
  bool DefaultKnown() const { return defaultKnown_; }
  bool Rebuilding() const { return waiting_.Under(TChangeKind::Rebuilding); }
  bool Announcing() const { return waiting_.Under(TChangeKind::Announcing); }
  TWaiting& Waiting() { return waiting_; }

  // A caption for a catalogue entry, under the current options: its display name without the
  // " on <port>" the catalogue appended (unless ports are shown), cut to kMaxCaption characters.
  std::string Caption(const std::string& displayName, const std::string& port = std::string()) const;

  // Before the printers are read: the tip names the profile's default.
  void ShowProfileDefault();
  // Reads the printers again; the entry of the default is checked.
  void Rebuild();
  // The user chose the entry: its printer becomes the default. -1: the checked entry's printer is
  // written again (right after a rebuild).
  void Apply(int entry);
  // Rebuild and re-apply, for the program's own reasons (start-up, an option).
  void Refresh();
  // Another program announced a change of the profile; the program's own echo is dropped.
  void Announced();
  // The policy changed (the system announced it, or the registry told): the rules and forced
  // options are read again. A rule changed for the network the machine is on takes effect at its
  // next move, as a deployment's refresh must not undo the user's choice.
  void PolicyChanged();
  // A right-click: true when the menu may open now (it then counts as a change until
  // MenuClosed); otherwise it is shown once the change under way has ended.
  bool MenuMayOpen();
  void MenuClosed();
  // The option to follow the network was turned on or off: the network of the moment is no move.
  void WatchNetwork();
  // At the end of the start: the network the machine starts on is one it joins, and changes of
  // policy are watched for from now on.
  void StartWatching();
  // What the core asked the window to wake it for.
  void Wake(TCoreWake what);
  // A look at the routing table (at an interval, or on the system's notice).
  void LookAtNetwork();
  // The program is ending (UnInstall was confirmed): nothing held back runs, and nothing is
  // watched for, written or remembered any more.
  void End();
  // UnInstall: what the program changed in Windows' own settings is put back.
  void UnInstall();
  // Why the default printer is the default, as far as the program knows.
  TReason DefaultWhy() const { return default_.Why; }

 private:
  // Carries out what the decision says. The default is written and announced again unless it is
  // the printer decided already and writeAgain is off.
  void Carry(const TDecision& decision, bool writeAgain = true);
  TDecision DecideNow(TEvent event, int chosen = -1);
  void ApplyEntry(const TDecision& decision);
  // A printer the user or another program made the default: the visit is settled, and the printer
  // is remembered for its network when the decision says so.
  void Settle(const TPrinterDevice& printer, bool remember);
  void Moved(TArrival arrival);
  void FollowChange();
  void RebuildAndApply(TWaitingWork work, TEvent event);
  void RouteChanged();
  void RunWaiting();
  void Run(TWaitingWork work);
  void Announce();

  ICoreWindow& window_;
  std::vector<TMenuEntry> entries_;
  unsigned generation_ = 0;
  bool defaultKnown_ = false;
  std::string tip_;
  // The default the program made or found, and why it is: the reason travels with the printer.
  struct {
    std::string Name;
    TReason Why = TReason::Nothing;
  } default_;
  // On this visit to a network, the user or another program made a printer the default.
  bool settled_ = false;
  std::unique_ptr<TCupsDefault> cups_;
  TNetworkMemory memory_;
  TLegacyDefaultMode legacyMode_;
  TPolicy policy_;
  TOptions own_;
  TWaiting waiting_;
  TNetworkVisit visit_;  // last made, first gone: no notice reaches a core being taken down
};

// The options, in menu order: a registry value each, named after its caption.
struct TOptionRow {
  const char* Caption;
  bool TOptions::*Member;
  bool Default;
  // What follows a click on it, once it is saved; none for an option read only at start-up.
  void (TPrinterCore::*Changed)();
};
inline constexpr TOptionRow kOptionRows[] = {
    {"&Show Port Information", &TOptions::ShowPortInfo, false, &TPrinterCore::Refresh},
    {"S&how Splash Screen", &TOptions::ShowSplash, true, nullptr},
    {"Remember Printer per &Network", &TOptions::RememberPerNetwork, false, &TPrinterCore::WatchNetwork},
};

}  // namespace zv
