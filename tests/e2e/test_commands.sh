#!/usr/bin/env bash
# The windows and commands as a person meets them: the splash at the first start (and not when
# switched off), the printer setup dialog on a double-click, About, and UnInstall.
source "$(dirname "$0")/lib.sh"

cups_queues Office Backup
link=$(startup_link_unix)
rm -f "$link"
WINE reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true

# The first start shows the splash for about three seconds before the icon.
started=$(date +%s.%N)
launch_zorvane
splash=
for i in $(seq 1 100); do
  [ -n "$(tray_window)" ] && break
  if [ -z "$splash" ] && [ -n "$(visible_windows)" ]; then splash=$(visible_windows); screenshot splash; fi
  sleep 0.1
done
wait_for_tray || fail "no icon"
took=$(echo "$(date +%s.%N) - $started" | bc)
echo "splash: $splash; icon after $took s"
check "the first start showed the splash" test -n "$splash"
check "for about three seconds before the icon" test "$(echo "$took >= 3" | bc)" = 1
check "Exit" exit_zorvane

WINE reg add "$SETTINGS_KEY" /v "Show Splash Screen" /t REG_DWORD /d 0 /f >/dev/null
started=$(date +%s.%N)
launch_zorvane
seen=
for i in $(seq 1 100); do
  [ -n "$(tray_window)" ] && break
  [ -n "$(visible_windows)" ] && seen=yes
  sleep 0.1
done
took=$(echo "$(date +%s.%N) - $started" | bc)
echo "icon after $took s without the splash"
check "with the splash off nothing shows before the icon" test -z "$seen"

# Double-click: the system's printer setup dialog for the default printer; Escape cancels it.
w=$(tray_window)
eval "$(xdotool getwindowgeometry --shell "$w")"
xdotool mousemove $((X + 10)) $((Y + 10)) click --repeat 2 --delay 100 1
for i in $(seq 1 50); do [ -n "$(visible_windows)" ] && break; sleep 0.1; done
sleep 0.5
screenshot printer-setup-dialog
dialog=$(visible_windows)
echo "dialog: $dialog"
check "a double-click opened the printer setup dialog" test -n "$dialog"
focus_ours
xdotool key Escape
for i in $(seq 1 50); do [ -z "$(visible_windows)" ] && break; sleep 0.1; done
check "Escape cancelled it" test -z "$(visible_windows)"
sleep 1

# About: the icon is away while the window is up; Escape closes it and the icon is back.
right_click_icon
xdotool key Down Down Down Return
# Wine loads the window's fonts at their first use in a process: that can take a few seconds.
for i in $(seq 1 100); do [ -n "$(visible_windows)" ] && break; sleep 0.1; done
sleep 0.5
screenshot about
check "About shows its window" test -n "$(visible_windows)"
check "with the icon gone" wait_no_tray
focus_ours
xdotool key Escape
check "Escape closed it and the icon came back" wait_for_tray

# UnInstall, answered Yes: no shortcut, no settings, no program.
right_click_icon
xdotool key Down Down Return
sleep 1
for i in $(seq 1 50); do [ -n "$(visible_windows)" ] && break; sleep 0.1; done
screenshot uninstall-question
focus_ours
xdotool key y
for i in $(seq 1 50); do kill -0 "$ZV_PID" 2>/dev/null || break; sleep 0.2; done
check "UnInstall ended the program" bash -c "! kill -0 $ZV_PID 2>/dev/null"
ZV_PID=
check "and removed the shortcut" test ! -e "$link"
check "and the settings" bash -c "! '$ROOT/scripts/wine-run' $TARGET reg query '$SETTINGS_KEY' >/dev/null 2>&1"
echo "1 passed, 0 failed"
