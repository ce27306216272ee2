#!/usr/bin/env bash
# Only one copy runs: of several started at the same moment exactly one keeps running; a later
# one, also from a folder deeper than 260 characters, ends at once with exit code 0, renaming
# only its own window. The copy that runs finds its StartUp shortcut deleted by hand, so it starts
# afresh; then it stands a burst of 300 profile-change announcements from another program.
source "$(dirname "$0")/lib.sh"

# CUPS's default is the one the burst announces: each start of lpoptions costs Wine itself two
# descriptors, which would hide a leak of ours.
bench_queues Office
# Ten copies taking in a changed queue list at once would measure Wine, not us.
other_spooler_program
link=$(startup_link_unix)
rm -f "$link"
set_option "Show Port Information" 0xffffffff

empty_tray
for i in 1 2 3 4 5 6 7 8 9 10; do launch_zorvane; done
running() {
  RUNNING=()
  local pid
  for pid in "${ZV_PIDS[@]}"; do kill -0 "$pid" 2>/dev/null && RUNNING+=("$pid"); done
  SEEN="${#RUNNING[@]} of ten copies running"
  [ "${#RUNNING[@]}" -le 1 ]
}
one_keeps_running() { wait_until 30 running && [ "${#RUNNING[@]}" = 1 ]; }
check "of ten copies started at once exactly one keeps running" one_keeps_running
codes=
for pid in "${ZV_PIDS[@]}"; do
  [ "$pid" = "${RUNNING[0]}" ] && continue
  status=0
  wait "$pid" || status=$?
  codes="$codes $status"
done
ZV_PID=${RUNNING[0]}
echo "the others ended with:$codes"
check "the others ended with exit code 0" test -z "$(tr -d ' 0' <<<"$codes")"
await 30 "the icon of the copy that runs" tray_shown
check "a shortcut deleted by hand makes a first run: the settings were reset" \
  test "$(reg_query "$SETTINGS_KEY" "Show Port Information")" = "0x0"
check "and the shortcut is back" test -f "$link"

# second_copy [PROGRAM]: runs another copy to its end and prints its exit code.
second_copy() {
  local status=0
  timeout 30 "$ROOT/scripts/wine-run" "$TARGET" "${1:-$EXE}" </dev/null >/dev/null 2>&1 || status=$?
  echo "$status"
}
# Windows by title, to tell what a later copy renames.
titled() { { xdotool search --name "^$1\$" 2>/dev/null || true; } | sort | tr '\n' ' '; }
ours_before=$(titled Zorvane)
renamed_before=$(titled 'something else')
check "a second copy ends with exit code 0" test "$(second_copy)" = 0
check "the first keeps running" kill -0 "$ZV_PID"
check "with its icon" tray_shown
# A path longer than 260 characters must not cut the name the guard goes by.
deep="$BUILD/deep"
for i in 1 2 3 4 5 6; do deep="$deep/$(printf 'folder%.0s' 1 2 3 4 5 6 7 8 9 10)$i"; done
mkdir -p "$deep"
cp "$EXE" "$deep/ZORVANE.EXE"
check "a second copy from a path of $((${#deep} + 14)) characters ends with exit code 0" \
  test "$(second_copy "$deep/ZORVANE.EXE")" = 0
check "the first still runs" kill -0 "$ZV_PID"
check "no window of the first copy was renamed" test "$(titled 'something else')" = "$renamed_before"
check "the first copy's window keeps its title" test "${ours_before:-none}" = "$(titled Zorvane)"

linux_figures() { echo "$(awk '/^RssAnon/ {print $2}' "/proc/$ZV_PID/status") $(ls "/proc/$ZV_PID/fd" | wc -l)"; }
read -r anon0 fds0 <<<"$(linux_figures)"
# The burst's own answer has a deadline of a second; whether we answer is the menu's to show.
WINE "$BUILD/tests/broadcast_burst.exe" "Office,winspool,CUPS:Office" 300 | tr -d '\r' || true
check "the default from elsewhere is written back" wait_for_profile "Office,,"
read -r anon1 fds1 <<<"$(linux_figures)"
echo "private memory $anon0 -> $anon1 KB, descriptors $fds0 -> $fds1"
check "no descriptor is left over" test "$fds1" -le "$fds0"
check "private memory is back where it was (within 1 MB)" test "$anon1" -le $((anon0 + 1024))
check "it answers after the burst: its menu opens" open_menu
screenshot stress-menu-after-burst
xdotool key Escape
check "Exit" exit_zorvane
echo "1 passed, 0 failed"
