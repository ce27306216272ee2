#pragma once
// An organisation's policy, deployed by its administrators (Group Policy, Intune, any registry
// deployment): rules naming the default printer of networks, and options they force. The program
// only reads it, from the machine's key (its 64-bit view, where Group Policy writes, also from
// the 32-bit program) and from the user's, and learns of every change of either from the
// registry itself: a deployment need not announce anything.
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CoreWindow.h"
#include "app/Network.h"
#include "app/Options.h"

namespace zv {

// Everything the program reads from the policy keys, in one place: the administrative templates
// (policy/Zorvane.admx) declare exactly these.
inline constexpr char kPolicyKey[] = "Software\\Policies\\Zorvane";
// The organisation's say on Windows' own management of the default printer (LegacyDefaultMode.h):
// a REG_DWORD, 1 keeps Windows managing it.
inline constexpr char kKeepManagingPolicy[] = "Keep Windows Managing The Default Printer";
// One value a rule: its name a network pattern, its text (REG_SZ) a printer's name.
inline constexpr char kPolicyNetworksKey[] = "Networks";
// An option forced: a REG_DWORD, 0 or 1, named like the option's own value.
struct TForcedRow {
  const char* Name;
  bool TOptions::*Member;
};
inline constexpr TForcedRow kForcedRows[] = {
    {"Show Port Information", &TOptions::ShowPortInfo},
    {"Show Splash Screen", &TOptions::ShowSplash},
    {"Remember Printer per Network", &TOptions::RememberPerNetwork},
};

struct TNetworkRule {
  std::string Pattern;  // "10.20.0.0/16" or "corp.example.com"
  std::string Printer;
};

// What one reading of one policy key found: every REG_SZ rule, the options it forces, and
// whether it keeps Windows managing the default printer.
struct TPolicyKey {
  std::vector<TNetworkRule> Rules;
  std::optional<bool> Forced[std::size(kForcedRows)];
  bool KeepManaging = false;
};

// The printer the rules name for the network; empty when none matches. The machine's rules come
// before the user's: only where none of the machine's matches do the user's count. Within a key,
// a subnet rule (the gateway's address within it) comes before a suffix rule (the connection's
// suffix equal to it or ending in "." and it, compared whole, in any case, without a leading or a
// final dot): the gateway tells where the machine is, a suffix is often the whole organisation's.
// Among subnets the longest prefix wins, among suffixes the one with the most labels. A rule that
// cannot be read (a malformed pattern, no printer) is skipped on its own.
std::string RulePrinter(const TPolicyKey& machine, const TPolicyKey& user, const TNetwork& network);

class TPolicy {
 public:
  TPolicy();
  ~TPolicy();
  TPolicy(const TPolicy&) = delete;
  TPolicy& operator=(const TPolicy&) = delete;

  // From now on, every change of either key wakes the core through the window (PolicyChanged),
  // once for each call: the next notice is asked for again by the next call.
  void Watch(ICoreWindow& window);
  void Unwatch();
  // Reads both keys again; a key that is not there, or cannot be read, holds nothing.
  void Read();
  // Reads the rules again, not the options (at a move from one network to another).
  void ReadRules();
  bool HasRules() const { return !machine_.Rules.empty() || !user_.Rules.empty(); }
  // What the policy forces the option to; the machine's policy wins over the user's.
  std::optional<bool> Forced(bool TOptions::*member) const;
  // The user's own options with what the policy forces.
  TOptions Overlay(TOptions own) const;
  std::string PrinterFor(const TNetwork& network) const { return RulePrinter(machine_, user_, network); }
  // An administrator keeps Windows managing the default printer.
  bool KeepsWindowsManaging() const { return machine_.KeepManaging || user_.KeepManaging; }

 private:
  TPolicyKey machine_, user_;
  class TKeyWatch;
  std::unique_ptr<TKeyWatch> watches_[2];
};

}  // namespace zv
