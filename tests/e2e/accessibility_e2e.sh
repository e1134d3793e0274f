#!/usr/bin/env bash
# What a screen reader gets: the real application on a virtual display with an accessibility
# bus of the test's own (a private session bus and the AT-SPI bus launcher it activates), read
# with pyatspi as Orca reads it. The three panels are dumped and checked: every command, the
# search box and its clear button have Chinese names; each device row is one read-only text
# named by its text, with no separate element for its icon; the lookup answer carries the
# page's text.
# Runs in a network namespace of its own when root, so the lookup service's fixed port is free.
# Usage: accessibility_e2e.sh QUELMARN QUELMARN_LOOKUPD OUTPUT_DIR
if [[ "$(id -u)" == 0 && "${ACCESSIBILITY_E2E_INSIDE:-}" != 1 ]]; then
    ACCESSIBILITY_E2E_INSIDE=1 exec unshare --net bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/atspi_lib.sh"
app="$1"
service="$2"
out="$3"
rm -rf "$out"
mkdir -p "$out"
[[ "${ACCESSIBILITY_E2E_INSIDE:-}" == 1 ]] && ip link set lo up
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"

"$service" --port 47180 --database "$out/devices.sqlite3" 2>"$out/lookupd.log" &
E2E_PIDS+=("$!")
e2e_wait_for_line "$out/lookupd.log" 10 '47180'

e2e_start_display
e2e_start_accessibility_bus "$out/bus.address"

e2e_start_app "$app" "$out/app.log"
window="$(e2e_window quelmarn)"
[[ -n "$window" ]] || e2e_fail "the main window did not appear"
e2e_wait_for_line "$out/app.log" 10 'the fan speed is '

e2e_dump_accessible_tree "$out/device-panel.atspi"
device="$out/device-panel.atspi"
for command in 设备信息 序列号查询 关于 帮助; do
    e2e_expect_element "$device" "^ +\[push button\] \"$command\""
done
e2e_expect_element "$device" '^ +\[(entry|text)\] "序列号搜索框" \{[a-z,-]*editable'
for row in "CPU型号：" "CPU频率：" "内存：" "系统版本：" "型号：" "分辨率：" "CPU温度：" "风扇数："; do
    e2e_expect_element "$device" "^ +\[label\] \"$row[^\"]*\" \{read-only\}$"
done
# The panel holds the eight texts and nothing else: no icon, no editable field.
rows="$(awk '/\[filler\] "设备信息"/ { depth = match($0, /[^ ]/); inside = 1; next }
             inside && match($0, /[^ ]/) <= depth { inside = 0 }
             inside' "$device")"
[[ "$(wc -l <<<"$rows")" == 8 && "$(grep -c '\[label\]' <<<"$rows")" == 8 ]] ||
    e2e_fail "the device panel is not its eight texts alone: $rows"
if grep -qE '\[(image|icon)\]' "$device"; then
    e2e_fail "pictures are exposed as elements: $(grep -E '\[(image|icon)\]' "$device")"
fi

# A lookup: the answer is readable.
serial="QX2K93HT7LMP"  # one of the sample devices a new database holds
xdotool windowfocus --sync "$window"
xdotool key ctrl+f
xdotool type --delay 20 "$serial"
xdotool key Return
e2e_wait_for_line "$out/app.log" 60 '\] finish load$'
sleep 2
e2e_dump_accessible_tree "$out/lookup-panel.atspi"
e2e_expect_element "$out/lookup-panel.atspi" "\"查询结果\".*description=\".*$serial"
# The search box now holds text, so its clear button shows.
e2e_expect_element "$out/lookup-panel.atspi" '^ +\[push button\] "清除搜索框"'

xdotool windowfocus --sync "$window"
xdotool key ctrl+3
sleep 1
e2e_dump_accessible_tree "$out/about-panel.atspi"
e2e_expect_element "$out/about-panel.atspi" '^ +\[label\] "邮箱：[^"]*" \{read-only\}$'
e2e_expect_element "$out/about-panel.atspi" '^ +\[label\] "版本：[^"]*" \{read-only\}$'
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"
echo "dumps: $out/device-panel.atspi $out/lookup-panel.atspi $out/about-panel.atspi"
