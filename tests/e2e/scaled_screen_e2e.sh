#!/usr/bin/env bash
# The resolution row on scaled X11 screens, as desktops set the scale: Xft.dpi 192 (200 %) on a
# 3840x2160 screen, 144 (150 %) on a 2560x1440 one, and 96 (100 %) on a 1280x800 one. The row
# must show the screen's own pixels, read as a screen reader reads it; a screenshot of each
# scale is saved.
# Usage: scaled_screen_e2e.sh QUELMARN OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/atspi_lib.sh"
app="$1"
out="$2"
rm -rf "$out"
mkdir -p "$out"

# Runs the application on a screen of $1 pixels at Xft.dpi $2 and checks that the row reads $3;
# the screenshot goes to $out/$4.png.
check_screen() {
    local size="$1" dpi="$2" expected="$3" name="$4"
    E2E_PIDS=()
    export XDG_RUNTIME_DIR="$(mktemp -d)"
    chmod 700 "$XDG_RUNTIME_DIR"
    VIRTUAL_DISPLAY_SIZE="$size" e2e_start_display
    xrdb -merge <<<"Xft.dpi: $dpi"
    e2e_start_accessibility_bus "$out/$name.bus"
    e2e_start_app "$app" "$out/$name.log"
    local window
    window="$(e2e_window quelmarn)"
    [[ -n "$window" ]] || e2e_fail "the main window did not appear on $size at $dpi dpi"
    e2e_wait_for_line "$out/$name.log" 10 'the fan speed is '
    sleep 1
    e2e_dump_accessible_tree "$out/$name.atspi"
    e2e_expect_element "$out/$name.atspi" "\\[label\\] \"分辨率：$expected\""
    echo "$size at Xft.dpi $dpi: $(grep -o "分辨率：[^\"]*" "$out/$name.atspi")"
    e2e_screenshot "$window" "$out/$name.png"
    e2e_cleanup
    rm -rf "$XDG_RUNTIME_DIR"
}

check_screen 3840x2160 192 '3840\*2160 \(高清屏\)' scale-2
check_screen 2560x1440 144 '2560\*1440 \(高清屏\)' scale-1.5
check_screen 1280x800 96 '1280\*800 \(非高清屏\)' scale-1
