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
source "$ROOT/scripts/drive.sh"
bench_start
SHOTS="$ROOT/build/demo"
mkdir -p "$SHOTS"
bench_queues Office_Laser Colour_Inkjet Label_Printer
launch_zorvane
wait_for "$ICON_WAIT" "the icon" tray_shown
wait_until 10 profile_is "Office_Laser,*" || true  # Wine copies CUPS's default as the program starts
echo "default printer before: $(default_printer)"
menu -
screenshot menu -crop 320x280+0+0
echo "demo: the tray menu: $SHOTS/menu.png"
xdotool key Up Up Return  # Label_Printer, the second of the sorted printers from the bottom
wait_until 10 profile_is "Label_Printer,*" || true
echo "default printer after choosing Label_Printer: $(default_printer)"
menu -
screenshot menu-after -crop 320x280+0+0
echo "demo: the menu after the switch: $SHOTS/menu-after.png"
xdotool key o  # Options
wait_for 10 "the Options submenu" windows_shown "$MENU"
screenshot menu-options -crop 400x280+0+0
echo "demo: the menu with its options: $SHOTS/menu-options.png"
if [ -n "$update_docs" ]; then
  mkdir -p "$ROOT/docs" && cp "$SHOTS/menu-options.png" "$ROOT/docs/menu.png"
  echo "demo: the README's picture replaced: docs/menu.png"
fi
xdotool key Escape Escape
exit_zorvane || stuck "Exit did not end the program"
