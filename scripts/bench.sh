# Test bench: a throwaway Wine prefix, a private CUPS daemon and a private Xvfb, under build/bench/.
# Sourced by ./zorvane; everything started here is stopped by process id in bench_stop.
# Nothing here touches ~/.wine, the system's CUPS or the user's display, and no other local user
# reaches the bench: its folder is its owner's alone (0700) and holds CUPS's only socket and the
# display's authority file. One run at a time uses a clone's bench (a lock; a second run waits and
# says so); runs in other clones have folders, sockets and displays of their own.

# Never taken from the environment: the bench deletes what it made under these, and only there.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_DIR=$ROOT/build/bench
BENCH_PIDS=(${BENCH_PIDS[@]+"${BENCH_PIDS[@]}"})  # kept when sourced again

# bench_remove PATH...: deletes what an earlier run left, never anything outside the clone's build/.
bench_remove() {
  local p
  for p in "$@"; do
    [[ $p == "$ROOT"/build/?* && $p != *..* ]] || { echo "bench: not removing $p: outside $ROOT/build" >&2; return 1; }
    rm -rf -- "$p"
  done
}

# The first run holds the lock until it ends; the daemons it starts are not given it (BENCH_LOCK is
# closed for them), so that none outliving the run could hold up the next.
bench_lock() {
  [ -z "${BENCH_LOCK:-}" ] || return 0
  exec {BENCH_LOCK}>>"$BENCH_DIR/lock"
  flock -n "$BENCH_LOCK" && return 0
  echo "bench: another run (a test, the demo or the benchmark) uses $BENCH_DIR; waiting for it to end" >&2
  flock "$BENCH_LOCK"
  echo "bench: the other run ended; going on" >&2
}
export BENCH_LOCK  # for the bench's helpers in the tests, which start daemons of their own too

# bench_unlocked COMMAND...: runs it without the run's lock; bench_detach COMMAND...: the same in
# the background, its process id kept for bench_stop.
bench_unlocked() { ( [ -z "${BENCH_LOCK:-}" ] || exec {BENCH_LOCK}>&-; exec "$@" ) </dev/null >/dev/null 2>&1; }
bench_detach() {
  ( [ -z "${BENCH_LOCK:-}" ] || exec {BENCH_LOCK}>&-; exec "$@" ) </dev/null >/dev/null 2>&1 &
  BENCH_PIDS+=($!)
}

# The loader that runs a Windows executable of the given target.
wine_loader() {
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    *) echo /usr/lib/wine/wine64 ;;
  esac
}

# 32-bit Wine needs a kernel that runs 32-bit ELF programs; some machines refuse them.
can_run_i686() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

bench_env() {
  export WINEPREFIX="$BENCH_DIR/prefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
  export WINEARCH=win64
  # CUPS client tools (lpoptions, lpstat) keep per-user state under HOME; give them the bench's own.
  export HOME="$BENCH_DIR/home"
  export CUPS_SERVERROOT="$BENCH_DIR/cups/client"
  mkdir -p "$HOME" "$CUPS_SERVERROOT"
}

bench_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "bench: creating the Wine prefix under $WINEPREFIX (once)" >&2
    bench_unlocked "$(wine_loader x86_64)" wineboot -i || true
    /usr/lib/wine/wineserver -w
  fi
  # Wine's server and services outlive the program that starts them and keep its output open:
  # start them here, with no output, so that no test's output pipe is held open by them.
  bench_unlocked /usr/lib/wine/wineserver -p || true  # one that runs already will do
  bench_unlocked "$(wine_loader x86_64)" rundll32.exe user32.dll,GetDesktopWindow || true
  bench_checks
}

# The test programs run with the heap checked (freed blocks filled and checked, the ends of blocks
# guarded), so that a use after free fails a test instead of passing by luck; a crash ends the
# program at once with an error instead of waiting in a debugger.
bench_checks() {
  [ -f "$WINEPREFIX/.zorvane-checks" ] && return 0
  local reg="$BENCH_DIR/checks.reg" view exe
  {
    echo 'REGEDIT4'
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]'
    echo '"Debugger"="-"'
    echo '"Auto"="1"'
    for view in Software 'Software\Wow6432Node'; do
      for exe in app_tests.exe framework_tests.exe printer_tests.exe; do
        echo "[HKEY_LOCAL_MACHINE\\$view\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\$exe]"
        echo '"GlobalFlag"=dword:00000070'
      done
    done
  } >"$reg"
  "$(wine_loader x86_64)" regedit /S "Z:${reg//\//\\}" </dev/null >/dev/null 2>&1 && touch "$WINEPREFIX/.zorvane-checks"
}

