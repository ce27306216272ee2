# Shared by the end-to-end tests. Arguments of every test: TARGET ZORVANE.EXE BUILD_DIR.
# The bench (prefix, CUPS, Xvfb) was started by ./zorvane test; a test never starts its own.
set -euo pipefail
TARGET=$1
EXE=$2
BUILD=$3
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
ARTIFACTS="$ROOT/build/test-artifacts"
mkdir -p "$ARTIFACTS"

[ -n "${WINEPREFIX:-}" ] && [ -n "${CUPS_SERVER:-}" ] && [ -n "${DISPLAY:-}" ] || {
  echo "no test bench: run through ./zorvane test" >&2
  exit 1
}
WINE() { "$ROOT/scripts/wine-run" "$TARGET" "$@"; }
if [ "$TARGET" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "this machine cannot run 32-bit programs; skipped"
  exit 77
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
check() {  # check DESCRIPTION COMMAND...: runs the command, fails the test with the description
  local what=$1
  shift
  "$@" || fail "$what"
  echo "ok: $what"
}

# Ends every Wine process of the bench's own prefix (and only those), then starts its server and
# desktop again without output, as the bench does, so that no test's output stays held open.
restart_bench_wine() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w 2>/dev/null || true
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
  /usr/lib/wine/wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}

# Wine's own list of printers, as the spooler keeps it: changed here, it changes behind the
# back of a program that runs, with no announcement.
WINE_PRINTERS='HKLM\System\CurrentControlSet\Control\Print\Printers'

# Replaces every queue of the private CUPS with the given ones; the first is CUPS's default.
cups_queues() {
  local q
  for q in $(lpstat -e 2>/dev/null); do /usr/sbin/lpadmin -x "$q"; done
  for q in "$@"; do /usr/sbin/lpadmin -p "$q" -E -v file:///dev/null; done
  [ $# -gt 0 ] && /usr/sbin/lpadmin -d "$1"
  rm -f "$HOME/.cups/lpoptions"
}

# reg_query KEY VALUE: the data of a value in the prefix's registry, or nothing.
# reg.exe prints "    NAME    TYPE    DATA"; names may hold blanks.
reg_query() {
  WINE reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" 'index($0, "    " v "    ") == 1 { s = substr($0, length(v) + 9); sub(/^[A-Z_]+    /, "", s); print s }'
}


PROFILE_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
profile_device() { reg_query "$PROFILE_KEY" Device; }

ZV_PID=
# Starts ZORVANE.EXE in the background and waits until its icon is in Wine's tray window.
start_zorvane() {
  # An icon left behind by a copy that was killed would look like ours: start from an empty tray.
  if [ -n "$(tray_window)" ]; then
    restart_bench_wine
    wait_no_tray || fail "the tray window of an earlier copy does not go away"
  fi
  launch_zorvane "$@"
  wait_for_tray || fail "no tray icon within 30 s"
}
# Starts ZORVANE.EXE in the background; ZV_PID is the program's own process.
launch_zorvane() {
  # Its output goes to a file: the desktop process it may start would hold a pipe open.
  (exec "$ROOT/scripts/wine-run" "$TARGET" "${ZV_EXE:-$EXE}" "$@" </dev/null >>"$ARTIFACTS/zorvane-$(basename "$0" .sh).log" 2>&1) &
  ZV_PID=$!
  trap 'stop_zorvane' EXIT
}
stop_zorvane() {
  [ -n "$ZV_PID" ] || return 0
  kill "$ZV_PID" 2>/dev/null || true
  local i
  for i in $(seq 1 25); do kill -0 "$ZV_PID" 2>/dev/null || break; sleep 0.2; done
  kill -9 "$ZV_PID" 2>/dev/null || true
  ZV_PID=
}
# The tray window that Wine shows when no desktop tray exists: visible only while it holds an icon.
tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1; }
# wait_until TRIES COMMAND...: retries the command every 0.2 s until it succeeds.
wait_until() {
  local tries=$1 i
  shift
  for i in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}
tray_shown() { [ -n "$(tray_window)" ]; }
windows_shown() { [ -n "$(visible_windows)" ]; }
windows_gone() { [ -z "$(visible_windows)" ]; }
tray_gone() { [ -z "$(tray_window)" ]; }
wait_for_tray() { wait_until 150 tray_shown; }
wait_no_tray() { wait_until 75 tray_gone; }
# Right-clicks the first icon of the tray window.
right_click_icon() {
  local w x y
  w=$(tray_window)
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click 3
  sleep 1
  focus_ours
}
# Without a window manager nobody gives keyboard focus back after a window closes: give it to
# the window of ours that is up (the menu, a dialog), as a window manager would.
focus_ours() {
  local w
  w=$(xdotool search --onlyvisible --class 'zorvane.exe' 2>/dev/null | tail -1)
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null || true
}
# Windows of ours that can be seen (bigger than a point); the tray window belongs to explorer.
visible_windows() {
  local w
  for w in $(xdotool search --onlyvisible --class 'zorvane.exe' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -gt 1 ] && [ "$HEIGHT" -gt 1 ] && echo "$w ${WIDTH}x$HEIGHT $(xdotool getwindowname "$w")"
  done
  return 0
}
# Ends the program as a person would: Exit, the first item of its menu.
exit_zorvane() {
  right_click_icon
  xdotool key Down Return
  local i
  for i in $(seq 1 50); do kill -0 "$ZV_PID" 2>/dev/null || break; sleep 0.2; done
  ! kill -0 "$ZV_PID" 2>/dev/null || return 1
  ZV_PID=
  wait_no_tray
}
SETTINGS_KEY='HKCU\Software\Zorvane'
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
LINK_NAME='Sets Windows 95 Default Printer.LNK'
startup_folder_windows() { reg_query "$SHELL_FOLDERS" StartUp; }
startup_link_unix() { echo "$(WINE winepath -u "$(startup_folder_windows)" 2>/dev/null | tr -d '\r')/$LINK_NAME"; }
screenshot() { import -window root "$ARTIFACTS/$1.png"; }
