#!/usr/bin/env bash
# ./zorvane bench: the figures a user feels, measured side by side in one run on the test bench.
# Prints one table and writes it to build/bench/report.md.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/bench.sh"
source "$ROOT/scripts/drive.sh"
bench_start
B="$ROOT/build/x86_64"
report="$ROOT/build/bench/report.md"
mkdir -p "$(dirname "$report")"
bench_queues Office Backup Labels
# launch EXE: starts it and waits for its icon, and a second more; ZV_PID is its process id.
launch() { launch_zorvane "$1"; wait_for "$ICON_WAIT" "the icon of $1" tray_shown; sleep 1; }
# close TITLE: closes the program whose window bears the title and waits for its icon to go.
close() { WINE "$B/zorvane_bench.exe" close "$1" >/dev/null 2>&1; wait_for 10 "$1's icon going" no tray_shown; }
# One start first, so that the measured ones are no first run (the shortcut exists); a first run
# resets the options, so the splash is switched off only after it.
launch "$B/ZORVANE.EXE"
close Zorvane
set_option "Show Splash Screen" 0

echo "bench: menu rebuilds" >&2
menu=$(WINE "$B/zorvane_bench.exe" menu)
echo "bench: catalogue" >&2
catalogue=$(WINE "$B/zorvane_bench.exe" catalogue)
echo "bench: switching" >&2
switch=$(WINE "$B/zorvane_bench.exe" switch 60)

# Start-up: from process start until the icon is in the tray, alternating with the minimal program.
# Each start begins once the one before has ended, its process included, not only its icon.
startup_once() {  # EXE TITLE -> milliseconds
  local start end
  start=$(date +%s%N)
  launch_zorvane "$1"
  POLL=0.01 wait_until 10 tray_shown || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
  sleep 0.5
  close "$2"
  wait "$ZV_PID"
  sleep 0.3
}
echo "bench: start-up" >&2
zs=() ms=()
for _ in $(seq 1 11); do
  zs+=("$(startup_once "$B/ZORVANE.EXE" Zorvane)")
  ms+=("$(startup_once "$B/min_tray.exe" MinTray)")
done
stats() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {printf "%d %d %d", a[int((NR+1)/2)], a[1], a[NR]}'; }
read -r zmed zmin zmax <<<"$(stats "${zs[@]}")"
read -r mmed mmin mmax <<<"$(stats "${ms[@]}")"

# The Linux process's own figures: Wine reports no private bytes or object counts.
linux() {  # PID -> "rss_kb anon_kb fds"
  echo "$(awk '/^VmRSS/ {print $2}' /proc/$1/status) $(awk '/^RssAnon/ {print $2}' /proc/$1/status) $(ls /proc/$1/fd | wc -l)"
}
echo "bench: memory and objects" >&2
launch "$B/ZORVANE.EXE"
zpid=$ZV_PID
z0=$(WINE "$B/zorvane_bench.exe" probe Zorvane 0)
zl0=$(linux $zpid)
z1=$(WINE "$B/zorvane_bench.exe" probe Zorvane 1000)
zl1=$(linux $zpid)
close Zorvane
launch "$B/min_tray.exe"
mpid=$ZV_PID
m0=$(WINE "$B/zorvane_bench.exe" probe MinTray 0)
ml0=$(linux $mpid)
close MinTray

# A minute of idling with the printer following the network: the program's own processor time.
echo "bench: a minute of idling" >&2
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$1/stat"; }
set_option "Remember Printer per Network" 0xffffffff
# With an organisation's rules present, as a deployment writes them: read at a move, not at each look.
for rule in 10.0.0.0/8 192.168.0.0/16 corp.example.com; do
  WINE reg add 'HKLM\Software\Policies\Zorvane\Networks' /v "$rule" /d Printer /f /reg:64 >/dev/null 2>&1
done
launch "$B/ZORVANE.EXE"
idle0=$(cpu_ms "$ZV_PID")
sleep 60
idle1=$(cpu_ms "$ZV_PID")
close Zorvane
set_option "Remember Printer per Network" 0
WINE reg delete 'HKLM\Software\Policies\Zorvane' /f /reg:64 >/dev/null 2>&1

sizes=""
for t in i686 x86_64; do
  strip=$t-w64-mingw32-strip
  cp "$ROOT/build/$t/ZORVANE.EXE" "$ROOT/build/bench/ZORVANE-$t.EXE"
  $strip "$ROOT/build/bench/ZORVANE-$t.EXE"
  sizes="$sizes| Size, stripped ZORVANE.EXE ($t) | $(stat -c %s "$ROOT/build/bench/ZORVANE-$t.EXE") bytes | | |"$'\n'
