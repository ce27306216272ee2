#!/usr/bin/env bash
# The demonstration on the private test bench: sample printers, the tray menu opened as a person
# would, a switch of the default through the menu, its options. Screenshots go to build/demo/. With
# --update-docs the picture of the menu with its options also replaces docs/menu.png, which the
# README shows; otherwise a run leaves the clone as it was.
set -euo pipefail
update_docs=
case "${1:-}" in
  --update-docs) update_docs=1 ;;
  "") ;;
  *) echo "usage: ./zorvane demo [--update-docs]" >&2; exit 2 ;;
esac
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/bench.sh"
bench_start
out="$ROOT/build/demo"
mkdir -p "$out"
exe="$ROOT/build/x86_64/ZORVANE.EXE"
bench_queues Office_Laser Colour_Inkjet Label_Printer
W() { "$ROOT/scripts/wine-run" x86_64 "$@"; }
device() {
  W reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device 2>/dev/null |
    tr -d '\r' | awk '$1 == "Device" { print $3 }'
}
W "$exe" &
pid=$!
tray=
for _ in $(seq 1 150); do
  tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1) || true
  [ -n "$tray" ] && break
  sleep 0.2
done
[ -n "$tray" ] || { echo "demo: the icon did not appear" >&2; kill "$pid"; exit 1; }
sleep 1
echo "default printer before: $(device)"
eval "$(xdotool getwindowgeometry --shell "$tray")"
xdotool mousemove $((X + 10)) $((Y + 10)) click 3
sleep 1
import -window root -crop 320x280+0+0 "$out/menu.png"
echo "demo: the tray menu: $out/menu.png"
xdotool key Up Up Return  # Label_Printer, the second of the sorted printers from the bottom
sleep 1
echo "default printer after choosing Label_Printer: $(device)"
xdotool mousemove $((X + 10)) $((Y + 10)) click 3
sleep 1
import -window root -crop 320x280+0+0 "$out/menu-after.png"
echo "demo: the menu after the switch: $out/menu-after.png"
xdotool key o  # Options
sleep 1
import -window root -crop 400x280+0+0 "$out/menu-options.png"
echo "demo: the menu with its options: $out/menu-options.png"
if [ -n "$update_docs" ]; then
  mkdir -p "$ROOT/docs" && cp "$out/menu-options.png" "$ROOT/docs/menu.png"
  echo "demo: the README's picture replaced: docs/menu.png"
fi
xdotool key Escape Escape
sleep 1
xdotool mousemove $((X + 10)) $((Y + 10)) click 3
sleep 1
xdotool key Down Return  # Exit
wait "$pid" || true
