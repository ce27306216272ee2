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

# Printers change behind the program's back, with no announcement: the default Alpha goes, a
# new printer comes first. The menu still shows Alpha, beta_ink, Laser_Office.
WINE reg delete "$WINE_PRINTERS\\Alpha" /f >/dev/null
WINE reg copy "$WINE_PRINTERS\\Laser_Office" "$WINE_PRINTERS\\Aaa_new" /s /f >/dev/null
WINE reg add "$WINE_PRINTERS\\Aaa_new" /v Name /d Aaa_new /f >/dev/null
trap 'WINE reg delete "$WINE_PRINTERS\\Aaa_new" /f >/dev/null 2>&1; stop_zorvane' EXIT
right_click_icon
xdotool key Up Return  # Laser_Office, the last entry
sleep 1
check "a click sets the printer it shows, though the list moved and the old default is gone" \
  test "$(profile_device)" = "Laser_Office,,"
check "without an error" test -z "$(visible_windows)"

WINE reg delete "$WINE_PRINTERS\\beta_ink" /f >/dev/null
right_click_icon
xdotool key Up Up Return  # beta_ink, gone since
wait_until 50 windows_shown || true
screenshot printer-gone
check "choosing a printer that is gone says so" test -n "$(visible_windows)"
check "and writes nothing" test "$(profile_device)" = "Laser_Office,,"
focus_ours
xdotool key Return
wait_until 50 windows_gone || fail "the message does not close"
right_click_icon
screenshot tray-menu-current-again
xdotool key Up Up Return  # the menu is current again: Aaa_new, Laser_Office
sleep 1
check "the menu shows the printers as they are now" test "$(profile_device)" = "Aaa_new,,"
check "Exit ends the program and its icon leaves the tray" exit_zorvane
echo "1 passed, 0 failed"
