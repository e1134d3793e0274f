#!/usr/bin/env bash
# An ordinary user looks up the machine's own serial number while the hostname service takes
# 5 s to answer, as it does while polkit's agent waits for the administrator's password. The
# window must repaint meanwhile (the lookup panel says that it waits for authorization), 设备信息
# (Ctrl+1) must act at once, and the answer that comes after the user left the lookup panel
# must not be posted.
# Everything runs in a network namespace of its own, so the lookup service's fixed port is free.
# Needs root (to make the namespace and switch users).
# Usage: slow_authorization_e2e.sh QUELMARN QUELMARN_LOOKUPD SCRIPTED_HOSTNAMED BUS_CONFIG OUT
if [[ "$(id -u)" != 0 ]]; then
    echo "SKIP: needs root to make a network namespace and run the application as another user"
    exit 77
fi
if [[ "${SLOW_AUTHORIZATION_E2E_INSIDE:-}" != 1 ]]; then
    SLOW_AUTHORIZATION_E2E_INSIDE=1 exec unshare --net bash "$0" "$@"
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

home="$(mktemp -d)"
runtime="$(mktemp -d)"
chown "$user" "$home" "$runtime"
chmod 700 "$runtime"
bus_dir="$(mktemp -d)"
chmod 755 "$bus_dir"
trap 'e2e_cleanup; rm -rf "$home" "$runtime" "$bus_dir"' EXIT

dbus-daemon --nofork --print-address --config-file="$bus_config" \
    --address="unix:path=$bus_dir/bus" >"$out/bus.address" 2>/dev/null &
E2E_PIDS+=("$!")
e2e_wait_for_line "$out/bus.address" 10 '^unix:'
bus_address="$(head -1 "$out/bus.address")"
"$hostnamed_program" "$bus_address" "$out/hostnamed.calls" late "$serial" \
    >"$out/hostnamed.log" 2>&1 &
E2E_PIDS+=("$!")
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
sleep 1
e2e_screenshot "$window" "$out/device-panel.png"

# How many pixels of window screenshot $1 differ from $2 (beyond anti-aliasing).
differing_pixels() {
    compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
# Waits up to 2 s until the window looks like screenshot $1 (or, with "not", unlike it);
# saves the last look to $2.
wait_for_look() {
    local negate="" expected="$1" saved="$2"
    if [[ "$1" == not ]]; then negate=1 expected="$2" saved="$3"; fi
    for _ in $(seq 20); do
        import -window "$window" "$saved"
        local differing
        differing="$(differing_pixels "$expected" "$saved")"
        if [[ -z "$negate" && "$differing" -lt 500 ]] || [[ -n "$negate" && "$differing" -ge 500 ]]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

xdotool windowfocus --sync "$window"
xdotool key ctrl+2
e2e_wait_for_line "$out/hostnamed.calls" 5 '^GetHardwareSerial interactive=1$'
# While the service has not answered, the window shows the waiting lookup panel...
wait_for_look not "$out/device-panel.png" "$out/waiting.png" ||
    e2e_fail "the window did not repaint while the hostname service was asked"
echo "screenshot: $out/waiting.png"
# ...and the device panel comes back at once.
xdotool key ctrl+1
wait_for_look "$out/device-panel.png" "$out/back-to-device.png" ||
    e2e_fail "Ctrl+1 did not show the device panel while the hostname service was asked"
echo "screenshot: $out/back-to-device.png"
grep -qx answered "$out/hostnamed.log" &&
    e2e_fail "the panels changed only once the hostname service had answered"
echo "the lookup panel was shown and left while the hostname service had not yet answered"

# The answer comes 5 s after the call, for a panel the user has left: nothing is posted.
e2e_wait_for_line "$out/hostnamed.log" 10 '^answered$'
sleep 1
grep -q "POST /inapp.php" "$out/lookupd.log" && e2e_fail "the late answer was posted"
grep -q "序列号 $serial" "$out/app.log" && e2e_fail "the late answer was taken up"
wait_for_look "$out/device-panel.png" "$out/after-answer.png" ||
    e2e_fail "the late answer changed the window"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
