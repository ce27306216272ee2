#!/usr/bin/env bash
# One copy runs: of ten started from the release zip, or later from a long path; it stands 300 announcements.
source "$(dirname "$0")/lib.sh"

# The program as a user downloads it: the zip that ./zorvane test packs as a release, its sums checked.
unpacked=$BUILD/unpacked
rm -rf "$unpacked"
unzip -q "$ROOT"/build/package/zorvane-*-windows.zip -d "$unpacked" || fail "no package: run through ./zorvane test"
sums_hold() { (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS); }
check "the package's SHA256SUMS hold for what it holds" sums_hold
packaged=$unpacked/ZORVANE.EXE  # i686 at the top; x86_64 in its folder
[ "$TARGET" = i686 ] || packaged=$unpacked/x86_64/ZORVANE.EXE
check "it holds this build's $TARGET executable there" cmp -s "$packaged" "$EXE"
EXE=$packaged

# The burst announces CUPS's default: changing it (lpoptions) costs Wine two descriptors, hiding a leak.
bench_queues Office
other_spooler_program  # ten copies taking in a changed queue list at once would measure Wine

empty_tray
for i in {1..10}; do launch_zorvane; done
one_runs() {  # exactly one of the copies runs: RUNNING
  RUNNING=($(ps -o pid= -p "${ZV_PIDS[*]}")) || true
  SEEN="${#RUNNING[@]} of ten copies running"; [ "${#RUNNING[@]}" = 1 ]
}
check "of ten copies started at once exactly one keeps running" wait_until 30 one_runs
ZV_PID=${RUNNING[0]}
codes=
for pid in "${ZV_PIDS[@]}"; do [ "$pid" = "$ZV_PID" ] || { wait "$pid" && codes+=" 0" || codes+=" $?"; }; done
check "the others ended with exit code 0" same "$codes" " 0 0 0 0 0 0 0 0 0"
wait_for "$ICON_WAIT" "the icon of the copy that runs" tray_shown

second_copy() { timeout 30 "$ROOT/scripts/wine-run" "$TARGET" "$1" &>/dev/null </dev/null || { SEEN="exit code $?"; false; }; }
titled() { xsearch --name "^$1\$" | sort | tr '\n' ' '; }  # windows by title
renamed=$(titled 'something else')  # what a copy renames a window to; the ten may have done so already
deep=$BUILD/deep$(printf "/$(printf 'folder%.0s' {1..10})%s" {1..6})
mkdir -p "$deep" && cp "$EXE" "$deep/ZORVANE.EXE"
check "a second copy from a path of $((${#deep} + 14)) characters ends with exit code 0" second_copy "$deep/ZORVANE.EXE"
ln -sf "$EXE" "$deep/zorvane.exe"  # the same file under a name in another case, whose title is empty
check "a second copy started as zorvane.exe ends with exit code 0" second_copy "$deep/zorvane.exe"
check "no window was renamed" same "$(titled 'something else')" "$renamed"

linux_figures() { echo "$(awk '/^RssAnon/ {print $2}' "/proc/$ZV_PID/status") $(ls "/proc/$ZV_PID/fd" | wc -l)"; }
read -r anon0 fds0 <<<"$(linux_figures)"
WINE "$BUILD/tests/set_default.exe" "Office,winspool,CUPS:Office" 300 >/dev/null || true
check "the default from elsewhere is written back" wait_until 15 profile_is "Office,,"
read -r anon1 fds1 <<<"$(linux_figures)"
check "no descriptor is left over ($fds0 -> $fds1)" test "$fds1" -le "$fds0"
check "private memory is back where it was, within 1 MB ($anon0 -> $anon1 KB)" test "$anon1" -le $((anon0 + 1024))
check "after the burst its menu answers: Exit ends it" exit_zorvane stress-menu-after-burst
