# Drives ZORVANE.EXE on the test bench as a person does (its icon, the mouse, the menu, the keys) and
# reads what it changed. Sourced after bench.sh by the end-to-end tests, the demo and the benchmark.
# TARGET, EXE: the executable driven. ZV_LOG: where its output goes. SHOTS: the screenshots' folder.
TARGET=${TARGET:-x86_64} EXE=${EXE:-$ROOT/build/$TARGET/ZORVANE.EXE}
WINE() { "$ROOT/scripts/wine-run" "$TARGET" "$@" | tr -d '\r'; }  # Windows programs end lines with CR LF

# stuck WHAT: a step the script cannot go on without did not happen: says so, ends the script.
stuck() { echo "${0##*/}: $*" >&2; exit 1; }
# wait_until SECONDS COMMAND...: retries the command every POLL seconds (0.1) until it succeeds or the time is up.
wait_until() {
  local deadline=$((SECONDS + $1))
  until "${@:2}"; do ((SECONDS < deadline)) && sleep "${POLL:-0.1}" || return 1; done
}
# wait_for SECONDS WHAT COMMAND...: as wait_until, for a step the script cannot go on without. The
# limits are many times what the step takes here, for a loaded machine: a wait ends when its step has.
wait_for() { SEEN=; wait_until "$1" "${@:3}" || stuck "$2: not within $1 s${SEEN:+ (saw: $SEEN)}"; }
# Conditions set SEEN to what they looked at.
no() { ! "$@"; }
ended() { SEEN="process $1 still runs"; ! kill -0 "$1" 2>/dev/null; }

reg_query() { WINE reg query "$1" /v "$2" 2>/dev/null | sed -n "s/^    $2    REG_[A-Z_]*    //p"; }
reg_is() { local data; data=$(reg_query "$1" "$2") || true; SEEN="$2 \"$data\""; [[ $data == $3 ]]; }
WINDOWS_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
# default_printer: the profile's, read whole from an export (reg query cuts names to its code page).
default_printer() {
  local export=$BENCH_DIR/profile.reg
  rm -f "$export"
  WINE regedit /E "Z:${export//\//\\}" "${WINDOWS_KEY/HKCU/HKEY_CURRENT_USER}" >/dev/null
  iconv -f UTF-16LE -t UTF-8 "$export" 2>/dev/null | tr -d '\r' | sed -n 's/^"[Dd]evice"="\(.*\)"$/\1/p'
}
profile_is() { local data; data=$(default_printer); SEEN="Device \"$data\""; [[ $data == $1 ]]; }  # profile_is PATTERN
cups_default_is() { SEEN=$(lpstat -d 2>&1); [ "$SEEN" = "system default destination: $1" ]; }
SETTINGS='HKCU\Software\Zorvane'
set_option() { WINE reg add "$SETTINGS" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }

ZV_PID= ZV_PIDS=()  # the copy driven; every process started, for the caller to stop
launch_zorvane() {  # launch_zorvane [EXE]: output to ZV_LOG, as a desktop it may start would hold a pipe open
  "$ROOT/scripts/wine-run" "$TARGET" "${1:-$EXE}" </dev/null >>"${ZV_LOG:-/dev/null}" 2>&1 &
  ZV_PID=$! ZV_PIDS+=($!)
}
xsearch() {  # xdotool search, again when a window going away while it looked ended it (an X error)
  local out line tries=5
  while out=$(xdotool search "$@" 2>&1); [[ $out == *"X Error"* ]] && ((--tries)); do :; done
  while read -r line; do [[ ! $line =~ ^[0-9]+$ ]] || echo "$line"; done <<<"$out"
}
tray_shown() {  # Wine's own tray window, there with no desktop tray, is seen only while it holds an icon: TRAY
  TRAY=$(xsearch --onlyvisible --name '^Wine System Tray$') TRAY=${TRAY%%$'\n'*}
  [ -n "$TRAY" ] && SEEN="the icon in the tray" && return
  SEEN="no icon in the tray"
  [ -z "$ZV_PID" ] || kill -0 "$ZV_PID" 2>/dev/null || SEEN="$SEEN; the program has ended"
  false
}
ICON_WAIT=60  # seconds for a start's icon: a few here, more where Wine's session starts with it
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
  wait_for 10 "windows of ours closing before a click on the icon" no windows_shown
  wait_for "$ICON_WAIT" "the icon to click" tray_shown  # a start's icon may come after what it changed
  eval "$(xdotool getwindowgeometry --shell "$TRAY")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click "$@"
}
menu() {  # menu PICTURE|- [KEY...]: right-clicks the icon, focuses the menu (MENU) as no window manager does
  click_icon 3
  # A right-click that comes while the program still carries out the last choice made in its menu
  # (its announcement, seconds on a loaded machine) is dropped: the menu never opens. A person
  # clicks again, and so does this, saying so.
  if ! wait_until 10 windows_shown; then
    echo "${0##*/}: no menu 10 s after a right-click ($SEEN); right-clicking again" >&2
    click_icon 3
    wait_for 10 "the menu after a second right-click" windows_shown
  fi
  MENU=${SHOWN%% *}
  xdotool windowfocus --sync "$MENU" 2>/dev/null || true
  [ "$1" = - ] || screenshot "$1"
  [ $# = 1 ] || xdotool key "${@:2}"
}
# exit_zorvane [PICTURE]: Exit, the menu's first item, ends the program as a person would; its icon leaves the tray.
exit_zorvane() { menu "${1:--}" Down Return; wait_until 15 ended "$ZV_PID" && wait_until 10 no tray_shown; }
screenshot() { import -window root "${@:2}" "${SHOTS:-$BENCH_DIR}/$1.png"; }  # screenshot NAME [IMPORT-OPTION...]
