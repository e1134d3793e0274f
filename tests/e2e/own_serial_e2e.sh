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
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
e2e_require_root "make a network namespace and run the application as another user"
e2e_own_network "$@"
app="$1" service="$2" hostnamed_program="$3" bus_config="$4" out="$5"
user="nobody"
serial="$E2E_SAMPLE_SERIAL"
e2e_private_session "$out"
e2e_user_session "$user" "$bus_config" "$out"
e2e_start_hostnamed "$hostnamed_program" answer "$serial" "$out"
e2e_start_lookup_service "$service" "$out"
e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"
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

kill "$E2E_HOSTNAMED_PID"
wait "$E2E_HOSTNAMED_PID" 2>/dev/null || true
xdotool windowfocus --sync "$window"
xdotool key ctrl+2
e2e_wait_for_line "$out/app.log" 20 '\] 序列号 unknown$'
[[ "$(grep -c 'POST /inapp.php' "$out/lookupd.log")" == 1 ]] || e2e_fail "\"unknown\" was posted"
sleep 1
e2e_screenshot "$window" "$out/own-serial-unknown.png"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
