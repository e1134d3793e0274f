#!/usr/bin/env bash
# What a screen reader gets: the real application on a virtual display with an accessibility
# bus of the test's own (a private session bus and the AT-SPI bus launcher it activates), read
# with pyatspi as Orca reads it. The three panels are dumped and checked: every command, the
# search box and its clear button have Chinese names; each device row is one read-only text
# named by its text, with no separate element for its icon; the lookup answer carries the
# page's text.
# Runs in a network namespace of its own when root, so the lookup service's fixed port is free.
# Usage: accessibility_e2e.sh QUELMARN QUELMARN_LOOKUPD OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/atspi_lib.sh"
e2e_own_network "$@"
app="$1" service="$2" out="$3"
e2e_private_session "$out"
e2e_start_lookup_service "$service" "$out"
e2e_start_accessibility_bus "$out/bus.address"

e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"

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
serial="$E2E_SAMPLE_SERIAL"
e2e_look_up "$window" "$serial" "$out/app.log"
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
