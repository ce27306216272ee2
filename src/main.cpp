// Program entry: start-up hooks in unit order, the application, the main window, the loop.
#include <windows.h>

#include "app/main_window.h"
#include "product/Product.h"
#include "printers/SpoolerApi.h"
#include "components/Just1_32/Just1_32.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Lifecycle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace zv;
  // Start-up hooks, in unit order.
  InitPrinterUnit();
  InitJust1_32();

  Application = new TApplication();
  // The application's own window would carry the taskbar button: it is never shown.
  ShowWindow(Application->Handle(), SW_HIDE);
  Application->ProcessMessages();
  Application->SetTitle(kApplicationTitle);

  TMainForm* form = nullptr;
  try {
    form = new TMainForm(Application);
  } catch (...) {
    HandleCurrentException();
    Halt(1);
  }
  Application->SetMainForm(form);
  try {
    form->FormCreate();
  } catch (...) {
    // The program runs on with what was set up so far.
    HandleCurrentException();
  }
  Application->Run();
  // Destroying the application destroys the main window and its components: the icon leaves.
  delete Application;
  Halt(0);
}
