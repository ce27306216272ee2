#!/usr/bin/env bash
# A person's use on Windows 10 (which manages the default printer while the user leaves it on), in two starts.
source "$(dirname "$0")/lib.sh"
as_windows win10
WINE reg add "$WINDOWS_KEY" /v LegacyDefaultPrinterMode /t REG_DWORD /d 0 /f >/dev/null

bench_queues beta_ink Alpha Laser_Office
# With no StartUp shortcut and no settings, the next start is a first run.
startup=$(reg_query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' StartUp)
LINK_UNIX=$(WINE winepath -u "$startup\\Sets Windows 95 Default Printer.LNK") && rm -f "$LINK_UNIX"
WINE reg delete "$SETTINGS" /f >/dev/null 2>&1 || true

# start: starts a copy and waits for its icon; BEFORE_ICON tells the windows of ours seen before it.
start() { BEFORE_ICON=; launch_zorvane; wait_for "$ICON_WAIT" "the icon after a start" icon_after_windows; }
icon_after_windows() { tray_shown || { windows_shown && BEFORE_ICON=$SEEN; false; }; }
# about_fits PICTURE: the About window just opened (SHOWN) shows nothing but its face just inside its
# right and bottom edges: no text runs into them. ABOUT_WIDTH: its width.
about_fits() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "${SHOWN%% *}")"
  ABOUT_WIDTH=$WIDTH SEEN="a text at the edges of the ${WIDTH}x$HEIGHT window"
  plain "$SHOTS/$1.png" "4x$((HEIGHT - 6))+$((X + WIDTH - 7))+$((Y + 3))" &&
    plain "$SHOTS/$1.png" "$((WIDTH - 6))x4+$((X + 3))+$((Y + HEIGHT - 7))"
}
plain() { [ "$(convert "$1" -crop "$2" +repage -format %k info:)" = 1 ]; }  # plain PICTURE AREA: one colour
balloon_shown() {  # Wine's tray shows it in a window of its own with no name, about 2 s after the call
  local w
  for w in $(xsearch --onlyvisible --class explorer.exe); do [ -n "$(xdotool getwindowname "$w")" ] || return 0; done
  SEEN="no balloon"; return 1
}

empty_tray
# The splash's own time, as Windows sees it (a lower bound: it is seen at most a poll late).
WINE "$BUILD/tests/splash_time.exe" TZorvaneWindow >"$ARTIFACTS/splash-time.txt" &
ZV_PIDS+=($!) TIMER=$!
start
wait "$TIMER" || true
took=$(cat "$ARTIFACTS/splash-time.txt")
check "the first start showed the splash for about three seconds (${took:-no} s)" test "$(bc <<<"${took:-0} >= 2.5")" = 1
check "and made the StartUp shortcut to the program" grep -aqiF "$(WINE winepath -w "$EXE")" "$LINK_UNIX"

WINE "$BUILD/tests/set_default.exe" "Alpha,winspool,CUPS:Alpha"
check "a change elsewhere was written back in our form" wait_until 15 profile_is "Alpha,,"
check "leaving Windows to manage the default" reg_is "$WINDOWS_KEY" LegacyDefaultPrinterMode 0x0
click_icon --repeat 2 --delay 100 1
window_opens "a double-click opened the printer setup dialog" printer-setup-dialog
xdotool key Escape  # the next click waits for it to close
menu tray-menu Down Down Down Return  # About, whose fonts Wine loads at their first use (seconds)
window_opens "About shows its window" about
check "with every text inside its edges" about_fits about
width_100=$ABOUT_WIDTH
check "with the icon gone" wait_until 10 no tray_shown
xdotool key Escape
check "Escape closed it and the icon came back" wait_until 10 tray_shown
menu - Down Down Down Down Down Down Return  # Printer Settings, run once the menu has closed
window_opens "Printer Settings opened the printer setup dialog" printer-setup-from-menu
DIALOG=${SHOWN%% *}
WINE "$BUILD/tests/set_default.exe" "beta_ink,winspool,CUPS:beta_ink"
check "a change elsewhere is followed while the dialog is up" wait_until 15 profile_is "beta_ink,,"
eval "$(xdotool getwindowgeometry --shell "$TRAY")" && xdotool mousemove $((X + 10)) $((Y + 10)) click 3
check "and a right-click on the icon shows the menu" wait_until 10 windows_shown "$DIALOG"
xdotool key Escape  # the menu
check "which closes" wait_until 10 no windows_shown "$DIALOG"
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"  # a click on it takes the keyboard back from the menu's window
xdotool mousemove $((X + 4)) $((Y + 4)) click 1 && xdotool windowfocus --sync "$DIALOG" 2>/dev/null || true
xdotool key Escape  # the dialog
check "Exit ends the program and its icon leaves the tray" exit_zorvane

# Names as CUPS allows them: a comma, other scripts. Office,2F is CUPS's default, and Wine's.
bench_queues Office,2F Office Büro 事務所 $(printf 'Printer_%03d ' {1..100})
set_option "Show Splash Screen" 0
# At 150%, which Wine reads (LogPixels) when a program starts; the bench's scale is put back after.
DESKTOP='HKCU\Control Panel\Desktop'
scale_before=$(reg_query "$DESKTOP" LogPixels) || scale_before=  # a fresh prefix has no value: Wine's 96
trap 'on_exit; if [ -n "$scale_before" ]; then WINE reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d "$scale_before" /f
  else WINE reg delete "$DESKTOP" /v LogPixels /f; fi >/dev/null 2>&1 || true' EXIT
WINE reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
start
check "the next start is no first run: the splash kept off, nothing shows before the icon" same "$BEFORE_ICON" ""
menu tray-menu-150 Down Down Down Return
window_opens "About at 150% shows its window" about-150
check "with every text inside its edges" about_fits about-150
check "grown with the scale ($width_100 px at 100%)" test $((ABOUT_WIDTH * 10)) -ge $((width_100 * 14))
xdotool key Escape
check "Escape closed it" wait_until 10 tray_shown
menu tray-menu-names Down Down Down Down Down Down Down Return  # the first printer entry: 事務所
check "a printer named in another script is chosen by its name" wait_until 15 profile_is "事務所,,"
check "and CUPS has it by that name" wait_until 10 cups_default_is 事務所
check "the choice stopped Windows managing the default" wait_until 10 reg_is "$WINDOWS_KEY" LegacyDefaultPrinterMode 0x1
check "and said so in the icon's balloon" wait_until 10 balloon_shown
menu tray-menu-100-printers Up Return  # the last entry: Printer_100
check "switching in a menu with 100 printers works" wait_until 15 profile_is "Printer_100,,"

menu - Down Down Return
window_opens "UnInstall asks first" uninstall-question
xdotool key y  # Yes
check "UnInstall ended the program" wait_until 15 ended "$ZV_PID"
