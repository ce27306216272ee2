#pragma once
// The system's modal dialogs: the message box and the printer setup dialog. The common dialogs
// are loaded when first needed: a start never loads them.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/Seam.h"

namespace zv {

class IDialogCalls {
 public:
  virtual ~IDialogCalls() = default;
  // A message box; returns the button pressed.
  virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
  // PrintDlgA: nonzero when the user confirmed; zero when cancelled or when it could not run.
  virtual BOOL PrintDialog(PRINTDLGA& record) = 0;
};
template <>
IDialogCalls& TSeam<IDialogCalls>::Platform();
inline IDialogCalls& Dialogs() { return TSeam<IDialogCalls>::Calls(); }

}  // namespace zv
