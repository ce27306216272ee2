# Shared by the end-to-end tests (TARGET ZORVANE.EXE BUILD_DIR, on the bench of ./zorvane test).
set -euo pipefail
TARGET=$1 EXE=$2 BUILD=$3
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ARTIFACTS="$ROOT/build/test-artifacts"
mkdir -p "$ARTIFACTS"
[[ ${WINEPREFIX:-} == */build/bench/prefix ]] && [ -n "${CUPS_SERVER:-}" ] && [ -n "${DISPLAY:-}" ] ||
  { echo "no test bench: run through ./zorvane test" >&2; exit 1; }
source "$ROOT/scripts/bench.sh"  # the bench's own helpers: bench_queues, bench_prefix, can_run_i686
[ "$TARGET" != i686 ] || can_run_i686 || { echo "this machine cannot run 32-bit programs; skipped"; exit 77; }
# A person's use is checked on the primary executable only, unless a script sets BOTH_TARGETS.
[ "$TARGET" != x86_64 ] || [ -n "${BOTH_TARGETS:-}" ] || ! can_run_i686 ||
  { echo "checked on the primary i686 executable; skipped here"; exit 77; }
WINE() { "$ROOT/scripts/wine-run" "$TARGET" "$@" | tr -d '\r'; }  # Windows programs end lines with CR LF

fail() { echo "FAIL: $*" >&2; FAILED=yes; exit 1; }
check() { SEEN=; "${@:2}" || fail "$1${SEEN:+ (saw: $SEEN)}"; echo "ok: $1"; }  # SEEN: what the condition looked at
wait_until() {  # wait_until SECONDS COMMAND...: retries the command until it succeeds or the time is up
  local deadline=$((SECONDS + $1))
  until "${@:2}"; do ((SECONDS < deadline)) && sleep 0.1 || return 1; done
}
# await SECONDS WHAT COMMAND...: as wait_until, for a step the test cannot go on without.
await() { SEEN=; wait_until "$1" "${@:3}" || fail "$2: not within $1 s${SEEN:+ (saw: $SEEN)}"; }
no() { ! "$@"; }
same() { SEEN="\"$1\", not \"$2\""; [ "$1" = "$2" ]; }  # same ACTUAL EXPECTED
ended() { SEEN="process $1 still runs"; ! kill -0 "$1" 2>/dev/null; }

reg_query() { WINE reg query "$1" /v "$2" 2>/dev/null | sed -n "s/^    $2    REG_[A-Z_]*    //p"; }
reg_is() { local data; data=$(reg_query "$1" "$2") || true; SEEN="$2 \"$data\""; [[ $data == $3 ]]; }
WINDOWS_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
# profile_is PATTERN: the profile's default printer, read whole from an export (reg query cuts names to its code page).
profile_is() {
  local data export=$ARTIFACTS/profile-$(basename "$0" .sh).reg
  rm -f "$export"
  WINE regedit /E "Z:${export//\//\\}" 'HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows' >/dev/null
  data=$(iconv -f UTF-16LE -t UTF-8 "$export" 2>/dev/null | tr -d '\r' | sed -n 's/^"[Dd]evice"="\(.*\)"$/\1/p')
  SEEN="Device \"$data\""; [[ $data == $1 ]]
}
APPDEFAULTS='HKCU\Software\Wine\AppDefaults\ZORVANE.EXE'  # as_windows VERSION: what the program runs on until the end
as_windows() { WINE reg add "$APPDEFAULTS" /v Version /d "$1" /f >/dev/null && AS_WINDOWS=$1; }
cups_default_is() { SEEN=$(lpstat -d 2>&1); [ "$SEEN" = "system default destination: $1" ]; }
SETTINGS='HKCU\Software\Zorvane'
set_option() { WINE reg add "$SETTINGS" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }
# A Windows program that loads the spooler; where no other program holds it, Wine copies CUPS's default.
other_spooler_program() { WINE "$BUILD/tests/load_spooler.exe" >/dev/null 2>&1; }

