#!/usr/bin/env bash
# An ordinary user looks up the machine's own serial number while the hostname service takes
# 5 s to answer, as it does while polkit's agent waits for the administrator's password. The
# window must repaint meanwhile (the lookup panel says that it waits for authorization), 设备信息
# (Ctrl+1) must act at once, and the answer that comes after the user left the lookup panel
# must not be posted.
# Everything runs in a network namespace of its own, so the lookup service's fixed port is free.
# Needs root (to make the namespace and switch users).
# Usage: slow_authorization_e2e.sh QUELMARN QUELMARN_LOOKUPD SCRIPTED_HOSTNAMED BUS_CONFIG OUT
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_require_root "make a network namespace and run the application as another user"
e2e_own_network "$@"
app="$1" service="$2" hostnamed_program="$3" bus_config="$4" out="$5"
serial="$E2E_SAMPLE_SERIAL"
e2e_private_session "$out"
e2e_user_session nobody "$bus_config" "$out"
e2e_start_hostnamed "$hostnamed_program" late "$serial" "$out"
e2e_start_lookup_service "$service" "$out"
e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"
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
