#!/usr/bin/env bash
# Installs what is missing, builds what it runs (the application, its web view module and the
# lookup service), starts the lookup service and runs the application.
# On a machine without a display it runs the application on a virtual display instead, saves a
# screenshot of the main window, prints the launch log and stops.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUELMARN_BUILD_DIR:-$root/build}"
out="$root/out"

"$root/scripts/install-deps.sh"
QUELMARN_BUILD_DIR="$build" "$root/scripts/build.sh" quelmarn quelmarn_webview quelmarn-lookupd
mkdir -p "$out"

app="$build/shell/quelmarn"
service="$build/service/quelmarn-lookupd"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# The application looks serial numbers up at 127.0.0.1:47180; start the service unless one
# already answers there.
if ! (exec 3<>/dev/tcp/127.0.0.1/47180) 2>/dev/null; then
    "$service" --port 47180 2>"$out/lookupd.log" &
    pids+=($!)
    echo "run: lookup service started on 127.0.0.1:47180 (log: $out/lookupd.log)"
fi

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    # Not exec: the service started above is stopped when the application ends.
    "$app"
    exit
fi

echo "run: no display here; running on a virtual display (Xvfb) to take a screenshot"
source "$root/scripts/virtual-display.sh"
start_virtual_display
pids+=("$VIRTUAL_DISPLAY_PID")

"$app" 2>"$out/launch.log" &
app_pid=$!
pids+=("$app_pid")
window="$(timeout 20 xdotool search --sync --onlyvisible --name '^quelmarn$' | head -1)"
sleep 1  # let the first frame paint
shot="$out/quelmarn-device-panel.png"
import -window "$window" "$shot"
echo "run: the launch log (also in the system log):"
sed 's/^/    /' "$out/launch.log"
echo "run: screenshot of the main window saved to $shot"
