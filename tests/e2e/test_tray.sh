#!/usr/bin/env bash
# A person's use of the tray program from its first start: the splash, the StartUp shortcut, the
# icon only, the menu with the printers sorted and the default checked, switching (CUPS follows),
# a change made by another program, the printer setup dialog, About, printers changing behind its
# back, Exit. Then a later start with options set and more printers than a screen holds, and
# UnInstall; the chosen printer outlasts the program.
source "$(dirname "$0")/lib.sh"

bench_queues beta_ink Alpha Laser_Office
link=$(startup_link_unix)
rm -f "$link"
WINE reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true
at_exit() { WINE reg delete "$WINE_PRINTERS\\Aaa_new" /f >/dev/null 2>&1 || true; }

# Watches a start: BEFORE_ICON is the first window of ours seen before the icon (its picture
# under the given name), SHOWN_AT when it was seen.
icon_after_windows() {
  tray_shown && return 0
  if [ -z "$BEFORE_ICON" ] && windows_shown; then
    BEFORE_ICON=$SEEN SHOWN_AT=$(date +%s.%N)
    screenshot "$1"
  fi
  SEEN="no icon yet; before it: ${BEFORE_ICON:-nothing}"
  return 1
}

BEFORE_ICON=
empty_tray
launch_zorvane
await 30 "the icon after the first start" icon_after_windows splash
took=$(bc <<<"$(date +%s.%N) - ${SHOWN_AT:-0}")
echo "before the icon: ${BEFORE_ICON:-nothing}; the icon $took s after it"
check "the first start showed the splash" test -n "$BEFORE_ICON"
# A lower bound only: the splash was seen at most a poll after it came up.
check "for about three seconds before the icon" test "$(bc <<<"$took >= 2.5")" = 1
check "the first start created the shortcut" test -f "$link"
target=$(WINE "$BUILD/tests/read_link.exe" "$(startup_folder_windows)\\$LINK_NAME" | tr -d '\r')
expected=$(WINE winepath -w "$EXE" | tr -d '\r')
echo "shortcut target: $target"
check "it points at the program" test "${target,,}" = "${expected,,}"
check "the settings were created" test "$(reg_query "$SETTINGS_KEY" Version)" = "1.0b"
check "no window of ours stays besides the icon" wait_until 10 windows_gone
check "start-up re-applied the default" wait_for_profile "beta_ink,,"
check "CUPS's default to begin with" cups_default_is beta_ink

check "the menu is up" open_menu
screenshot tray-menu
xdotool key Up Return  # the last entry: Laser_Office
check "choosing Laser_Office made it the default" wait_for_profile "Laser_Office,,"
check "and made it CUPS's default" wait_until 10 cups_default_is Laser_Office

out=$(WINE "$BUILD/tests/set_default.exe" "Alpha,winspool,CUPS:Alpha" | tr -d '\r')
echo "$out"
check "a change elsewhere was written back in our form" wait_for_profile "Alpha,,"
check "and announced exactly once" grep -q "echoes=1" <<<"$out"
right_click_icon
screenshot tray-menu-after-change
xdotool key Escape

# Double-click: the system's printer setup dialog for the default printer; Escape cancels it.
click_icon --repeat 2 --delay 100 1
window_opens "a double-click opened the printer setup dialog" printer-setup-dialog
focus_ours
xdotool key Escape
check "Escape cancelled it" wait_until 10 windows_gone

# About: the icon is away while the window is up; Escape closes it and the icon is back.
right_click_icon
xdotool key Down Down Down Return
# Wine loads the window's fonts at their first use in a process: that can take a few seconds.
window_opens "About shows its window" about
check "with the icon gone" wait_until 10 tray_gone
focus_ours
xdotool key Escape
check "Escape closed it and the icon came back" wait_until 10 tray_shown

# Printers change behind the program's back, with no announcement: the default Alpha goes, a
# new printer comes first. The menu still shows Alpha, beta_ink, Laser_Office.
WINE reg delete "$WINE_PRINTERS\\Alpha" /f >/dev/null
WINE reg copy "$WINE_PRINTERS\\Laser_Office" "$WINE_PRINTERS\\Aaa_new" /s /f >/dev/null
WINE reg add "$WINE_PRINTERS\\Aaa_new" /v Name /d Aaa_new /f >/dev/null
right_click_icon
xdotool key Up Return  # Laser_Office, the last entry
check "a click sets the printer it shows, though the list moved and the old default is gone" \
  wait_for_profile "Laser_Office,,"
check "without an error" wait_until 10 windows_gone

WINE reg delete "$WINE_PRINTERS\\beta_ink" /f >/dev/null
right_click_icon
xdotool key Up Up Return  # beta_ink, gone since
window_opens "choosing a printer that is gone says so" printer-gone
check "and writes nothing" profile_is "Laser_Office,,"
focus_ours
xdotool key Return
await 10 "the message closing" windows_gone
right_click_icon
screenshot tray-menu-current-again
xdotool key Up Up Return  # the menu is current again: Aaa_new, Laser_Office
check "the menu shows the printers as they are now" wait_for_profile "Aaa_new,,"
check "Exit ends the program and its icon leaves the tray" exit_zorvane
at_exit

# A later start, with options set and 100 printers, more than a screen holds.
bench_queues $(printf 'Printer_%03d ' $(seq 100))
set_option "Show Port Information" 0xffffffff
set_option "Show Splash Screen" 0
BEFORE_ICON=
launch_zorvane
await 30 "the icon after a later start" icon_after_windows before-icon
check "the next start is no first run: the settings were kept" \
  test "$(reg_query "$SETTINGS_KEY" "Show Port Information")" = "0xffffffff"
check "with the splash off nothing shows before the icon" test -z "$BEFORE_ICON"
check "the menu with 100 printers opens" open_menu
screenshot tray-menu-100-printers
xdotool key Up Return  # the last entry: Printer_100
check "and switching works" wait_for_profile "Printer_100,,"
check "and CUPS's default follows" wait_until 10 cups_default_is Printer_100

# UnInstall, answered Yes: no shortcut, no settings, no program.
right_click_icon
xdotool key Down Down Return
await 15 "the UnInstall question" windows_shown "$MENU"
screenshot uninstall-question
focus_ours
xdotool key y
check "UnInstall ended the program" wait_until 15 ended "$ZV_PID"
ZV_PID=
check "and removed the shortcut" test ! -e "$link"
check "and the settings" eval '! WINE reg query "$SETTINGS_KEY" >/dev/null 2>&1'
# Wine copies CUPS's default into the profile for every program that loads the spooler.
other_spooler_program
check "another Windows program keeps the chosen printer" test "$(profile_device | cut -d, -f1)" = Printer_100
echo "1 passed, 0 failed"
