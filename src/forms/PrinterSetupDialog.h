#pragma once
// The system's printer setup dialog for the shared catalogue's current printer; a confirmed choice
// becomes the shared catalogue's current printer (nothing else is changed).
#include <windows.h>
#include <commdlg.h>

#include <cstdint>

#include "printers/Printer.h"
#include "framework/Component.h"

namespace zv {

#if defined(__i386__)
static_assert(sizeof(PRINTDLGA) == 66);
#endif

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
  std::int32_t HelpContext = 0;

  // Handles the dialogs' help request while a dialog runs; true when handled.
  virtual bool HelpHook(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the system's dialog task-modally: the thread's other windows are disabled meanwhile.
  virtual BOOL RunTaskModal(PRINTDLGA& record);
};

class TPrinterSetupDialog : public TCommonDialog {
 public:
  explicit TPrinterSetupDialog(TComponent* owner) : TCommonDialog(owner) {}
  // Shows the dialog for the catalogue's current printer; a confirmed choice becomes its current.
  void RunSetup(TPrinter& printer);
};

// The setup hook given to the dialog: places it when it opens.
UINT_PTR CALLBACK SetupDialogHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Centred across, a third of the way down; neither resized, restacked nor activated.
void PositionDialog(HWND window);

}  // namespace zv
