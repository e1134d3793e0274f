#!/usr/bin/env bash
# The keyboard alone, on a virtual display: at start the device panel has the keyboard and Ctrl+C
# puts its eight rows on the clipboard; Tab goes 设备信息, 序列号查询, the search box, 关于, 帮助
# and round to the panel, Shift+Tab back; Esc in the search box gives the keyboard back to the
# panel; Ctrl+C there copies the search box's selected text, else the panel's summary, and on
# another panel leaves the clipboard alone.
# Usage: keyboard_e2e.sh QUELMARN OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
out="$2"
e2e_private_session "$out"
e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"
xdotool windowfocus --sync "$window"
sleep 0.5

clipboard() { xclip -selection clipboard -o 2>/dev/null || true; }
set_clipboard() { printf '%s' "$1" | xclip -selection clipboard -i; }
keys() { xdotool key --delay 100 "$@"; sleep 0.3; }
# The clipboard holds the device panel's eight rows, one a line, as the panel shows them.
expect_summary() {
    local rows
    mapfile -t rows < <(clipboard)
    local captions=('CPU型号：' 'CPU频率：[0-9]+\.[0-9]GHz \* ' '内存：[0-9]+\.[0-9]G$' '系统版本：'
                    '型号：' '分辨率：[0-9]+\*[0-9]+ \((高清屏|非高清屏)\)$' 'CPU温度：' '风扇')
    [[ "${#rows[@]}" -eq 8 ]] || e2e_fail "$1: the clipboard holds ${#rows[@]} lines, not the 8 rows: $(clipboard)"
    for i in "${!captions[@]}"; do
        [[ "${rows[$i]}" =~ ^${captions[$i]} ]] || e2e_fail "$1: line $((i + 1)) '${rows[$i]}' is not row $((i + 1))"
    done
    echo "ok: $1"
}
expect_clipboard() {
    [[ "$(clipboard)" == "$2" ]] || e2e_fail "$1: the clipboard holds '$(clipboard)', not '$2'"
    echo "ok: $1"
}

set_clipboard "before"
keys ctrl+c
expect_summary "Ctrl+C at start"
# At start the panel, not the search box, has the keyboard: a letter typed goes nowhere, and
# Ctrl+F then finds the search box empty (nothing selected, so Ctrl+C copies the summary).
keys q ctrl+f
set_clipboard "before"
keys ctrl+c
expect_summary "typing at start reaches no field"
keys Escape

# Tab from the panel: 设备信息, 序列号查询, the search box; typing there types into it.
keys Tab Tab Tab k b 1
set_clipboard "before"
keys ctrl+c
expect_summary "Ctrl+C in the search box with nothing selected"
# Esc gives the keyboard back to the panel: what is typed next does not reach the search box.
keys Escape z
set_clipboard "before"
keys ctrl+c
expect_summary "Ctrl+C after Esc"
# Ctrl+F selects the search box's text, which Ctrl+C then copies: "kb1", without the "z".
keys ctrl+f ctrl+c
expect_clipboard "Ctrl+C with the search box's text selected" "kb1"
# Shift+Tab from the search box: 序列号查询, 设备信息, then round to the panel.
keys shift+Tab shift+Tab shift+Tab
set_clipboard "before"
keys ctrl+c
expect_summary "Shift+Tab round to the panel"
e2e_screenshot "$window" "$out/panel-focus.png"
# Tab from the panel to 关于 (the fourth) and Space: the about panel has nothing to copy.
keys Tab Tab Tab Tab space
set_clipboard "before"
keys ctrl+c
expect_clipboard "Ctrl+C on the about panel" "before"
# Esc goes back to a panel with nothing to type into too (the about panel): a letter typed after
# it does not replace the search box's selected text.
keys ctrl+3 ctrl+f Escape w ctrl+f ctrl+c
expect_clipboard "Esc in the search box on the about panel" "kb1"
e2e_screenshot "$window" "$out/keyboard.png"
