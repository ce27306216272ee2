#include "Testing.h"

namespace zv::test {

// Whose default it is, a row a situation. The printers A, B and C are installed; "*" marks the
// default of the moment. Remembered printers name a port; "Z" is not installed.
TEST(Decide, OnePrinterAndItsReasonForEverySituation) {
  using enum TEvent;
  using enum TReason;
  const auto entries = [](int checked) {
    std::vector<TMenuEntry> list;
    for (int i = 0; i < 3; ++i) {
      const std::string name(1, static_cast<char>('A' + i));
      list.push_back({name, TPrinterDevice("", name, "LPT" + std::to_string(i + 1) + ":"), i == checked, true});
    }
    return list;
  };
  const std::optional<TPrinterDevice> none, b{TPrinterDevice("", "B", "LPT2:")}, gone{TPrinterDevice("", "Z", "LPT9:")},
      moved{TPrinterDevice("", "B", "LPT7:")};
  // clang-format off
  const struct { TEvent event; int checked, chosen; const char* before; TReason why; bool onNetwork, remember;
                 std::optional<TPrinterDevice> remembered; const char* ruled; bool settled; TDecision expected; } rows[] = {
      // The user's choice wins, and is remembered only with the option on.
      {Chosen, 0, 2, "A", Rule, true, true, b, "b", false, {2, Choice, true, false, false}},
      {Chosen, 0, 0, "A", Rule, true, false, none, "", false, {0, Choice, false, false, false}},
      {Chosen, 0, 5, "A", Found, true, true, none, "", false, {}},
      // An announcement that leaves the default as it was keeps its reason; another printer is the user's.
      {Announced, 0, -1, "A", Rule, true, true, none, "", false, {0, Rule, false, false, true}},
      {Announced, 0, -1, "A", Nothing, true, true, none, "", false, {0, Found, false, false, true}},
      {Announced, 1, -1, "A", Rule, true, true, none, "", false, {1, Elsewhere, true, false, false}},
      {Announced, 1, -1, "", Nothing, false, false, none, "", false, {1, Elsewhere, false, false, false}},
      {Announced, -1, -1, "A", Choice, true, true, none, "", false, {}},
      // The program's own re-application is nobody's new decision.
      {Reapplied, 0, -1, "A", Memory, true, true, none, "", false, {0, Memory, false, false, true}},
      {Reapplied, 1, -1, "A", Choice, true, true, none, "", false, {1, Found, false, false, true}},
      // Arriving: the network's memory (the option on), then the rules, in any case, then nothing.
      {Arrived, 0, -1, "A", Found, true, true, b, "c", false, {1, Memory, false, false, false}},
      {Arrived, 0, -1, "A", Found, true, false, b, "c", false, {2, Rule, false, false, false}},
      {Arrived, 0, -1, "A", Found, true, true, gone, "c", false, {2, Rule, false, true, false}},
      {Arrived, 0, -1, "A", Found, true, true, moved, "", false, {-1, Nothing, false, true, false}},
      {Arrived, 0, -1, "A", Found, true, false, gone, "", false, {}},  // the option off: memory untouched
      {Arrived, 0, -1, "A", Found, true, true, none, "A", false, {0, Rule, false, false, false}},  // already the default
      {Arrived, 0, -1, "A", Found, true, true, none, "Z", false, {}},
      {Arrived, 0, -1, "A", Found, false, true, b, "c", false, {}},  // on no network
      {Arrived, 0, -1, "A", Choice, true, true, b, "c", true, {}},   // the router answered after a choice
  };
  // clang-format on
  for (const auto& r : rows) {
    const std::vector<TMenuEntry> list = entries(r.checked);
    const TDecision decision =
        Decide({r.event, list, r.chosen, r.before, r.why, r.onNetwork, r.remember, r.remembered, r.ruled, r.settled});
    EXPECT_EQ(decision, r.expected) << "row " << &r - rows << ": " << decision.Entry << " " << static_cast<int>(decision.Why)
                                    << " " << decision.RememberIt << " " << decision.Forget << " " << decision.Again;
  }
}

}  // namespace zv::test
