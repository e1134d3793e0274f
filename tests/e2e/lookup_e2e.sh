#!/usr/bin/env bash
# The real application and the real lookup service on a virtual display: a typed serial number
# shows the service's page and logs "finish load"; with the service stopped the lookup fails,
# the alert appears and is dismissed, and the application goes on.
# Usage: lookup_e2e.sh QUELMARN QUELMARN_LOOKUPD OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
service="$2"
out="$3"
mkdir -p "$out"
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"

# The application looks up at 127.0.0.1:47180: the service must be ours and on that port.
if (exec 3<>/dev/tcp/127.0.0.1/47180) 2>/dev/null; then
    e2e_fail "something already listens on 127.0.0.1:47180"
fi
"$service" --port 47180 --database "$out/devices.sqlite3" 2>"$out/lookupd.log" &
service_pid=$!
E2E_PIDS+=("$service_pid")
e2e_wait_for_line "$out/lookupd.log" 10 '47180'

e2e_start_display
e2e_start_app "$app" "$out/app.log"
window="$(e2e_window quelmarn)"
[[ -n "$window" ]] || e2e_fail "the main window did not appear"
e2e_wait_for_line "$out/app.log" 10 'the fan speed is '

# Type a registered serial into the search box and press Enter.
serial="QX2K93HT7LMP"  # one of the sample devices a new database holds
xdotool windowfocus --sync "$window"
xdotool key ctrl+f
xdotool type --delay 20 "$serial"
xdotool key Return
e2e_wait_for_line "$out/app.log" 60 '\] finish load$'
grep -q "POST /inapp.php 200" "$out/lookupd.log" || e2e_fail "the service did not answer the lookup"
sleep 1
e2e_screenshot "$window" "$out/lookup-panel.png"

# Stop the service and look up again: the alert must appear, and Return dismisses it.
kill "$service_pid"
wait "$service_pid" 2>/dev/null || true
xdotool windowfocus --sync "$window"
xdotool key ctrl+f Return
e2e_wait_for_line "$out/app.log" 30 '\] did fail load$'
e2e_wait_for_line "$out/app.log" 5 '\] error is '
sleep 1
alert="$(xdotool search --onlyvisible --name '^quelmarn$' | grep -v "^$window\$" | head -1 || true)"
[[ -n "$alert" ]] || e2e_fail "no alert window appeared"
e2e_screenshot "$alert" "$out/alert.png"
xdotool windowfocus --sync "$alert"
xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^quelmarn$' | grep -qx "$alert" || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^quelmarn$' | grep -qx "$alert" && e2e_fail "the alert stayed"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
