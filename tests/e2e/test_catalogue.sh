#!/usr/bin/env bash
# The real spooler's listing of the private CUPS's queues, on both executables (its records' layouts differ);
# and the bench kept from other local users.
BOTH_TARGETS=1
source "$(dirname "$0")/lib.sh"

as_nobody() { runuser -u nobody -- "$@" </dev/null &>/dev/null; }
queue_added() { "$@" &>/dev/null; SEEN=$(lpstat -v 2>&1 | grep Intruder); [ -n "$SEEN" ]; }
check "another user cannot add a queue to the bench's CUPS" \
  no queue_added as_nobody lpadmin -h "$CUPS_SERVER" -p Intruder -E -v file:///dev/null
check "nor open the bench's display" no as_nobody xdpyinfo -display "$DISPLAY"
check "the bench itself can give a queue no file but /dev/null" \
  no queue_added /usr/sbin/lpadmin -p Intruder -v "file://$BENCH_DIR/intruder"

bench_queues Mid Alpha zeta
export ZORVANE_CUPS_QUEUES="Alpha,Mid,zeta" ZORVANE_CUPS_DEFAULT=Mid
# Windows 95 is the same program under another name, which the prefix runs as win95.
cp "$BUILD/tests/printer_tests.exe" "$BUILD/tests/CATALOGUE95.EXE"
WINE reg add 'HKCU\Software\Wine\AppDefaults\CATALOGUE95.EXE' /v Version /d win95 /f >/dev/null
for run in "printer_tests.exe 2 NT" "CATALOGUE95.EXE 1 95"; do
  read -r program platform name <<<"$run"
  WINE "$BUILD/tests/$program" --gtest_filter='RealCatalogue.*' | tee "$ARTIFACTS/catalogue-${name,,}.txt"
  check "as Windows $name it lists the 3 queues, default Mid" \
    grep -q "platform $platform: 3 printers, default Mid" "$ARTIFACTS/catalogue-${name,,}.txt"
done
