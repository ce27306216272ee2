// Program entry: start-up hooks in unit order, the application, the main window, the loop.
#include <windows.h>

#include "app/printers/SpoolerApi.h"
#include "framework/Application.h"
#include "framework/Lifecycle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  zv::InitPrinterUnit();
  zv::Application = new zv::TApplication();
  ShowWindow(zv::Application->Handle(), SW_HIDE);
  zv::Application->ProcessMessages();
  zv::Application->SetTitle("Zorvane");
  zv::Halt(0);
}
