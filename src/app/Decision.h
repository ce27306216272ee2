#pragma once
// Whose default it is. The user's choice, a change made by another program, the printer
// remembered for a network and the organisation's rules all have a say in which printer is the
// default; one decision weighs them and says which printer and why. It has no window and reads
// no registry: the core gathers the situation and carries out what it says.
#include <optional>
#include <string>
#include <vector>

#include "app/MenuEntry.h"

namespace zv {

// Why a printer is the default. Only the user's choice and a change made elsewhere are the
// user's own, and only they are remembered for a network.
enum class TReason {
  Nothing,    // nothing to do
  Found,      // it was the default when the program read it
  Choice,     // the user chose it in the menu
  Elsewhere,  // another program made it the default
  Memory,     // it was remembered for the network the machine came to
  Rule,       // the organisation's rules name it for that network
};

// What asks for a decision.
enum class TEvent {
  Chosen,     // the user picked an entry
  Announced,  // another program announced a change; the entries have been read anew
  Reapplied,  // the program's own reasons (its start, an option): the default is written again
  Arrived,    // the machine came to a network, or its router answered on this visit
};

struct TSituation {
  TEvent Event;
  const std::vector<TMenuEntry>& Entries;  // the installed printers, the default of the moment checked
  int Chosen = -1;                         // the entry picked
  std::string Before;                      // the printer the program knew as the default; "": none
  TReason Why = TReason::Nothing;          // and why it was
  bool OnNetwork = false;                  // the machine is on a network
  bool Remember = false;                   // printers are remembered per network (the option in force)
  std::optional<TPrinterDevice> Remembered;  // the printer remembered for this network
  std::string Ruled;                       // the printer the rules name for it; "": none
  bool Settled = false;  // on this visit, the user or another program has made a printer the default
};

struct TDecision {
  int Entry = -1;                  // the entry whose printer should be the default; -1: none
  TReason Why = TReason::Nothing;  // Nothing: nothing to do
  bool RememberIt = false;         // kept as the printer of the network the machine is on
  bool Forget = false;             // what is remembered for this network is no longer installed
  // The default of the moment, written again for the reason it had: nobody decided anything new,
  // so nothing is remembered, reported or turned off for it.
  bool Again = false;
  bool operator==(const TDecision&) const = default;
};

TDecision Decide(const TSituation& situation);

}  // namespace zv
