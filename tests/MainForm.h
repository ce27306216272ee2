#pragma once
// The main window with everything a test reaches through it: its core, menu, icon and registry.
#include "app/PrinterCore.h"
#include "app/main_window.h"
#include "components/RegFiles/RegFiles.h"
#include "components/TrayIcon/TrayIcon.h"
#include "framework/Menus.h"
#include "printers/Printer.h"
