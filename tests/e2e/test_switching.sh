#!/usr/bin/env bash
# Switching fast while Windows programs start: a program starting before CUPS has followed a choice
# copies CUPS's old default into the profile. After 50 switches from the menu, the check mark, the
# profile and CUPS all name the last printer chosen. Then an announcement while the menu is open.
# On Windows XP, which does not manage the default printer: its switch is not written.
source "$(dirname "$0")/lib.sh"
as_windows winxp
WINE reg delete "$WINDOWS_KEY" /v LegacyDefaultPrinterMode /f >/dev/null 2>&1 || true

bench_queues P_one P_three P_two  # the menu lists them in this order
empty_tray
launch_zorvane
await 30 "the icon" tray_shown
await 15 "the start's default" profile_is "P_one,*"

# Windows programs that load the spooler, one after another, until the switching is over (the last one ends first).
(trap exit TERM; while :; do other_spooler_program || true; done) &
STARTER=$! ZV_PIDS+=($!)

ENTRIES=(P_two P_three P_one)  # one, two and three Up keys from the bottom of the menu
started=$SECONDS
for i in {1..50}; do
  ups=$(((i + 1) % 3 + 1))
  menu - $(printf 'Up %.0s' $(seq $ups)) Return
  last=${ENTRIES[ups - 1]}
done
echo "50 switches in $((SECONDS - started)) s; the last chose $last"
kill "$STARTER" && wait "$STARTER" || true

check "the profile names the last choice" wait_until 15 profile_is "$last,*"
check "CUPS's default is the last choice" wait_until 10 cups_default_is "$last"
check "the menu's check mark is on the last choice" checked_entry "$last"
other_spooler_program
check "a Windows program started afterwards keeps it" profile_is "$last,*"

# Another program announces a change while the menu is open: the printer then picked in it becomes
# the default all the same, and the announcement is followed after the choice.
menu - Up Up
WINE "$BUILD/tests/set_default.exe" "P_two,winspool,CUPS:P_two"
xdotool key Return  # P_three, two from the bottom
check "the printer picked in the open menu is the default" wait_until 15 profile_is "P_three,*"
check "and CUPS's" wait_until 10 cups_default_is P_three
check "Exit ends the program" exit_zorvane
check "no switch of Windows 10 was written" legacy_mode_is ""
