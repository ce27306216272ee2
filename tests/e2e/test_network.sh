#!/usr/bin/env bash
# The printer follows the network: in a network namespace of its own, with two links to two gateways
# that lead nowhere, the printer chosen on a network comes back when the machine returns to it, also to
# a network whose router answered only after the choice; two routers behind one gateway address are two
# networks; a first run keeps what was remembered; and with the option off nothing follows a move. A rule
# of the organisation, written to the machine's policy key as a deployment writes it, sets the printer of
# its network with the option off, the user's own choice there wins, and an option the policy forces
# cannot be changed from the menu. Wine answers network questions from its own services, so its whole session runs inside the namespace, with
# a prefix and a CUPS of its own, sharing only the display.
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
# visit N R: a moment without a network (shorter than the program's look), then network N behind router R.
visit() { ip route del default; sleep 1; router "$1" "$2"; move_to "$1"; }
# remembered_for N R: the printer of network N is kept under its router R, none under its gateway alone.
remembered_for() {
  local known=",10\.$1\.0\.1 [^,]* 02-00-00-00-0$1-0$2," alone=",10\.$1\.0\.1( [^ ,]*)?,"
  SEEN=,$(WINE reg query "$SETTINGS\\Networks" | sed -n 's/^.*\\Networks\\//p' | paste -sd,),
  [[ $SEEN =~ $known ]] && ! [[ $SEEN =~ $alone ]]
}
router 1 1
move_to 1
# Started without our output: ctest waits for whatever holds it.
{ bench_cups && bench_prefix; } </dev/null &>/dev/null || exit 1
# The machine's policy key, in the 64-bit view where Group Policy writes (the prefix is kept between runs).
POLICY='HKLM\Software\Policies\Zorvane'
policy() { WINE reg "$@" /reg:64 >/dev/null 2>&1; }
policy delete "$POLICY" /f || true

bench_queues Ink Laser
set_option "Remember Printer per Network" 0
ENTRIES=(Laser Ink)
empty_tray
launch_zorvane
await 60 "the icon" tray_shown
menu - o n  # Options, Remember Printer per Network
check "the option is kept on" wait_until 10 reg_is "$SETTINGS" "Remember Printer per Network" 0xffffffff
menu - Up Up Return  # Ink, on network 1
check "Ink chosen on network 1" wait_until 15 profile_is "Ink,,"
move_to 2  # its router has yet to answer
menu - Up Return  # Laser
check "Laser chosen on network 2 before its router answered" wait_until 15 profile_is "Laser,,"
sleep 2
router 2 1
check "and kept for network 2's router once it answered" wait_until 15 remembered_for 2 1
move_to 1
check "back on network 1, Ink is the default again" wait_until 15 profile_is "Ink,*"
check "CUPS's too" wait_until 10 cups_default_is Ink
check "and the menu's check mark is on Ink" checked_entry Ink

visit 1 2  # a friend's flat: the same gateway address as network 1, another router
menu - Up Return
check "Laser chosen behind network 1's gateway, at another router" wait_until 15 profile_is "Laser,*"
visit 1 1
check "at network 1's own router, Ink again" wait_until 15 profile_is "Ink,*"
visit 1 2
check "at the other router, Laser again" wait_until 15 profile_is "Laser,*"
visit 1 1
check "and Ink at network 1's" wait_until 15 profile_is "Ink,*"

check "Exit ends the program" exit_zorvane
move_to 2
launch_zorvane
check "a start on network 2, its router known at once, makes Laser the default" wait_until 60 profile_is "Laser,*"
move_to 1
check "and a move back to network 1 brings Ink" wait_until 15 profile_is "Ink,*"

menu - o n
check "the option is kept off" wait_until 10 reg_is "$SETTINGS" "Remember Printer per Network" 0x0
move_to 2
check "with the option off nothing follows a move" no wait_until 8 profile_is "Laser,*"
check "Exit ends the program" exit_zorvane

# A first run: the StartUp shortcut deleted by hand resets the options, and keeps the networks.
startup=$(reg_query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' StartUp)
rm -f "$(WINE winepath -u "$startup\\Sets Windows 95 Default Printer.LNK")"
set_option "Show Port Information" 1
policy add "$POLICY\\Networks" /v 10.1.0.0/16 /d Laser /f  # network 1's subnet
policy add "$POLICY" /v "Show Port Information" /t REG_DWORD /d 1 /f
launch_zorvane  # on network 2
await 60 "the icon after a first run" tray_shown
check "a first run resets the options" wait_until 10 reg_is "$SETTINGS" "Show Port Information" 0x0
move_to 1
check "the rule for network 1's subnet makes Laser the default, the user's option off" wait_until 15 profile_is "Laser,*"
menu - o
screenshot network-policy-options  # Show Port Information greyed, with its check mark
xdotool key s Escape Escape
check "the option the policy forces cannot be changed from the menu" no wait_until 2 reg_is "$SETTINGS" "Show Port Information" 0xffffffff
menu - o n
check "the option is kept on" wait_until 10 reg_is "$SETTINGS" "Remember Printer per Network" 0xffffffff
move_to 2
sleep 4  # a look at the network sees it
move_to 1
check "the networks remembered before it are kept: the user's Ink wins over the rule on network 1" wait_until 15 profile_is "Ink,*"
check "Exit ends the program" exit_zorvane
