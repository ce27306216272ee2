#!/usr/bin/env bash
# Bounded stress: a burst of 1,000 profile-change announcements from another program, and 300
# printers in the menu.
source "$(dirname "$0")/lib.sh"

# CUPS's default is the one the burst announces: each start of lpoptions costs Wine itself two
# descriptors, which would hide a leak of ours.
cups_queues Beta Alpha Gamma
WINE reg add "$SETTINGS_KEY" /v "Show Splash Screen" /t REG_DWORD /d 0 /f >/dev/null
start_zorvane
sleep 1
linux_figures() { echo "$(awk '/^RssAnon/ {print $2}' /proc/$ZV_PID/status) $(ls /proc/$ZV_PID/fd | wc -l)"; }
read -r anon0 fds0 <<<"$(linux_figures)"
started=$(date +%s)
out=$(timeout 300 "$ROOT/scripts/wine-run" "$TARGET" "$BUILD/tests/broadcast_burst.exe" "Beta,winspool,CUPS:Beta" 1000 | tr -d '\r')
echo "$out after $(($(date +%s) - started)) s"
check "it answers within a second after the burst" grep -q "answered=1" <<<"$out"
check "the default from elsewhere is written back" test "$(profile_device)" = "Beta,,"
read -r anon1 fds1 <<<"$(linux_figures)"
echo "private memory $anon0 -> $anon1 KB, descriptors $fds0 -> $fds1"
check "no descriptor is left over" test "$fds1" -le "$fds0"
check "private memory is back where it was (within 1 MB)" test "$anon1" -le $((anon0 + 1024))
right_click_icon
screenshot stress-menu-after-burst
xdotool key Escape
check "Exit" exit_zorvane

# 300 printers.
queues=()
for i in $(seq -w 1 300); do queues+=("Printer_$i"); done
cups_queues "${queues[@]}"
start_zorvane
right_click_icon
screenshot stress-300-printers
check "the menu with 300 printers opens" test -n "$(visible_windows)"
xdotool key Up Return  # the last entry: Printer_300
sleep 2
check "and switching works" test "$(profile_device)" = "Printer_300,,"
check "Exit" exit_zorvane
echo "1 passed, 0 failed"