# CUPS listens on one Unix socket in the bench's folder, which no other user may enter: whoever
# reaches it is the bench's owner, who may administer it. File devices are off (a queue can write
# to no file of the owner's choosing by mistake either); file:///dev/null, where the queues print,
# is the one CUPS always allows.
bench_cups() {
  local c="$BENCH_DIR/cups"
  local socket="$c/cupsd.sock"
  # A Unix socket's path has room for 107 bytes.
  ((${#socket} < 108)) || { echo "bench: the CUPS socket's path is too long ($socket): use a clone at a shorter path" >&2; return 1; }
  bench_remove "$c/spool" "$c/state" "$c/cache" "$c/log" "$c/conf/ppd" "$c"/conf/printers.conf* "$socket"
  mkdir -p "$c/conf/ppd" "$c/conf/ssl" "$c/spool/tmp" "$c/state/certs" "$c/cache" "$c/log"
  cat >"$c/conf/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$c/conf/cups-files.conf" <<CONF
FileDevice No
ServerRoot $c/conf
RequestRoot $c/spool
TempDir $c/spool/tmp
StateDir $c/state
CacheDir $c/cache
AccessLog $c/log/access_log
ErrorLog $c/log/error_log
PageLog $c/log/page_log
CONF
  bench_detach /usr/sbin/cupsd -f -c "$c/conf/cupsd.conf" -s "$c/conf/cups-files.conf"
  export CUPS_SERVER=$socket
  echo "ServerName $socket" >"$CUPS_SERVERROOT/client.conf"
  local i
  for i in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -q "is running" && return 0
    sleep 0.1
  done
  echo "bench: the private CUPS did not start; see $c/log/error_log" >&2
  return 1
}

# bench_queues NAME...: the private CUPS holds exactly these queues, printing to nowhere; the
# first is CUPS's default, and no per-user default of an earlier run stands in its way.
bench_queues() {
  local q
  for q in $(lpstat -e 2>/dev/null); do /usr/sbin/lpadmin -x "$q"; done
  for q in "$@"; do /usr/sbin/lpadmin -p "$q" -E -v file:///dev/null; done
  [ $# -gt 0 ] && /usr/sbin/lpadmin -d "$1"
  rm -f "$HOME/.cups/lpoptions"
}

# Xvfb admits only clients that show the cookie of the bench's authority file (XAUTHORITY, which
# every client the bench starts inherits). Of two runs that try one display at once, the one whose
# server wrote its id in the display's lock file has it; the other tries the next.
bench_xvfb() {
  export XAUTHORITY="$BENCH_DIR/xauthority"
  local d i pid cookie
  cookie=$(mcookie)
  : >"$XAUTHORITY"
  for d in $(seq 91 140); do
    [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ] && continue
    xauth -q -f "$XAUTHORITY" add ":$d" . "$cookie"
    bench_detach Xvfb ":$d" -auth "$XAUTHORITY" -screen 0 1024x768x24 -nolisten tcp
    pid=${BENCH_PIDS[-1]}
    export DISPLAY=":$d"
    for i in $(seq 1 100); do
      [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X$d-lock")" = "$pid" ] && xdpyinfo >/dev/null 2>&1 && return 0
      if ! kill -0 "$pid" 2>/dev/null; then  # another server took the display first
        wait "$pid" 2>/dev/null || true  # its status: the display was taken
        unset 'BENCH_PIDS[-1]'
        continue 2
      fi
      sleep 0.1
    done
    echo "bench: Xvfb did not start on :$d" >&2
    return 1
  done
  echo "bench: no free X display" >&2
  return 1
}

bench_start() {
  # Stopped on every way out: a failed start, an interruption, an end from outside (a time limit).
  trap bench_stop EXIT
  trap 'exit 143' TERM INT
  mkdir -p "$BENCH_DIR"
  chmod 700 "$BENCH_DIR"
  bench_lock
  bench_env
  bench_xvfb
  bench_cups
  bench_prefix
}

bench_stop() {
  # Wine's server for the throwaway prefix first, then what we started, by process id.
  [ "${WINEPREFIX:-}" = "$BENCH_DIR/prefix" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  local pid
  for pid in "${BENCH_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${BENCH_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  BENCH_PIDS=()
}