done

field() { awk -v k="$2" '{for (i = 1; i < NF; i++) if ($i == k) print $(i + 1)}' <<<"$1"; }
{
  echo "# Zorvane benchmark ($(date -u +%Y-%m-%d), x86_64 under Wine $("$(wine_loader x86_64)" --version 2>/dev/null), $(nproc) cores)"
  echo
  echo "| figure | median | min | max | goal |"
  echo "|---|---|---|---|---|"
  while read -r _ n med min max floor; do
    [ "$n" = n ] && continue
    echo "| Menu rebuild + re-apply, $n printers (us per printer) | $med | $min | $max | |"
    if [ "$n" -ge 1000 ]; then
      r=$(echo "scale=2; $med / $floor" | bc)
      echo "| Menu rebuild against the bare platform menu (create, sort, insert, destroy: $floor us), $n printers | $r | | | at most 2: $([ "$(echo "$r <= 2" | bc)" = 1 ] && echo met || echo missed) |"
    fi
    [ "$n" = 1000 ] && m1000=$med
    [ "$n" = 10000 ] && m10000=$med
  done <<<"$menu"
  growth=$(echo "scale=2; ($m10000 * 10000) / ($m1000 * 1000)" | bc)
  echo "| Menu rebuild growth, 1,000 to 10,000 printers (times) | $growth | | | at most 12: $([ "$(echo "$growth <= 12" | bc)" = 1 ] && echo met || echo missed) |"
  read -r _ _ pmed pmin pmax _ fmed fmin fmax _ nmed nmin nmax <<<"$switch"
  ratio=$(echo "scale=2; $pmed / $fmed" | bc)
  echo "| Switching: choosing a printer entry (us) | $pmed | $pmin | $pmax | |"
  echo "| Switching: profile write + broadcast alone (us) | $fmed | $fmin | $fmax | |"
  echo "| Switching ratio | $ratio | | | at most 1.2: $([ "$(echo "$ratio <= 1.2" | bc)" = 1 ] && echo met || echo missed) |"
  echo "| Switching without the CUPS step, as on Windows (us) | $nmed | $nmin | $nmax | ratio $(echo "scale=2; $nmed / $fmed" | bc) |"
  echo "| Start-up to icon, Zorvane (ms) | $zmed | $zmin | $zmax | |"
  echo "| Start-up to icon, minimal tray program (ms) | $mmed | $mmin | $mmax | |"
  sratio=$(echo "scale=2; $zmed / $mmed" | bc)
  echo "| Start-up ratio | $sratio | | | at most 1.3: $([ "$(echo "$sratio <= 1.3" | bc)" = 1 ] && echo met || echo missed) |"
  for k in working_set_kb private_kb handles user gdi; do
    a=$(field "$z0" $k); b=$(field "$z1" $k); c=$(field "$m0" $k)
    echo "| $k: Zorvane after start-up / after 1,000 rebuilds / minimal program | $a / $b / $c | | | |"
  done
  read -r zr0 za0 zf0 <<<"$zl0"; read -r zr1 za1 zf1 <<<"$zl1"; read -r mr0 ma0 mf0 <<<"$ml0"
  echo "| Linux resident KB: Zorvane after start-up / after 1,000 rebuilds / minimal program | $zr0 / $zr1 / $mr0 | | | |"
  echo "| Linux anonymous (private) KB: the same | $za0 / $za1 / $ma0 | | | no growth: $([ "$za1" -le "$((za0 + 64))" ] && echo met || echo missed) |"
  echo "| Linux open descriptors: the same | $zf0 / $zf1 / $mf0 | | | no growth: $([ "$zf1" -le "$zf0" ] && echo met || echo missed) |"
  read -r _ _ ce _ cr _ we _ wres <<<"$catalogue"
  echo "| Catalogue in a fresh process: enumerate / resolve the default with its driver settings (us) | $ce / $cr | | | |"
  echo "| The same, a second catalogue in that process (us) | $we / $wres | | | |"
  wr=$(echo "scale=2; $(field "$z0" working_set_kb) / $(field "$m0" working_set_kb)" | bc)
  echo "| Working set ratio to the minimal program | $wr | | | at most 1.5: $([ "$(echo "$wr <= 1.5" | bc)" = 1 ] && echo met || echo missed) |"
  echo "| Processor time over a minute of idling, following the network, rules present (ms) | $((idle1 - idle0)) | | | |"
  printf '%s' "$sizes"
} >"$report"
cat "$report"
