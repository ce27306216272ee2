#pragma once
// One printer entry of the menu: the printer it stands for, as the catalogue listed it.
#include <string>

#include "printers/Printer.h"

namespace zv {

struct TMenuEntry {
  std::string Caption;
  TPrinterDevice Printer;
  bool Checked;        // the default printer's
  bool Whole;  // false: the system gave its name with "?" for characters, and it is never written
};

}  // namespace zv
