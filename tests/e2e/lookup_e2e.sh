#!/usr/bin/env bash
# The real application and the real lookup service on a virtual display: a typed serial number
# shows the service's page and logs "finish load"; with the service stopped the lookup fails,
# the alert appears and is dismissed, and the application goes on.
# Usage: lookup_e2e.sh QUELMARN QUELMARN_LOOKUPD OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1" service="$2" out="$3"
e2e_private_session "$out"

# The application looks up at 127.0.0.1:47180: the service must be ours and on that port.
if (exec 3<>/dev/tcp/127.0.0.1/47180) 2>/dev/null; then
    e2e_fail "something already listens on 127.0.0.1:47180"
fi
e2e_start_lookup_service "$service" "$out"
e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"

# Type a registered serial into the search box and press Enter.
e2e_look_up "$window" "$E2E_SAMPLE_SERIAL" "$out/app.log"
grep -q "POST /inapp.php 200" "$out/lookupd.log" || e2e_fail "the service did not answer the lookup"
sleep 1
e2e_screenshot "$window" "$out/lookup-panel.png"

# Stop the service and look up again: the alert must appear, and Return dismisses it.
kill "$E2E_SERVICE_PID"
wait "$E2E_SERVICE_PID" 2>/dev/null || true
xdotool windowfocus --sync "$window"
xdotool key ctrl+f Return
e2e_wait_for_line "$out/app.log" 30 '\] did fail load$'
e2e_wait_for_line "$out/app.log" 5 '\] error is '
sleep 1
e2e_take_alert "$window" "$out/alert.png"
alert="$E2E_ALERT"
xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^quelmarn$' | grep -qx "$alert" || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^quelmarn$' | grep -qx "$alert" && e2e_fail "the alert stayed"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
