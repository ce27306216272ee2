#pragma once
// The program's own logic, with no window of its own: what the menu's printer section shows and
// which printer each entry stands for, making a printer the default, following a change made
// elsewhere, CUPS following a choice under Wine, the printer per network and what the
// organisation's policy says. It reaches the
// platform through the seams; the window turns messages and clicks into its calls and shows what
// it says.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CoreView.h"
#include "app/LegacyDefaultMode.h"
#include "app/NetworkPrinters.h"
#include "app/Options.h"
#include "app/Policy.h"
#include "app/Waiting.h"
#include "app/cups_default.h"
#include "printers/Printer.h"

namespace zv {

// The fixed items of the popup menu; printer entries follow a separator after them.
inline constexpr int FixedCount = 7;
inline constexpr std::size_t kMaxCaption = 80;

// One printer entry of the menu.
struct TMenuEntry {
  std::string Caption;
  TPrinterDevice Printer;  // the printer the entry stands for, as the catalogue listed it
  std::int32_t Index;      // its place in the catalogue (the entry's tag)
  bool Checked;
  bool Whole;  // false: the system gave its name with "?" for characters, and it is never written
};

class TPrinterCore {
 public:
  // The window gets the notices of the network and the wake-up for waiting work, as messages; the
  // settings key holds the printers remembered per network.
  TPrinterCore(HWND window, ICoreView& view, const std::string& settingsKey);
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
  // The system announced a change of policy: the rules and forced options are read again. A rule
  // changed for the network the machine is on takes effect at its next move, as a deployment's
  // refresh must not undo the user's choice.
  void PolicyChanged();
  // A right-click: true when the menu may open now (it then counts as a change until
  // MenuClosed); otherwise it is shown once the change under way has ended.
  bool MenuMayOpen();
  void MenuClosed();
  // The option to follow the network was turned on or off: the network of the moment is no move.
  void WatchNetwork();
  // At start-up: the network the machine starts on is one it joins.
  void JoinNetwork();
  // A look at the routing table (at an interval, or on the system's notice).
  void LookAtNetwork();
  void RouteChanged();
  // The work that waited and may run now.
  void RunWaiting();
  // UnInstall: what the program changed in Windows' own settings is put back.
  void UnInstall();

 private:
  // Why a printer is being made the default: it decides what is remembered and what is reported.
  // PolicyRule: a rule named it for the network; it is not remembered as the user's, and a printer
  // that is not installed changes nothing, without a word.
  enum class TWhy { Reapply, FollowElsewhere, UserChoice, NetworkRecall, PolicyRule };
  static bool Asked(TWhy why);
  void ApplyEntry(int entry, TWhy why);
  // The first entry whose printer is the one wanted becomes the default, unless it is already.
  void ApplyListed(const std::function<bool(const TPrinterDevice&)>& wanted, TWhy why);
  void FollowChange();
  void RebuildAndApply(TWaitingWork work, TWhy why);
  void Run(TWaitingWork work);
  void Announce();

  ICoreView& view_;
  std::vector<TMenuEntry> entries_;
  unsigned generation_ = 0;
  bool defaultKnown_ = false;
  std::string tip_;
  std::unique_ptr<TCupsDefault> cups_;
  TNetworkPrinters network_;
  TLegacyDefaultMode legacyMode_;
  TPolicy policy_;
  TOptions own_;
  // The default a rule set, while it is: following it is no choice of the user's to remember.
  std::string ruled_;
  TWaiting waiting_;
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
