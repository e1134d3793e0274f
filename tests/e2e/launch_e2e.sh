#!/usr/bin/env bash
# The real application on a virtual display: it shows its window at a fixed size and writes the
# eleven launch lines; a second start raises the covered window, presents its startup id to the
# window manager and ends; without a tray, closing the window ends the application; a killed
# instance's socket does not keep the next start from running, and two starts at the same moment
# leave one process and one window.
# Usage: launch_e2e.sh QUELMARN OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1" out="$2"
e2e_private_session "$out"
e2e_start_app_window "$app" "$out/launch.log"
window="$E2E_WINDOW"

# The eleven lines, in order, with their ASCII colons and six decimals for the temperature.
expected=('CPU: ' 'CPU 速度: ' 'CPU 数量: ' '内存: [0-9]+$' '系统: ' '系统版本: ' 'UUID '
          '机器型号 ' 'CPU温度:[0-9]+\.[0-9]{6}$' 'the fan num is -?[0-9]+$'
          'the fan speed is -?[0-9]+$')
mapfile -t lines < <(grep -E '\] (CPU|内存|系统|UUID|机器型号|the fan)' "$out/launch.log" |
                     sed -E 's/^[0-9-]+ [0-9:.]+ [^ ]+\[[0-9]+\] //')
[[ "${#lines[@]}" -eq 11 ]] || e2e_fail "expected 11 launch lines, got ${#lines[@]}"
for i in "${!expected[@]}"; do
    [[ "${lines[$i]}" =~ ^${expected[$i]} ]] || e2e_fail "line $((i + 1)) '${lines[$i]}' is not '${expected[$i]}'"
done
# Without any sensor (as on a virtual machine) each of the six sensor reads of the launch and the
# device panel says so on standard output.
if ! compgen -G "/sys/class/hwmon/hwmon*" >/dev/null && ! compgen -G "/sys/class/thermal/thermal_zone*" >/dev/null; then
    missing="$(grep -c '^Error: no SMC found$' "$out/launch.log.stdout" || true)"
    [[ "$missing" -eq 6 ]] || e2e_fail "expected 6 'Error: no SMC found' lines, got $missing"
fi
sleep 0.5  # the first frame
e2e_screenshot "$window" "$out/device-panel.png"

# The window keeps the size its panels were laid out for: the window manager may not resize it.
hints="$(xprop -id "$window" WM_NORMAL_HINTS)"
min_size="$(sed -nE 's/.*minimum size: ([0-9]+ by [0-9]+).*/\1/p' <<<"$hints")"
max_size="$(sed -nE 's/.*maximum size: ([0-9]+ by [0-9]+).*/\1/p' <<<"$hints")"
[[ -n "$min_size" && "$min_size" == "$max_size" ]] ||
    e2e_fail "the window is resizable: minimum '$min_size', maximum '$max_size'"

# A second start raises the window from under another one and ends; the socket stays the
# running instance's.
socket="$XDG_RUNTIME_DIR/quelmarn-$(id -u)"
inode="$(stat -c %i "$socket")"
xev -geometry 1000x700+0+0 >/dev/null &
cover_pid=$!
E2E_PIDS+=("$cover_pid")
cover="$(e2e_window 'Event Tester')"
[[ -n "$cover" ]] || e2e_fail "the covering window did not appear"
# Whether window $1 is stacked above window $2 (xwininfo lists the root's children top first).
above() {
    local order
    order="$(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+' | tr -d ' ')"
    [[ "$(grep -nx "$(printf '0x%x' "$1")" <<<"$order" | cut -d: -f1)" -lt \
       "$(grep -nx "$(printf '0x%x' "$2")" <<<"$order" | cut -d: -f1)" ]]
}
above "$cover" "$window" || e2e_fail "the covering window is not above the main window"
# The launcher's startup id reaches the window manager: the window carries it, and the startup
# is declared complete ("remove: ID=..." in 20-byte pieces, here three).
xev -root -event property >"$out/root-events.log" 2>&1 &
E2E_PIDS+=("$!")
sleep 0.3
startup_id="e2e-launcher-12-host-quelmarn-0_TIME4242"
DESKTOP_STARTUP_ID="$startup_id" "$app" >"$out/second.stdout" 2>"$out/second.log" ||
    e2e_fail "the second start failed"
for _ in $(seq 50); do above "$window" "$cover" && break; sleep 0.1; done
above "$window" "$cover" || e2e_fail "the second start did not raise the covered window"
[[ "$(xprop -id "$window" _NET_STARTUP_ID)" == "_NET_STARTUP_ID(UTF8_STRING) = \"$startup_id\"" ]] ||
    e2e_fail "the window does not carry the second start's startup id: $(xprop -id "$window" _NET_STARTUP_ID)"
for _ in $(seq 20); do [[ "$(grep -c '(_NET_STARTUP_INFO' "$out/root-events.log")" -ge 3 ]] && break; sleep 0.1; done
[[ "$(grep -c '(_NET_STARTUP_INFO_BEGIN)' "$out/root-events.log")" -eq 1 &&
   "$(grep -c '(_NET_STARTUP_INFO)' "$out/root-events.log")" -eq 2 ]] ||
    e2e_fail "the startup was not declared complete: $(grep -c '_NET_STARTUP_INFO' "$out/root-events.log") pieces"
[[ "$(stat -c %i "$socket")" == "$inode" ]] || e2e_fail "the second start replaced the running instance's socket"
kill "$cover_pid"

# Without a tray to come back from, closing the window ends the application.
xdotool windowfocus --sync "$window"
xdotool key ctrl+w
for _ in $(seq 50); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "closing the window without a tray left the application running"

# An instance that crashed leaves its socket behind; the next start is not kept from running.
e2e_start_app "$app" "$out/crashing.log"
e2e_window quelmarn >/dev/null || e2e_fail "the window did not appear again"
kill -KILL "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
[[ -S "$socket" ]] || e2e_fail "the killed instance left no socket to test with"

# Two starts at the same moment leave one process and one window.
e2e_start_app "$app" "$out/together-1.log"
first=$E2E_APP_PID
e2e_start_app "$app" "$out/together-2.log"
second=$E2E_APP_PID
e2e_window quelmarn >/dev/null || e2e_fail "neither of two starts together showed a window"
for _ in $(seq 100); do
    kill -0 "$first" 2>/dev/null && kill -0 "$second" 2>/dev/null || break
    sleep 0.1
done
alive=0
for pid in "$first" "$second"; do kill -0 "$pid" 2>/dev/null && alive=$((alive + 1)); done
[[ "$alive" -eq 1 ]] || e2e_fail "two starts together left $alive processes running"
windows="$(xdotool search --onlyvisible --name '^quelmarn$' | wc -l)"
[[ "$windows" -eq 1 ]] || e2e_fail "two starts together left $windows windows"
