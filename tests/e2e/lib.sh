# Shared by the end-to-end tests (TARGET ZORVANE.EXE BUILD_DIR, on the bench of ./zorvane test).
set -euo pipefail
TARGET=$1 EXE=$2 BUILD=$3
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ARTIFACTS="$ROOT/build/test-artifacts" SHOTS=$ARTIFACTS  # what a test leaves to look at
ZV_LOG="$ARTIFACTS/zorvane-$(basename "$0" .sh).log"
mkdir -p "$ARTIFACTS"
[[ ${WINEPREFIX:-} == */build/bench/prefix ]] && [ -n "${CUPS_SERVER:-}" ] && [ -n "${DISPLAY:-}" ] ||
  { echo "no test bench: run through ./zorvane test" >&2; exit 1; }
source "$ROOT/scripts/bench.sh"  # the bench's own helpers: bench_queues, bench_prefix, can_run_i686
source "$ROOT/scripts/drive.sh"  # the program driven as a person does: launch_zorvane, menu, profile_is, ...
[ "$TARGET" != i686 ] || can_run_i686 || { echo "this machine cannot run 32-bit programs; skipped"; exit 77; }
# A person's use is checked on the primary executable only, unless a script sets BOTH_TARGETS.
[ "$TARGET" != x86_64 ] || [ -n "${BOTH_TARGETS:-}" ] || ! can_run_i686 ||
  { echo "checked on the primary i686 executable; skipped here"; exit 77; }

fail() { echo "FAIL: $*" >&2; FAILED=yes; exit 1; }
stuck() { fail "$@"; }  # a step of drive.sh that did not happen fails the test
check() { SEEN=; "${@:2}" || fail "$1${SEEN:+ (saw: $SEEN)}"; echo "ok: $1"; }  # SEEN: what the condition looked at
same() { SEEN="\"$1\", not \"$2\""; [ "$1" = "$2" ]; }  # same ACTUAL EXPECTED

APPDEFAULTS='HKCU\Software\Wine\AppDefaults\ZORVANE.EXE'  # as_windows VERSION: what the program runs on until the end
as_windows() { WINE reg add "$APPDEFAULTS" /v Version /d "$1" /f >/dev/null && AS_WINDOWS=$1; }
# A Windows program that loads the spooler; where no other program holds it, Wine copies CUPS's default.
other_spooler_program() { WINE "$BUILD/tests/load_spooler.exe" >/dev/null 2>&1; }

on_exit() {  # stops every process the test started
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
empty_tray() {  # an icon left behind by a copy that was killed would look like ours
  tray_shown || return 0
  { /usr/lib/wine/wineserver -k; /usr/lib/wine/wineserver -w; } 2>/dev/null || true
  bench_prefix  # Wine's server and desktop again, without output, as the bench starts them
  wait_for 15 "the tray window of an earlier copy going away" no tray_shown
}
window_opens() {  # window_opens WHAT PICTURE: a window of ours other than the menu (it lingers) comes up; focused
  check "$1" wait_until 15 windows_shown "${MENU:-}"
  screenshot "$2"
  xdotool windowfocus --sync "${SHOWN%% *}" 2>/dev/null || true
}
