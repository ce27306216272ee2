#!/usr/bin/env bash
# Switching with the real lpoptions and CUPS, the prefix and home reached through a non-ASCII folder; on Windows XP.
source "$(dirname "$0")/lib.sh"
as_windows winxp
WINE reg delete "$WINDOWS_KEY" /v LegacyDefaultPrinterMode /f >/dev/null 2>&1 || true

bench_queues P_one P_three P_two Office,2F 'Q$(id);`id`|<>'
ENTRIES=('Q$(id);`id`|<>' P_two P_three P_one Office,2F)  # the menu from its last row up
choose() {  # choose PRINTER [KEY]: its entry in the menu, then the key (Return unless given)
  local i=0
  while [ "${ENTRIES[i]}" != "$1" ]; do ((++i)); done
  menu - $(printf 'Up %.0s' $(seq $((i + 1)))) ${2-Return}
}

SCRATCH=$(mktemp -d)
trap 'on_exit; rm -rf "$SCRATCH"' EXIT
mkdir "$SCRATCH/josé" "$SCRATCH/bin" && ln -s "$ROOT/build" "$SCRATCH/josé/build"
cat >"$SCRATCH/bin/lpoptions" <<SH
#!/bin/sh
"$(command -v lpoptions)" "\$@" || exit
[ ! -e "$SCRATCH/hang" ] || sleep 30
SH
chmod +x "$SCRATCH/bin/lpoptions"
steps() { SEEN="$(pgrep -fc "$SCRATCH/bin/lpoptions") steps running"; [ "${SEEN%% *}" -gt 0 ]; }
step_files() { SEEN=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -name 'zorvane-cups-*'); [ -n "$SEEN" ]; }
step_shells() {  # a step's shell, which runs in the prefix's temporary folder, still runs
  local pid prefix
  prefix=$(realpath "$WINEPREFIX") SEEN=
  for pid in $(pgrep -f 'zorvane-cups-'); do [[ $(readlink "/proc/$pid/cwd") != "$prefix"/* ]] || SEEN+=" $pid"; done
  [ -n "$SEEN" ] && SEEN="a step's shell runs:$SEEN"
}

empty_tray
WINEPREFIX=$SCRATCH/josé/build/bench/prefix HOME=$SCRATCH/josé/build/bench/home PATH=$SCRATCH/bin:$PATH launch_zorvane
wait_for "$ICON_WAIT" "the icon" tray_shown

(trap exit TERM; while :; do other_spooler_program || true; done) &  # until the switching is over
STARTER=$! ZV_PIDS+=($!)
for i in {1..50}; do
  last=${ENTRIES[(i + 1) % 3 + 1]}
  choose "$last"
done
kill "$STARTER" && wait "$STARTER" || true
check "after 50 switches the profile names the last choice" wait_until 15 profile_is "$last,*"
check "and CUPS's default is the last choice" wait_until 10 cups_default_is "$last"
lpoptions -d P_one >/dev/null  # from Linux, behind the program's back
other_spooler_program
check "a Windows program started while the program runs copies no CUPS default" profile_is "$last,*"

choose Office,2F
check "a queue with a comma in its name becomes CUPS's default whole" wait_until 10 cups_default_is Office,2F
choose 'Q$(id);`id`|<>'
check "a queue whose name is shell syntax becomes CUPS's default whole" wait_until 10 cups_default_is 'Q$(id);`id`|<>'

choose P_three ""  # picked in the open menu while another program announces P_two
WINE "$BUILD/tests/set_default.exe" "P_two,winspool,CUPS:P_two"
xdotool key Return
check "the printer picked in the open menu is the default" wait_until 15 profile_is "P_three,*"

touch "$SCRATCH/hang"  # lpoptions does its work, then hangs
choose P_one
check "a step that hangs after its work has changed CUPS" wait_until 10 cups_default_is P_one
choose P_three
check "once it is ended at its limit, the next choice is sent" wait_until 10 cups_default_is P_three
check "with no step of before beside it" same "$(pgrep -fc "$SCRATCH/bin/lpoptions")" 1
check "and its hung step is ended too" wait_until 10 no steps

# Another icon keeps Wine's tray window up: with no window manager, the last icon's removal takes 2 s.
"$ROOT/scripts/wine-run" "$TARGET" "$BUILD/min_tray.exe" </dev/null &>/dev/null & ZV_PIDS+=($!)
choose P_two
wait_for 15 "a step that hangs, and its file" step_files
menu - Down Return  # Exit
left=$EPOCHREALTIME
wait_for 10 "the end after Exit" ended "$ZV_PID"
took=$(bc <<<"$EPOCHREALTIME - $left")
check "Exit during a step ended the program within a second ($took s)" test "$(bc <<<"$took < 1")" = 1
wait_for 30 "the step's end, at its limit and its file's (about 5 s after its start)" no step_shells
check "no file of a step is left in the temporary folder" no step_files
lpoptions -d P_one >/dev/null
other_spooler_program
check "now that the program has ended, the next Windows program copies CUPS's default" profile_is "P_one,*"
check "no switch of Windows 10 was written" reg_is "$WINDOWS_KEY" LegacyDefaultPrinterMode ""
