#!/usr/bin/env bash
# On Linux a chosen default lasts: CUPS gets it too, so the next Windows program keeps it.
source "$(dirname "$0")/lib.sh"

cups_queues Alpha Beta
WINE reg add "$SETTINGS_KEY" /v "Show Splash Screen" /t REG_DWORD /d 0 /f >/dev/null
start_zorvane
check "CUPS's default to begin with" grep -q "destination: Alpha" <<<"$(lpstat -d)"
right_click_icon
xdotool key Up Return  # the last printer: Beta
sleep 2.5
echo "$(lpstat -d)"
check "choosing Beta made it CUPS's default" grep -q "destination: Beta" <<<"$(lpstat -d)"
check "Exit" exit_zorvane
# Another Windows program that loads the spooler: Wine copies CUPS's default into the profile.
WINE "$BUILD/tests/printer_tests.exe" --gtest_filter=NoTest.None >/dev/null 2>&1
echo "profile after another program: $(profile_device)"
check "the profile still names Beta" test "$(profile_device | cut -d, -f1)" = Beta
echo "1 passed, 0 failed"
