#include "app/Decision.h"

#include <windows.h>

#include <functional>

namespace zv {
namespace {

int Find(const std::vector<TMenuEntry>& entries, const std::function<bool(const TMenuEntry&)>& wanted) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (wanted(entries[i])) return static_cast<int>(i);
  return -1;
}

bool Users(TReason why) { return why == TReason::Choice || why == TReason::Elsewhere; }

TDecision For(int entry, TReason why, bool remember) { return {entry, why, remember && Users(why), false, false}; }
TDecision Again(int entry, TReason why) { return {entry, why, false, false, true}; }

}  // namespace

TDecision Decide(const TSituation& s) {
  const std::vector<TMenuEntry>& entries = s.Entries;
  const int checked = Find(entries, [](const TMenuEntry& e) { return e.Checked; });
  switch (s.Event) {
    case TEvent::Chosen:
      if (s.Chosen < 0 || s.Chosen >= static_cast<int>(entries.size())) return {};
      return For(s.Chosen, TReason::Choice, s.Remember);
    case TEvent::Reapplied:
    case TEvent::Announced: {
      if (checked < 0) return {};
      // The same printer stays whoever's it was: the program's own writing, or an announcement
      // about something else, is nobody's new decision.
      const bool same = entries[static_cast<std::size_t>(checked)].Printer.DeviceName == s.Before;
      if (same && s.Why != TReason::Nothing) return Again(checked, s.Why);
      if (s.Event == TEvent::Reapplied || same) return Again(checked, TReason::Found);
      return For(checked, TReason::Elsewhere, s.Remember);
    }
    case TEvent::Arrived:
      break;
  }
  // What the user or another program set on this visit is not undone by the router's answer.
  if (!s.OnNetwork || s.Settled) return {};
  TDecision decision;
  if (s.Remember && s.Remembered) {
    const TPrinterDevice& remembered = *s.Remembered;
    const int entry = Find(entries, [&](const TMenuEntry& e) {
      return e.Printer.DeviceName == remembered.DeviceName && e.Printer.PortName == remembered.PortName;
    });
    if (entry >= 0) return For(entry, TReason::Memory, false);
    decision.Forget = true;
  }
  // Administrators write names as people do: in any case, as the system compares them.
  const int ruled = s.Ruled.empty() ? -1 : Find(entries, [&](const TMenuEntry& e) {
    return lstrcmpiA(e.Printer.DeviceName.c_str(), s.Ruled.c_str()) == 0;
  });
  if (ruled >= 0) {
    decision.Entry = ruled;
    decision.Why = TReason::Rule;
  }
  return decision;
}

}  // namespace zv
