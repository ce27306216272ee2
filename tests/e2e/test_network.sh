#!/usr/bin/env bash
# The printer per network, in a namespace with two links to gateways that lead nowhere, where Wine's whole
# session runs (its services answer network questions) with a prefix and CUPS of its own; policy rules.
source "$(dirname "$0")/lib.sh"  # skips as every test does, before the namespace
if [ -z "${ZV_IN_NETNS:-}" ]; then
  unshare -n true 2>/dev/null || { echo "no network namespaces on this machine; skipped"; exit 77; }
  exec env ZV_IN_NETNS=1 unshare -n bash "$0" "$@"
fi
BENCH_DIR="$ROOT/build/bench/netns"
bench_env
trap 'on_exit; bench_stop' EXIT
ip link set lo up
for n in 1 2; do
  ip link add "net$n" type veth peer name "peer$n" || { echo "no virtual links here; skipped"; exit 77; }
  ip link set "net$n" up && ip link set "peer$n" up
  ip addr add "10.$n.0.2/24" dev "net$n"
done
move_to() { ip route replace default via "10.$1.0.1" dev "net$1"; }
router() { ip neigh replace "10.$1.0.1" lladdr "02:00:00:00:0$1:0$2" dev "net$1" nud permanent; }  # router N R: it answered
known() { SEEN=$(WINE reg query "$SETTINGS\\Networks" | grep -c "10\.$1\.0\.1 .* 02-") || true; [ "$SEEN" -gt 0 ]; }
# visit N R: a moment without a network (shorter than the program's look), then network N behind router R.
visit() { ip route del default; sleep 1; router "$1" "$2"; move_to "$1"; }
router 1 1
move_to 1
{ bench_cups && bench_prefix; } </dev/null &>/dev/null || exit 1  # ctest would wait for what holds our output
POLICY='HKLM\Software\Policies\Zorvane'  # the machine's, in the 64-bit view where Group Policy writes
policy() { WINE reg "$@" /reg:64 >/dev/null 2>&1; }
policy delete "$POLICY" /f || true  # the prefix is kept between runs

bench_queues Ink Laser
set_option "Remember Printer per Network" 0  # a first run (a fresh prefix) resets it all the same
empty_tray
launch_zorvane
wait_for "$ICON_WAIT" "the icon" tray_shown
menu - o n  # Options, Remember Printer per Network
check "the option is kept on" wait_until 10 reg_is "$SETTINGS" "Remember Printer per Network" 0xffffffff
menu - Up Up Return  # Ink, on network 1
check "Ink chosen on network 1" wait_until 15 profile_is "Ink,,"
move_to 2
menu - Up Return  # Laser
check "Laser chosen on network 2 before its router answered" wait_until 15 profile_is "Laser,,"
sleep 2 && router 2 1
wait_for 15 "network 2's router seen" known 2
move_to 1
check "back on network 1, Ink is the default again" wait_until 15 profile_is "Ink,*"
check "and CUPS's" wait_until 10 cups_default_is Ink
visit 1 2  # a friend's flat: the same gateway address as network 1, another router
menu - Up Return
check "Laser chosen behind network 1's gateway, at another router" wait_until 15 profile_is "Laser,*"
visit 1 1
check "at network 1's own router, Ink again" wait_until 15 profile_is "Ink,*"
check "Exit ends the program" exit_zorvane

move_to 2
launch_zorvane
check "a start on network 2, its router known at once, makes Laser the default" wait_until 60 profile_is "Laser,*"
check "Exit ends the program" exit_zorvane

# A first run: the StartUp shortcut deleted by hand resets the options, and keeps the networks.
startup=$(reg_query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' StartUp)
rm -f "$(WINE winepath -u "$startup\\Sets Windows 95 Default Printer.LNK")"
set_option "Show Port Information" 1
policy add "$POLICY\\Networks" /v 10.1.0.0/16 /d Laser /f  # network 1's subnet
policy add "$POLICY" /v "Show Port Information" /t REG_DWORD /d 1 /f
launch_zorvane  # on network 2
check "a first run resets the options" wait_until 60 reg_is "$SETTINGS" "Show Port Information" 0x0
move_to 1
check "the rule for network 1's subnet makes Laser the default, the user's option off" wait_until 15 profile_is "Laser,*"
menu - o s Escape Escape  # Options, Show Port Information: greyed
check "the option the policy forces cannot be changed from the menu" no wait_until 2 reg_is "$SETTINGS" "Show Port Information" 0xffffffff
menu - o n  # Remember Printer per Network
move_to 2
sleep 9  # three of the program's looks (one each 3 s): one at least sees network 2
move_to 1
check "the networks remembered before the first run are kept: the user's Ink wins over the rule" wait_until 15 profile_is "Ink,*"

# Whose default it is. A start with no rules and the option off: nothing watches the network.
check "Exit ends the program" exit_zorvane
policy delete "$POLICY" /f || true
set_option "Remember Printer per Network" 0
WINE reg delete "$SETTINGS\\Networks" /f >/dev/null 2>&1 || true
move_to 2
launch_zorvane
wait_for 60 "the icon" tray_shown
menu - Up Up Return  # Ink
check "Ink chosen on network 2" wait_until 15 profile_is "Ink,*"
policy add "$POLICY\\Networks" /v 10.1.0.0/16 /d Laser /f  # deployed while it runs, announcing nothing
policy add "$POLICY\\Networks" /v 10.2.0.0/16 /d Ink /f
policy add "$POLICY" /v "Remember Printer per Network" /t REG_DWORD /d 1 /f
sleep 1 && move_to 1
check "a rule deployed while the program runs applies at the next move" wait_until 15 profile_is "Laser,*"
move_to 2
check "and network 2's rule at the move back" wait_until 15 profile_is "Ink,*"
WINE "$BUILD/tests/set_default.exe" "Laser,winspool,CUPS:Laser" >/dev/null  # changed elsewhere: the user's
check "Laser, set elsewhere, is remembered for network 2" wait_until 15 known 2
move_to 1  # the rule names the default of the moment
sleep 9 && WINE "$BUILD/tests/set_default.exe" "Laser,winspool,CUPS:Laser" >/dev/null  # announces no change
check "the rule's printer is not remembered as the user's" no wait_until 4 known 1
policy add "$POLICY\\Networks" /v 10.1.0.0/16 /d Ink /f  # the administrator names another printer
move_to 2
sleep 9  # three looks: one at least sees it; Laser, remembered for it, is the default already
move_to 1
check "the administrator's new printer arrives at the next visit" wait_until 15 profile_is "Ink,*"
WINE reg add "$SETTINGS\\Networks\\10.2.0.1  02-00-00-00-02-01" /v Device /d Gone /f >/dev/null
menu - Up Return  # Laser, by the user, on network 1
check "Laser chosen on network 1" wait_until 15 profile_is "Laser,*"
move_to 2
check "a remembered printer that has gone gives way to the rule" wait_until 15 profile_is "Ink,*"
check "and is forgotten" no known 2

# UnInstall leaves nothing: a change announced elsewhere while its question is up is no work for after it.
menu - Down Down Return
window_opens "UnInstall asks first" uninstall-question-network
WINE "$BUILD/tests/set_default.exe" "Laser,winspool,CUPS:Laser" >/dev/null
xdotool key y  # Yes
check "UnInstall ended the program" wait_until 15 ended "$ZV_PID"
settings_gone() { SEEN=$(WINE reg query "$SETTINGS" 2>&1) || true; [[ -z $SEEN || $SEEN == *"nable to find"* ]]; }
check "and left no settings, no network remembered, behind" settings_gone
