#!/usr/bin/env bash
# A person's use: the first start (splash, StartUp shortcut, the icon only), a change made
# elsewhere, the printer setup dialog, About, Exit; a later start with options set and 100
# printers (more than a screen holds), switching from the menu, UnInstall. On Windows 10, where
# Windows manages the default printer and the user has left it on.
source "$(dirname "$0")/lib.sh"
as_windows win10
WINE reg add "$WINDOWS_KEY" /v LegacyDefaultPrinterMode /t REG_DWORD /d 0 /f >/dev/null

bench_queues beta_ink Alpha Laser_Office
# With no StartUp shortcut and no settings, the next start is a first run.
startup=$(reg_query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' StartUp)
LINK_UNIX=$(WINE winepath -u "$startup\\Sets Windows 95 Default Printer.LNK") && rm -f "$LINK_UNIX"
WINE reg delete "$SETTINGS" /f >/dev/null 2>&1 || true

# start PICTURE: starts a copy and waits for its icon; BEFORE_ICON is a window seen first, at SHOWN_AT.
start() { BEFORE_ICON=; launch_zorvane; await 30 "the icon after a start ($1)" icon_after_windows "$1"; }
icon_after_windows() {
  tray_shown && return 0
  [ -z "$BEFORE_ICON" ] && windows_shown && BEFORE_ICON=$SEEN && screenshot "$1"
  SEEN="no icon yet; before it: ${BEFORE_ICON:-nothing}"; return 1
}

# Wine's tray shows a balloon in a window of its own, with no name, about two seconds after the call.
balloon_shown() {
  local w
  for w in $(xsearch --onlyvisible --class explorer.exe); do [ -n "$(xdotool getwindowname "$w")" ] || return 0; done
  SEEN="no balloon"; return 1
}

empty_tray
# The splash's own time, as Windows sees it: the shortcut made after it must not count.
WINE "$BUILD/tests/splash_time.exe" TZorvaneWindow >"$ARTIFACTS/splash-time.txt" &
ZV_PIDS+=($!) TIMER=$!
start splash
wait "$TIMER" || true
took=$(cat "$ARTIFACTS/splash-time.txt")
echo "before the icon: ${BEFORE_ICON:-nothing}; the splash stayed ${took:-?} s"
check "the first start showed the splash" test -n "$BEFORE_ICON"
# A lower bound only: the splash was seen at most a poll after it came up.
check "for about three seconds" test "$(bc <<<"${took:-0} >= 2.5")" = 1
check "the first start created the shortcut" test -f "$LINK_UNIX"
check "it points at the program" grep -aqiF "$(WINE winepath -w "$EXE")" "$LINK_UNIX"
check "no window of ours stays besides the icon" wait_until 10 no windows_shown
check "start-up re-applied the default" wait_until 15 profile_is "beta_ink,,"

WINE "$BUILD/tests/set_default.exe" "Alpha,winspool,CUPS:Alpha"
check "a change elsewhere was written back in our form" wait_until 15 profile_is "Alpha,,"
check "neither it nor the start stopped Windows managing the default" legacy_mode_is 0x0

click_icon --repeat 2 --delay 100 1
window_opens "a double-click opened the printer setup dialog" printer-setup-dialog
xdotool key Escape
check "Escape cancelled it" wait_until 10 no windows_shown

# About, whose fonts Wine loads at their first use (seconds); the icon is away while it is up.
menu tray-menu Down Down Down Return
window_opens "About shows its window" about
check "with the icon gone" wait_until 10 no tray_shown
xdotool key Escape
check "Escape closed it and the icon came back" wait_until 10 tray_shown

check "Exit ends the program and its icon leaves the tray" exit_zorvane

# Names as CUPS allows them: a comma, other scripts. Office,2F is CUPS's default, and Wine's.
bench_queues Office,2F Office Büro 事務所 $(printf 'Printer_%03d ' {1..100})
set_option "Show Port Information" 0xffffffff
set_option "Show Splash Screen" 0
start before-icon
check "the next start is no first run: the settings were kept" reg_is "$SETTINGS" "Show Port Information" 0xffffffff
check "with the splash off nothing shows before the icon" test -z "$BEFORE_ICON"
check "the start kept the printer with a comma in its name the default" wait_until 15 profile_is "Office,2F,,"
menu tray-menu-names Down Down Down Down Down Down Down Return  # the first printer entry: 事務所
check "a printer named in another script is chosen by its name" wait_until 15 profile_is "事務所,,"
check "and CUPS has it by that name" wait_until 10 cups_default_is 事務所
check "the choice stopped Windows managing the default" wait_until 10 legacy_mode_is 0x1
check "and said so in the icon's balloon" wait_until 10 balloon_shown
screenshot balloon
menu tray-menu-100-printers Up Return  # the last entry: Printer_100
check "switching in a menu with 100 printers works" wait_until 15 profile_is "Printer_100,,"

menu - Down Down Return
window_opens "UnInstall asks first" uninstall-question
xdotool key y  # Yes
check "UnInstall ended the program" wait_until 15 ended "$ZV_PID"
check "and Windows manages the default again" legacy_mode_is 0x0
