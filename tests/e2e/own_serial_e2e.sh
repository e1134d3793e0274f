#!/usr/bin/env bash
# An ordinary user looks up the machine's own serial number: the application runs as an
# unprivileged user, against a scripted hostname service on a bus of the test's own (given as
# DBUS_SYSTEM_BUS_ADDRESS), with the real lookup service. The launch must not call the hostname
# service; 序列号查询 (Ctrl+2) must call it once, allowing interactive authorization, and post
# its serial number, which the lookup service finds and whose page then shows. With the
# hostname service gone, the panel posts nothing and explains itself.
# Everything runs in a network namespace of its own, so the lookup service's fixed port is free
# and no other run can answer in its place. Needs root (to make the namespace and switch users).
# Usage: own_serial_e2e.sh QUELMARN QUELMARN_LOOKUPD SCRIPTED_HOSTNAMED BUS_CONFIG OUTPUT_DIR
if [[ "$(id -u)" != 0 ]]; then
    echo "SKIP: needs root to make a network namespace and run the application as another user"
    exit 77
fi
if [[ "${OWN_SERIAL_E2E_INSIDE:-}" != 1 ]]; then
    OWN_SERIAL_E2E_INSIDE=1 exec unshare --net bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
service="$2"
hostnamed_program="$3"
bus_config="$4"
out="$5"
user="nobody"
serial="QX2K93HT7LMP"  # one of the sample devices a new database holds
rm -rf "$out"
mkdir -p "$out"
ip link set lo up

# The user's own home and runtime directories; the bus socket where the user can reach it.
home="$(mktemp -d)"
runtime="$(mktemp -d)"
chown "$user" "$home" "$runtime"
chmod 700 "$runtime"
bus_dir="$(mktemp -d)"
chmod 755 "$bus_dir"
E2E_CLEANUP_DIRS=("$home" "$runtime" "$bus_dir")
trap 'e2e_cleanup; rm -rf "${E2E_CLEANUP_DIRS[@]}"' EXIT

dbus-daemon --nofork --print-address --config-file="$bus_config" \
    --address="unix:path=$bus_dir/bus" >"$out/bus.address" 2>/dev/null &
E2E_PIDS+=("$!")
e2e_wait_for_line "$out/bus.address" 10 '^unix:'
bus_address="$(head -1 "$out/bus.address")"
"$hostnamed_program" "$bus_address" "$out/hostnamed.calls" answer "$serial" \
    >"$out/hostnamed.log" 2>&1 &
hostnamed_pid=$!
E2E_PIDS+=("$hostnamed_pid")
e2e_wait_for_line "$out/hostnamed.log" 10 '^ready$'

"$service" --port 47180 --database "$out/devices.sqlite3" 2>"$out/lookupd.log" &
E2E_PIDS+=("$!")
e2e_wait_for_line "$out/lookupd.log" 10 '47180'

e2e_start_display
setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    env HOME="$home" XDG_RUNTIME_DIR="$runtime" DBUS_SYSTEM_BUS_ADDRESS="$bus_address" \
    "$app" 2>"$out/app.log" >"$out/app.log.stdout" &
E2E_APP_PID=$!
E2E_PIDS+=("$E2E_APP_PID")
window="$(e2e_window quelmarn)"
[[ -n "$window" ]] || e2e_fail "the main window did not appear"
e2e_wait_for_line "$out/app.log" 10 'the fan speed is '
[[ "$(ps -o user= -p "$E2E_APP_PID")" == "$user" ]] || e2e_fail "the application is not $user's"
[[ ! -s "$out/hostnamed.calls" ]] || e2e_fail "the launch called the hostname service"

xdotool windowfocus --sync "$window"
xdotool key ctrl+2
e2e_wait_for_line "$out/app.log" 60 '\] finish load$'
grep -q "\] 序列号 $serial\$" "$out/app.log" || e2e_fail "the served serial number was not read"
# The service answers 200 only for a registered serial: the body was "sn=" and exactly that one.
grep -q "POST /inapp.php 200" "$out/lookupd.log" || e2e_fail "the service did not find the serial"
[[ "$(cat "$out/hostnamed.calls")" == "GetHardwareSerial interactive=1" ]] ||
    e2e_fail "expected one call allowing interactive authorization: $(cat "$out/hostnamed.calls")"
sleep 1
e2e_screenshot "$window" "$out/own-serial-lookup.png"

kill "$hostnamed_pid"
wait "$hostnamed_pid" 2>/dev/null || true
xdotool windowfocus --sync "$window"
xdotool key ctrl+2
e2e_wait_for_line "$out/app.log" 20 '\] 序列号 unknown$'
[[ "$(grep -c 'POST /inapp.php' "$out/lookupd.log")" == 1 ]] || e2e_fail "\"unknown\" was posted"
sleep 1
e2e_screenshot "$window" "$out/own-serial-unknown.png"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
