#!/usr/bin/env bash
# The real application on a virtual display: it shows its window, writes the eleven launch
# lines, and a second start hands over to it and brings the closed window back.
# Usage: launch_e2e.sh QUELMARN OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
out="$2"
mkdir -p "$out"
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"

e2e_start_display
e2e_start_app "$app" "$out/launch.log"
window="$(e2e_window quelmarn)"
[[ -n "$window" ]] || e2e_fail "the main window did not appear"
e2e_wait_for_line "$out/launch.log" 10 'the fan speed is '

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

# Closing hides the window; starting the application again brings it back and exits.
xdotool windowfocus --sync "$window"
xdotool key ctrl+w
for _ in $(seq 50); do xdotool search --onlyvisible --name "^quelmarn$" >/dev/null || break; sleep 0.1; done
xdotool search --onlyvisible --name "^quelmarn$" >/dev/null && e2e_fail "Ctrl+W did not close the window"
"$app" 2>"$out/second.log" || e2e_fail "the second start failed"
[[ -n "$(e2e_window quelmarn)" ]] || e2e_fail "the second start did not bring the window back"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
