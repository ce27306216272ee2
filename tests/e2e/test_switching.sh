#!/usr/bin/env bash
# Switching under Wine with the real lpoptions and CUPS, in one start of the program, its prefix and
# home reached through a folder whose name is not ASCII, an lpoptions on its PATH that the test can
# make slow: 50 switches while Windows programs start (which copy no CUPS default while the program
# holds the spooler, only once it has ended); a choice after CUPS changed from Linux; queue names
# with a comma and shell syntax; an announcement while the menu is open; steps that hang; Exit.
# On Windows XP, which does not manage the default printer: its switch is not written.
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
ACCENTED=$SCRATCH/josé
mkdir "$ACCENTED" "$SCRATCH/bin" && ln -s "$ROOT/build" "$ACCENTED/build"
cat >"$SCRATCH/bin/lpoptions" <<SH
#!/bin/sh
# The real lpoptions. Mode "before": half a second passes first; "hang": it hangs after its work.
mode=\$(cat "$SCRATCH/mode" 2>/dev/null)
[ "\$mode" != before ] || sleep 0.5
"$(command -v lpoptions)" "\$@" || exit
[ "\$mode" != hang ] || sleep 30
SH
chmod +x "$SCRATCH/bin/lpoptions"
slow() { echo "$1" >"$SCRATCH/mode"; }
steps() { SEEN="$(pgrep -fc "$SCRATCH/bin/lpoptions") steps running"; [ "${SEEN%% *}" -gt 0 ]; }
within() { SEEN="after $(bc <<<"$EPOCHREALTIME - $left") s"; echo "  $SEEN"; (($(bc <<<"$EPOCHREALTIME - $left < $1"))); }
step_files() { SEEN=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -name 'zorvane-cups-*'); [ -n "$SEEN" ]; }

empty_tray
WINEPREFIX=$ACCENTED/build/bench/prefix HOME=$ACCENTED/build/bench/home PATH=$SCRATCH/bin:$PATH launch_zorvane
await 30 "the icon" tray_shown
await 15 "the start's default" profile_is "P_one,*"

# Windows programs that load the spooler, one after another, until the switching is over.
(trap exit TERM; while :; do other_spooler_program || true; done) &
STARTER=$! ZV_PIDS+=($!)
started=$SECONDS
for i in {1..50}; do
  last=${ENTRIES[(i + 1) % 3 + 1]}
  choose "$last"
done
echo "50 switches in $((SECONDS - started)) s; the last chose $last"
kill "$STARTER" && wait "$STARTER" || true

check "the profile names the last choice" wait_until 15 profile_is "$last,*"
check "CUPS's default is the last choice" wait_until 10 cups_default_is "$last"
check "the menu's check mark is on the last choice" checked_entry "$last"
lpoptions -d P_one >/dev/null  # from Linux, behind the program's back
other_spooler_program
check "a Windows program started while the program runs copies no CUPS default" profile_is "$last,*"
choose "$last"
check "choosing the checked printer makes it CUPS's default again" wait_until 10 cups_default_is "$last"

choose Office,2F
check "a queue with a comma in its name becomes CUPS's default whole" wait_until 10 cups_default_is Office,2F
slow before
choose 'Q$(id);`id`|<>'
await 10 "the step's file" step_files
left=$EPOCHREALTIME
await 10 "the step's file going" no step_files
check "the step's file went as the step ended (it waits half a second)" within 1.5
check "a queue whose name is shell syntax becomes CUPS's default whole" cups_default_is 'Q$(id);`id`|<>'
slow fast

# The printer picked in the open menu becomes the default, and the announcement is followed after it.
choose P_three ""
WINE "$BUILD/tests/set_default.exe" "P_two,winspool,CUPS:P_two"
xdotool key Return
check "the printer picked in the open menu is the default" wait_until 15 profile_is "P_three,*"
check "and CUPS's" wait_until 10 cups_default_is P_three

slow hang
choose P_one
check "a step that hangs after its work has changed CUPS" wait_until 10 cups_default_is P_one
choose P_three  # CUPS had it before the step that hung
most=0
for i in {1..60}; do steps && ((${SEEN%% *} > most)) && most=${SEEN%% *}; sleep 0.1; done
check "at most one step ran at a time" same "$most" 1
check "the hung steps were ended at their limit" wait_until 10 no steps
check "and the printer CUPS had before the hung step is its default again" cups_default_is P_three
# Another icon keeps Wine's tray window up: with no window manager to hide it, the last icon's
# removal takes 2 s. Ours is in the tray's first cell.
"$ROOT/scripts/wine-run" "$TARGET" "$BUILD/min_tray.exe" </dev/null &>/dev/null & ZV_PIDS+=($!)
cell() { import -window "$TRAY" -crop 20x20+0+0 +repage "$ARTIFACTS/tray-first-cell-$1.png"; }
ours_in_tray() { cell now; [ "$(compare -metric AE "$ARTIFACTS"/tray-first-cell-{ours,now}.png null: 2>&1)" = 0 ]; }
cell ours
choose P_two
await 5 "a step that hangs" steps
menu - Down
xdotool key Return
left=$EPOCHREALTIME
await 10 "the icon leaving after Exit" no ours_in_tray
check "Exit during a step took the icon away at once (the step may take 5 s)" within 1
await 10 "the end after Exit" ended "$ZV_PID"
check "and ended the program within a second" within 1
check "the step let go of ends at its limit" wait_until 10 no steps
check "no file of a step is left in the temporary folder" wait_until 5 no step_files
lpoptions -d P_one >/dev/null
other_spooler_program
check "now that the program has ended, the next Windows program copies CUPS's default" profile_is "P_one,*"
check "no switch of Windows 10 was written" legacy_mode_is ""
