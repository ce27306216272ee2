# Shared by the end-to-end tests, which take TARGET ZORVANE.EXE BUILD_DIR and run on the bench of
# ./zorvane test. Every wait is for something seen, with a deadline; a failure says what it saw.
set -euo pipefail
TARGET=$1 EXE=$2 BUILD=$3
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ARTIFACTS="$ROOT/build/test-artifacts"
mkdir -p "$ARTIFACTS"
[[ ${WINEPREFIX:-} == */build/bench/prefix ]] && [ -n "${CUPS_SERVER:-}" ] && [ -n "${DISPLAY:-}" ] ||
  { echo "no test bench: run through ./zorvane test" >&2; exit 1; }
source "$ROOT/scripts/bench.sh"  # the bench's own helpers: bench_queues, bench_prefix, can_run_i686
[ "$TARGET" != i686 ] || can_run_i686 || { echo "this machine cannot run 32-bit programs; skipped"; exit 77; }
# A person's use is checked on the primary executable only; a script setting BOTH_TARGETS runs on both.
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

# reg_query KEY VALUE: a value's data in the prefix's registry; reg prints "    NAME    TYPE    DATA".
reg_query() {
  WINE reg query "$1" /v "$2" 2>/dev/null |
    awk -v v="$2" 'index($0, "    " v "    ") == 1 { s = substr($0, length(v) + 9); sub(/^[A-Z_]+    /, "", s); print s }'
}
reg_is() { local data; data=$(reg_query "$1" "$2") || true; SEEN="$2 \"$data\""; [[ $data == $3 ]]; }
WINDOWS_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
# profile_is PATTERN: the profile's default printer, read whole through an export (reg query's
# output is cut to the console's code page, and printer names may be in any script).
profile_is() {
  local data export=$ARTIFACTS/profile-$$.reg
  [ -n "${EXPORT_PATH:-}" ] || EXPORT_PATH=$(WINE winepath -w "$export")
  rm -f "$export"
  WINE regedit /E "$EXPORT_PATH" 'HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows' >/dev/null
  data=$(iconv -f UTF-16LE -t UTF-8 "$export" 2>/dev/null | tr -d '\r' | sed -n 's/^"[Dd]evice"="\(.*\)"$/\1/p')
  rm -f "$export"
  SEEN="Device \"$data\""; [[ $data == $1 ]]
}
legacy_mode_is() { reg_is "$WINDOWS_KEY" LegacyDefaultPrinterMode "$1"; }  # Windows' switch; "" for none
# as_windows VERSION: the program is told it runs on that Windows (win10, winxp) until the test ends.
APPDEFAULTS='HKCU\Software\Wine\AppDefaults\ZORVANE.EXE'
as_windows() { WINE reg add "$APPDEFAULTS" /v Version /d "$1" /f >/dev/null && AS_WINDOWS=$1; }
cups_default_is() { SEEN=$(lpstat -d 2>&1); [ "$SEEN" = "system default destination: $1" ]; }
SETTINGS='HKCU\Software\Zorvane'
set_option() { WINE reg add "$SETTINGS" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }
# A Windows program that loads the spooler: Wine takes in CUPS's queues and, where no other program
# holds the spooler, copies CUPS's default into the profile.
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
# Starts a copy; its output goes to a file, as the desktop it may start would hold a pipe open.
launch_zorvane() {
  "$ROOT/scripts/wine-run" "$TARGET" "$EXE" </dev/null >>"$ARTIFACTS/zorvane-$(basename "$0" .sh).log" 2>&1 &
  ZV_PID=$! ZV_PIDS+=($!)
}
# An icon left behind by a copy that was killed would look like ours: start from an empty tray.
empty_tray() {
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
# windows_shown [EXCEPT]: a window of ours bigger than a point is up, other than EXCEPT; SHOWN lists them.
windows_shown() {
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
# click_icon CLICK-ARGUMENTS...: clicks the icon; a window of ours still closing would pass for what it opens.
click_icon() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  await 10 "windows of ours closing before a click on the icon" no windows_shown
  tray_shown || fail "no icon to click"
  eval "$(xdotool getwindowgeometry --shell "$TRAY")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click "$@"
}
# menu PICTURE|- [KEY...]: right-clicks the icon, focuses the menu, MENU (no window manager does), then picture, keys.
menu() {
  click_icon 3
  await 10 "the menu after a right-click" windows_shown
  MENU=${SHOWN%% *}
  xdotool windowfocus --sync "$MENU" 2>/dev/null || true
  [ "$1" = - ] || screenshot "$1"
  [ $# = 1 ] || xdotool key "${@:2}"
}
# window_opens WHAT PICTURE: checks that a window of ours comes up, not the menu (it lingers), and focuses it.
window_opens() {
  check "$1" wait_until 15 windows_shown "${MENU:-}"
  echo "  $SEEN"
  screenshot "$2"
  xdotool windowfocus --sync "${SHOWN%% *}" 2>/dev/null || true
}
# exit_zorvane [PICTURE]: Exit, the menu's first item, ends the program as a person would; its icon leaves the tray.
exit_zorvane() { menu "${1:--}" Down Return; wait_until 15 ended "$ZV_PID" && wait_until 10 no tray_shown; }
screenshot() { import -window root "$ARTIFACTS/$1.png"; }
# checked_entry NAME: the check mark is on NAME among the printer entries ENTRIES, named from the
# menu's last row up; the menu is looked at as a picture (17-pixel rows above a 3-pixel frame).
checked_entry() {
  local WINDOW X Y WIDTH HEIGHT SCREEN picture="checked-$(basename "$0" .sh)" row darkest=1 mean CHECKED=
  menu "$picture"
  eval "$(xdotool getwindowgeometry --shell "$MENU")"
  xdotool key Escape
  for row in "${!ENTRIES[@]}"; do  # the check mark is in the first 24 columns
    mean=$(convert "$ARTIFACTS/$picture.png" -crop "24x17+$((X + 2))+$((Y + HEIGHT - 20 - 17 * row))" -colorspace gray -format '%[fx:mean]' info:)
    (($(bc <<<"$mean < $darkest"))) && darkest=$mean CHECKED=${ENTRIES[row]}
  done
  SEEN="the check mark on ${CHECKED:-nothing}"
  [ "$CHECKED" = "$1" ]
}
