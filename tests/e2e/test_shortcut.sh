#!/usr/bin/env bash
# Starting with Windows: the first start places a shortcut to the program in the StartUp folder;
# a later start is no first run; a shortcut deleted by hand makes the next start a first run.
source "$(dirname "$0")/lib.sh"

cups_queues Alpha
link=$(startup_link_unix)
rm -f "$link"
WINE reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true

start_zorvane
check "the first start created the shortcut" test -f "$link"
target=$(WINE "$BUILD/tests/read_link.exe" "$(startup_folder_windows)\\$LINK_NAME" | tr -d '\r')
expected=$(WINE winepath -w "$EXE" | tr -d '\r')
echo "shortcut target: $target"
check "it points at the program" test "${target,,}" = "${expected,,}"
check "the settings were created" test "$(reg_query "$SETTINGS_KEY" Version)" = "1.0b"
check "Exit" exit_zorvane

WINE reg add "$SETTINGS_KEY" /v "Show Port Information" /t REG_DWORD /d 0xffffffff /f >/dev/null
start_zorvane
check "the next start is no first run: the settings were kept" \
  test "$(reg_query "$SETTINGS_KEY" "Show Port Information")" = "0xffffffff"
check "Exit" exit_zorvane

rm -f "$link"
start_zorvane
check "a shortcut deleted by hand makes a first run: the settings were reset" \
  test "$(reg_query "$SETTINGS_KEY" "Show Port Information")" = "0x0"
check "and the shortcut is back" test -f "$link"
check "Exit" exit_zorvane
echo "1 passed, 0 failed"