ZV_PID= ZV_PIDS=()  # the copy the test works with; every process it started and stops at the end
on_exit() {
  local status=$? command=$BASH_COMMAND pid
  for pid in "${ZV_PIDS[@]}"; do  # only those still ours: an ended one's id may be another's now
    [ "$(ps -o ppid= -p "$pid")" -eq $$ ] 2>/dev/null || continue
    kill "$pid" 2>/dev/null && wait_until 5 ended "$pid" || kill -9 "$pid" 2>/dev/null || true
  done
  [ -z "${AS_WINDOWS:-}" ] || WINE reg delete "$APPDEFAULTS" /f >/dev/null 2>&1 || true
  [ "$status" != 0 ] || echo "1 passed, 0 failed"
  [[ $status =~ ^(0|77)$ || -n ${FAILED:-} ]] || echo "FAIL: ended early with status $status at: $command" >&2
}
trap on_exit EXIT  # a test that changes more than the program adds its undoing to it
launch_zorvane() {  # its output goes to a file: the desktop it may start would hold a pipe open
  "$ROOT/scripts/wine-run" "$TARGET" "$EXE" </dev/null >>"$ARTIFACTS/zorvane-$(basename "$0" .sh).log" 2>&1 &
  ZV_PID=$! ZV_PIDS+=($!)
}
empty_tray() {  # an icon left behind by a copy that was killed would look like ours
  tray_shown || return 0
  { /usr/lib/wine/wineserver -k; /usr/lib/wine/wineserver -w; } 2>/dev/null || true
  bench_prefix  # Wine's server and desktop again, without output, as the bench starts them
  await 15 "the tray window of an earlier copy going away" no tray_shown
}

xsearch() {  # xdotool search, again when a window going away while it looked ended it (an X error)
  local out tries=5
  while out=$(xdotool search "$@" 2>&1); [[ $out == *"X Error"* ]] && ((--tries)); do :; done
  grep -E '^[0-9]+$' <<<"$out" || true
}
tray_shown() {  # Wine's own tray window, there with no desktop tray, is seen only while it holds an icon
  TRAY=$(xsearch --onlyvisible --name '^Wine System Tray$' | head -1)
  [ -n "$TRAY" ] && SEEN="the icon in the tray" || { SEEN="no icon in the tray"; false; }
}
windows_shown() {  # windows_shown [EXCEPT]: a window of ours bigger than a point is up; SHOWN lists them
  local w WINDOW X Y WIDTH HEIGHT SCREEN
  SHOWN=
  for w in $(xsearch --onlyvisible --class zorvane.exe); do
    WIDTH=0 HEIGHT=0
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"  # it may have gone since
    ((WIDTH > 1 && HEIGHT > 1)) && [ "$w" != "${1:-}" ] &&
      SHOWN+="${SHOWN:+; }$w ${WIDTH}x$HEIGHT $(xdotool getwindowname "$w" 2>/dev/null)"
  done
  SEEN="windows of ours: ${SHOWN:-none}"
  [ -z "$ZV_PID" ] || kill -0 "$ZV_PID" 2>/dev/null || SEEN="$SEEN; the program has ended"
  [ -n "$SHOWN" ]
}
click_icon() {  # click_icon CLICK-ARGUMENTS...: once no window of ours, still closing, could pass for what it opens
  local WINDOW X Y WIDTH HEIGHT SCREEN
  await 10 "windows of ours closing before a click on the icon" no windows_shown
  tray_shown || fail "no icon to click"
  eval "$(xdotool getwindowgeometry --shell "$TRAY")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click "$@"
}
menu() {  # menu PICTURE|- [KEY...]: right-clicks the icon, focuses the menu (MENU) as no window manager does
  click_icon 3
  await 10 "the menu after a right-click" windows_shown
  MENU=${SHOWN%% *}
  xdotool windowfocus --sync "$MENU" 2>/dev/null || true
  [ "$1" = - ] || screenshot "$1"
  [ $# = 1 ] || xdotool key "${@:2}"
}
window_opens() {  # window_opens WHAT PICTURE: a window of ours other than the menu (it lingers) comes up; focused
  check "$1" wait_until 15 windows_shown "${MENU:-}"
  screenshot "$2"
  xdotool windowfocus --sync "${SHOWN%% *}" 2>/dev/null || true
}
# exit_zorvane [PICTURE]: Exit, the menu's first item, ends the program as a person would; its icon leaves the tray.
exit_zorvane() { menu "${1:--}" Down Return; wait_until 15 ended "$ZV_PID" && wait_until 10 no tray_shown; }
screenshot() { import -window root "$ARTIFACTS/$1.png"; }
