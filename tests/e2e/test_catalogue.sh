#!/usr/bin/env bash
# The catalogue against the real spooler: Wine lists the private CUPS's queues. The records the
# spooler hands over differ in layout between the two executables: both are checked.
BOTH_TARGETS=1
source "$(dirname "$0")/lib.sh"

bench_queues Mid Alpha zeta
export ZORVANE_CUPS_QUEUES="Alpha,Mid,zeta" ZORVANE_CUPS_DEFAULT=Mid
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES"

# Windows NT, as Wine reports itself by default.
WINE "$BUILD/tests/printer_tests.exe" --gtest_filter='RealCatalogue.*' | tee "$ARTIFACTS/catalogue-nt.txt"
grep -q "platform 2: 3 printers, default Mid" "$ARTIFACTS/catalogue-nt.txt" || fail "NT path"

# Windows 95: the same program under another name that the prefix runs as win95.
cp "$BUILD/tests/printer_tests.exe" "$BUILD/tests/CATALOGUE95.EXE"
WINE reg add 'HKCU\Software\Wine\AppDefaults\CATALOGUE95.EXE' /v Version /d win95 /f >/dev/null
WINE "$BUILD/tests/CATALOGUE95.EXE" --gtest_filter='RealCatalogue.*' | tee "$ARTIFACTS/catalogue-95.txt"
grep -q "platform 1: 3 printers, default Mid" "$ARTIFACTS/catalogue-95.txt" || fail "Windows 95 path"
echo "1 passed, 0 failed"
