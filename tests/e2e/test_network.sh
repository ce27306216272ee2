#!/usr/bin/env bash
# The printer follows the network: in a network namespace of its own, with two links to two gateways
# that lead nowhere, the printer chosen on a network comes back when the machine returns to it, and with
# the option off nothing follows a move. Wine answers network questions from its own services, so its
# whole session runs inside the namespace, with a prefix and a CUPS of its own, sharing only the display.
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
  ip neigh replace "10.$n.0.1" lladdr "02:00:00:00:0$n:01" dev "net$n" nud permanent
done
move_to() { ip route replace default via "10.$1.0.1" dev "net$1"; }
move_to 1
# Started without our output: ctest waits for whatever holds it.
{ bench_cups && bench_prefix; } </dev/null &>/dev/null || exit 1

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
move_to 2
menu - Up Return  # Laser, on network 2
check "Laser chosen on network 2" wait_until 15 profile_is "Laser,,"
move_to 1
check "back on network 1, Ink is the default again" wait_until 15 profile_is "Ink,*"
check "CUPS's too" wait_until 10 cups_default_is Ink
check "and the menu's check mark is on Ink" checked_entry Ink

check "Exit ends the program" exit_zorvane
move_to 2
launch_zorvane
check "a start on network 2 makes Laser the default" wait_until 60 profile_is "Laser,*"
move_to 1
check "and a move back to network 1 brings Ink" wait_until 15 profile_is "Ink,*"

menu - o n
check "the option is kept off" wait_until 10 reg_is "$SETTINGS" "Remember Printer per Network" 0x0
move_to 2
check "with the option off nothing follows a move" no wait_until 8 profile_is "Laser,*"
check "Exit ends the program" exit_zorvane
