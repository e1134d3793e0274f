#!/usr/bin/env bash
# The application built for a site (service at https://localhost:47443) and the service over TLS,
# on a virtual display: while the user's certificate store does not trust the site's authority,
# a lookup sends nothing, alerts and says why in the panel; once it does, the answer is shown.
# Usage: site_https_e2e.sh QUELMARN_SITE_BUILD QUELMARN_LOOKUPD OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../site/site_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
service="$2"
out="$3"
rm -rf "$out"
mkdir -p "$out/home"
# The web view reads the trusted authorities from the user's NSS database, in this home.
export HOME="$out/home"
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"

if (exec 3<>/dev/tcp/127.0.0.1/47443) 2>/dev/null; then
    e2e_fail "something already listens on 127.0.0.1:47443"
fi
site_make_ca "$out"
site_issue_certificate "$out" service
"$service" --port 47443 --database "$out/devices.sqlite3" \
    --tls-certificate "$out/service.pem" --tls-key "$out/service.key" 2>"$out/lookupd.log" &
E2E_PIDS+=("$!")
e2e_wait_for_line "$out/lookupd.log" 10 'https://127.0.0.1:47443/'
e2e_start_display

# Starts the application with its log in $1 and looks up a registered serial number; sets
# `window`.
look_up() {
    e2e_start_app_window "$app" "$1"
    window="$E2E_WINDOW"
    e2e_look_up "$window" "$E2E_SAMPLE_SERIAL"
}
quit_app() {
    kill "$E2E_APP_PID"
    wait "$E2E_APP_PID" 2>/dev/null || true
}

echo "== the site's authority not trusted: nothing sent, an alert, and the panel says why"
look_up "$out/untrusted.log"
e2e_wait_for_line "$out/untrusted.log" 60 '\] error is .*Code=-1202'
sleep 1
e2e_take_alert "$window" "$out/untrusted-alert.png"
xdotool key Return
sleep 1
e2e_screenshot "$window" "$out/untrusted-panel.png"
if grep -q "POST /inapp.php" "$out/lookupd.log"; then
    e2e_fail "a serial number reached the service over an untrusted connection"
fi
quit_app

echo "== the authority trusted: the answer is shown"
mkdir -p "$HOME/.pki/nssdb"
echo >"$out/nssdb-password"  # an empty password: the database is the user's own
certutil -d "sql:$HOME/.pki/nssdb" -N -f "$out/nssdb-password" </dev/null
certutil -d "sql:$HOME/.pki/nssdb" -A -t "C,," -n "quelmarn test CA" -i "$out/ca.pem"
look_up "$out/trusted.log"
e2e_wait_for_line "$out/trusted.log" 60 '\] finish load$'
grep -q "POST /inapp.php 200" "$out/lookupd.log" || e2e_fail "the service did not answer the lookup"
sleep 1
e2e_screenshot "$window" "$out/trusted-panel.png"
quit_app
echo "PASS"
