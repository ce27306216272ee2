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

# Replaces every queue of the private CUPS with the given ones; the first is CUPS's default.
cups_queues() {
  local q
  for q in $(lpstat -e 2>/dev/null); do /usr/sbin/lpadmin -x "$q"; done
  for q in "$@"; do /usr/sbin/lpadmin -p "$q" -E -v file:///dev/null; done
  [ $# -gt 0 ] && /usr/sbin/lpadmin -d "$1"
  rm -f "$HOME/.cups/lpoptions"
}

# reg_query KEY VALUE: the data of a value in the prefix's registry, or nothing.
reg_query() {
  WINE reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}

wine_server_wait() { /usr/lib/wine/wineserver -w 2>/dev/null || true; }
