// Test executables run with an application object, as the program does.
#include <gtest/gtest.h>

#include "printers/SpoolerApi.h"
#include "framework/Application.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  zv::InitPrinterUnit();
  zv::Application = new zv::TApplication();
  zv::Application->SetTitle("Zorvane");
  int result = RUN_ALL_TESTS();
  delete zv::Application;
  return result;
}
