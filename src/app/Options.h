#pragma once
// The options the user sets in the menu; an organisation's policy may force them.

namespace zv {

// What they are at a first start is in kOptionRows (PrinterCore.h).
struct TOptions {
  bool ShowPortInfo = false;
  bool ShowSplash = false;
  bool RememberPerNetwork = false;
};

}  // namespace zv
