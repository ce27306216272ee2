#!/usr/bin/env bash
# Only one copy runs: a second one ends at once with exit code 0, renaming only its own window;
# of several started at the same moment exactly one keeps running.
source "$(dirname "$0")/lib.sh"

cups_queues Office
WINE reg add "$SETTINGS_KEY" /v "Show Splash Screen" /t REG_DWORD /d 0 /f >/dev/null
start_zorvane
first=$ZV_PID
started=$(date +%s)
set +e
timeout 30 "$ROOT/scripts/wine-run" "$TARGET" "$EXE" </dev/null >/dev/null 2>&1
status=$?
set -e
echo "second copy: exit code $status after $(($(date +%s) - started)) s"
check "a second copy ends with exit code 0" test "$status" = 0
check "the first keeps running" kill -0 "$first"
check "with its icon" test -n "$(tray_window)"
check "no window of the first copy was renamed" test -z "$(xdotool search --name '^something else$' 2>/dev/null)"
check "the first copy's window keeps its title" test -n "$(xdotool search --name '^Zorvane$' 2>/dev/null)"
check "Exit" exit_zorvane

# A folder so deep that the program's path is longer than 260 characters guards all the same.
deep="$BUILD/deep"
for i in 1 2 3 4 5 6; do deep="$deep/$(printf 'folder%.0s' 1 2 3 4 5 6 7 8 9 10)$i"; done
mkdir -p "$deep"
cp "$EXE" "$deep/ZORVANE.EXE"
ZV_EXE="$deep/ZORVANE.EXE" start_zorvane
set +e
timeout 30 "$ROOT/scripts/wine-run" "$TARGET" "$deep/ZORVANE.EXE" </dev/null >/dev/null 2>&1
status=$?
set -e
check "a second copy from a path of $((${#deep} + 14)) characters ends with exit code 0" \
  test "$status" = 0
check "the first keeps running" kill -0 "$ZV_PID"
check "Exit" exit_zorvane

# Several copies at the same moment.
pids=()
for i in 1 2 3 4 5 6 7 8 9 10; do
  "$ROOT/scripts/wine-run" "$TARGET" "$EXE" </dev/null >>"$ARTIFACTS/zorvane-test_instance.log" 2>&1 &
  pids+=($!)
done
sleep 10
running=0
codes=
for pid in "${pids[@]}"; do
  if kill -0 "$pid" 2>/dev/null; then
    running=$((running + 1))
    ZV_PID=$pid
  else
    set +e
    wait "$pid"
    codes="$codes $?"
    set -e
  fi
done
echo "running: $running; the others ended with:$codes"
check "of ten copies started at once exactly one keeps running" test "$running" = 1
check "the others ended with exit code 0" test -z "$(tr -d ' 0' <<<"$codes")"
check "Exit" exit_zorvane
echo "1 passed, 0 failed"
