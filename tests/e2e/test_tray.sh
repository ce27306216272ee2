#!/usr/bin/env bash
# A person's use of the tray program: icon only, menu with the printers sorted and the default
# checked, switching with the keyboard, following a change made by another program, Exit.
source "$(dirname "$0")/lib.sh"

cups_queues beta_ink Alpha Laser_Office
start_zorvane
sleep 1
check "no window of ours can be seen besides the icon" test -z "$(visible_windows)"
check "start-up re-applied the default" test "$(profile_device)" = "beta_ink,,"

right_click_icon
screenshot tray-menu
check "the menu is up" test -n "$(visible_windows)"
xdotool key Up Return  # the last entry: Laser_Office
sleep 1
check "choosing Laser_Office made it the default" test "$(profile_device)" = "Laser_Office,,"

out=$(WINE "$BUILD/tests/set_default.exe" "Alpha,winspool,CUPS:Alpha")
echo "$out"
check "a change elsewhere was written back in our form" test "$(profile_device)" = "Alpha,,"
check "and announced exactly once" grep -q "echoes=1" <<<"$out"

right_click_icon
screenshot tray-menu-after-change
xdotool key Escape
check "Exit ends the program and its icon leaves the tray" exit_zorvane
echo "1 passed, 0 failed"
