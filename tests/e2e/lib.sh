# Shared by the end-to-end tests. Arguments of every test: TARGET ZORVANE.EXE BUILD_DIR.
# The bench (prefix, CUPS, Xvfb) was started by ./zorvane test; a test never starts its own.
# Every wait is for something that can be seen, with a deadline; a failure says what it saw.
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
source "$ROOT/scripts/bench.sh"  # the bench's own helpers: bench_queues, can_run_i686
WINE() { "$ROOT/scripts/wine-run" "$TARGET" "$@"; }
if [ "$TARGET" = i686 ] && ! can_run_i686; then
  echo "this machine cannot run 32-bit programs; skipped"
  exit 77
fi
# A person's use is checked on one executable: the primary i686 where 32-bit programs run, x86_64
# elsewhere. A script about what differs between the two sets BOTH_TARGETS before it comes here.
if [ "$TARGET" = x86_64 ] && [ -z "${BOTH_TARGETS:-}" ] && can_run_i686; then
  echo "checked on the primary i686 executable; skipped here"
  exit 77
fi

SEEN=  # what the last condition looked at, for the failure message
fail() {
  echo "FAIL: $*" >&2
  FAILED=yes
  exit 1
}
check() {  # check DESCRIPTION COMMAND...: runs the command, fails the test with the description
  local what=$1
  shift
  SEEN=
  "$@" || fail "$what${SEEN:+ (saw: $SEEN)}"
  echo "ok: $what"
}
# wait_until SECONDS COMMAND...: retries the command until it succeeds or the time is up.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
# await SECONDS WHAT COMMAND...: as wait_until, for a step the test cannot go on without.
await() {
  local seconds=$1 what=$2
  shift 2
  SEEN=
  wait_until "$seconds" "$@" || fail "$what: not within $seconds s${SEEN:+ (saw: $SEEN)}"
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

cups_default_is() {
  SEEN=$(lpstat -d 2>&1)
  [ "$SEEN" = "system default destination: $1" ]
}
# A Windows program that loads the spooler: Wine takes in CUPS's queues and copies its default.
other_spooler_program() { WINE "$BUILD/tests/printer_tests.exe" --gtest_filter=NoTest.None >/dev/null 2>&1; }

# reg_query KEY VALUE: the data of a value in the prefix's registry, or nothing.
# reg.exe prints "    NAME    TYPE    DATA"; names may hold blanks.
reg_query() {
  WINE reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" 'index($0, "    " v "    ") == 1 { s = substr($0, length(v) + 9); sub(/^[A-Z_]+    /, "", s); print s }'
}
PROFILE_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
profile_device() { reg_query "$PROFILE_KEY" Device; }
profile_is() {
  local device
  device=$(profile_device)
  SEEN="the profile's device \"$device\""
  [ "$device" = "$1" ]
}
wait_for_profile() { wait_until 15 profile_is "$1"; }

SETTINGS_KEY='HKCU\Software\Zorvane'
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
LINK_NAME='Sets Windows 95 Default Printer.LNK'
startup_folder_windows() { reg_query "$SHELL_FOLDERS" StartUp; }
startup_link_unix() { echo "$(WINE winepath -u "$(startup_folder_windows)" 2>/dev/null | tr -d '\r')/$LINK_NAME"; }
set_option() { WINE reg add "$SETTINGS_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }

ZV_PID=    # the copy the test works with
ZV_PIDS=() # every copy the test started
at_exit() { :; }  # a test that changes more than the program redefines it to undo that
on_exit() {
  local status=$? command=$BASH_COMMAND
  stop_zorvane
  at_exit
  [[ $status =~ ^(0|77)$ || -n ${FAILED:-} ]] || echo "FAIL: ended early with status $status at: $command" >&2
}
trap on_exit EXIT
# Starts a copy (by default ZORVANE.EXE) in the background; ZV_PID is the program's own process.
launch_zorvane() {
  # Its output goes to a file: the desktop process it may start would hold a pipe open.
  (exec "$ROOT/scripts/wine-run" "$TARGET" "${1:-$EXE}" </dev/null >>"$ARTIFACTS/zorvane-$(basename "$0" .sh).log" 2>&1) &
  ZV_PID=$!
  ZV_PIDS+=("$ZV_PID")
}
# An icon left behind by a copy that was killed would look like ours: start from an empty tray.
empty_tray() {
  tray_gone && return 0
  restart_bench_wine
  await 15 "the tray window of an earlier copy going away" tray_gone
}
# Stops what is left of the copies this test started, and only those: an id whose process has
# ended may since belong to another.
stop_zorvane() {
  local pid
  for pid in "${ZV_PIDS[@]}"; do
    [ "$(ps -o ppid= -p "$pid" 2>/dev/null | tr -d ' ')" = "$$" ] || continue
    kill "$pid" 2>/dev/null || true
    wait_until 5 ended "$pid" || kill -9 "$pid" 2>/dev/null || true
  done
  ZV_PIDS=()
  ZV_PID=
}
ended() {
  SEEN="process $1 still runs"
  ! kill -0 "$1" 2>/dev/null
}

# The tray window that Wine shows when no desktop tray exists: visible only while it holds an icon.
tray_window() { { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null || true; } | head -1; }
tray_shown() {
  SEEN="no icon in the tray"
  [ -n "$(tray_window)" ] && SEEN="the icon in the tray"
}
tray_gone() { ! tray_shown; }
ours_mapped() { xdotool search --onlyvisible --class 'zorvane.exe' 2>/dev/null || true; }
# Windows of ours that can be seen (bigger than a point); the tray window belongs to explorer.
visible_windows() {
  local w WINDOW X Y WIDTH HEIGHT SCREEN
  for w in $(ours_mapped); do
    WIDTH=0 HEIGHT=0
    # A window may go between the search and the question.
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null || true)"
    [ "$WIDTH" -gt 1 ] && [ "$HEIGHT" -gt 1 ] && echo "$w ${WIDTH}x$HEIGHT $(xdotool getwindowname "$w" 2>/dev/null || true)"
  done
  return 0
}
# windows_shown [EXCEPT]: a window of ours is up, other than the one given.
windows_shown() {
  local shown
  shown=$(visible_windows | awk -v except="${1:-}" '$1 != except')
  SEEN="windows of ours: ${shown:-none}"
  [ -z "$ZV_PID" ] || kill -0 "$ZV_PID" 2>/dev/null || SEEN="$SEEN; the program has ended"
  [ -n "$shown" ]
}
windows_gone() { ! windows_shown; }
# Without a window manager nobody gives keyboard focus back after a window closes: give it to
# the window of ours that is up (the menu, a dialog), as a window manager would.
focus_ours() {
  local w
  w=$(visible_windows | tail -1 | cut -d' ' -f1)
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null || true
}
# click_icon XDOTOOL-CLICK-ARGUMENTS...: clicks the first icon of the tray window.
click_icon() {
  local w WINDOW X Y WIDTH HEIGHT SCREEN
  # A window of ours still closing would be taken for what the click opens.
  await 10 "windows of ours closing before a click on the icon" windows_gone
  w=$(tray_window)
  [ -n "$w" ] || fail "no icon to click"
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click "$@"
}
# Right-clicks the icon and waits for the menu, to which it gives the keyboard.
MENU=  # the menu's window: it may still be seen for a moment after a choice
open_menu() {
  click_icon 3
  wait_until 10 windows_shown || return 1
  MENU=$(visible_windows | head -1 | cut -d' ' -f1)
  xdotool windowfocus --sync "$MENU" 2>/dev/null || true
}
right_click_icon() {
  SEEN=
  open_menu || fail "no menu after a right-click (saw: $SEEN)"
}
# window_opens DESCRIPTION PICTURE: checks that a window of ours comes up and keeps its picture.
window_opens() {
  check "$1" wait_until 15 windows_shown "$MENU"
  echo "  $SEEN"
  screenshot "$2"
}
# Ends the program as a person would: Exit, the first item of its menu.
exit_zorvane() {
  right_click_icon
  xdotool key Down Return
  wait_until 15 ended "$ZV_PID" || return 1
  ZV_PID=
  wait_until 10 tray_gone
}
screenshot() { import -window root "$ARTIFACTS/$1.png"; }
