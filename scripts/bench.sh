# Test bench: a throwaway Wine prefix, a private CUPS daemon and a private Xvfb.
# Sourced by ./zorvane; everything started here is stopped by process id in bench_stop.
# Nothing here touches ~/.wine, the system's CUPS or the user's display.

ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
BENCH_DIR="${BENCH_DIR:-$ROOT/build/bench}"
BENCH_PIDS=(${BENCH_PIDS[@]+"${BENCH_PIDS[@]}"})  # kept when sourced again

bench_free_port() {
  local p
  for p in $(seq 16310 16400); do
    if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then echo "$p"; return 0; fi
  done
  return 1
}

bench_free_display() {
  local d
  for d in $(seq 91 140); do
    [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ] || { echo "$d"; return 0; }
  done
  return 1
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
    "$(wine_loader x86_64)" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
  fi
  # Wine's server and services outlive the program that starts them and keep its output open:
  # start them here, with no output, so that no test's output pipe is held open by them.
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true  # one that runs already will do
  "$(wine_loader x86_64)" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
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

bench_cups() {
  local c="$BENCH_DIR/cups" port
  port=$(bench_free_port) || { echo "bench: no free loopback port" >&2; return 1; }
  rm -rf "$c/spool" "$c/state" "$c/cache" "$c/log" "$c/conf/ppd" "$c/conf/printers.conf"*
  mkdir -p "$c/conf/ppd" "$c/conf/ssl" "$c/spool/tmp" "$c/state/certs" "$c/cache" "$c/log"
  cat >"$c/conf/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
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
FileDevice Yes
ServerRoot $c/conf
RequestRoot $c/spool
TempDir $c/spool/tmp
StateDir $c/state
CacheDir $c/cache
AccessLog $c/log/access_log
ErrorLog $c/log/error_log
PageLog $c/log/page_log
CONF
  /usr/sbin/cupsd -f -c "$c/conf/cupsd.conf" -s "$c/conf/cups-files.conf" &
  BENCH_PIDS+=($!)
  export CUPS_SERVER="127.0.0.1:$port"
  echo "ServerName 127.0.0.1:$port" >"$CUPS_SERVERROOT/client.conf"
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

bench_xvfb() {
  local d
  d=$(bench_free_display) || { echo "bench: no free X display" >&2; return 1; }
  Xvfb ":$d" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  BENCH_PIDS+=($!)
  export DISPLAY=":$d"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "bench: Xvfb did not start on :$d" >&2
  return 1
}

bench_start() {
  # Stopped on every way out: a failed start, an interruption, an end from outside (a time limit).
  trap bench_stop EXIT
  trap 'exit 143' TERM INT
  mkdir -p "$BENCH_DIR"
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
