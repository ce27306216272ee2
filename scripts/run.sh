#!/usr/bin/env bash
# ./zorvane run: Zorvane on your own display, in your own Wine prefix, with your own printers.
# Without a display there is nothing to show it on: the demonstration runs instead.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is unset); running the demonstration on the test bench instead" >&2
  exec "$ROOT/scripts/demo.sh"
fi
source "$ROOT/scripts/bench.sh"
target=x86_64
can_run_i686 && target=i686
echo "run: starting build/$target/ZORVANE.EXE in ${WINEPREFIX:-$HOME/.wine}; the icon is in the tray" >&2
WINEDEBUG=${WINEDEBUG:--all} exec "$ROOT/scripts/wine-run" --yours "$target" "$ROOT/build/$target/ZORVANE.EXE"
