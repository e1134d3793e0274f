#!/usr/bin/env bash
# The real application on a virtual display with a real tray (trayer): closing the window (Ctrl+W)
# hides it and the application keeps running; the tray icon's click, its menu's 显示主窗口 and a
# second start each bring back the same window (same X window, not a new one), mapped, raised and
# with the keyboard, showing the panel it showed when it was closed.
# Usage: tray_e2e.sh QUELMARN OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
out="$2"
e2e_private_session "$out"
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
    >"$out/trayer.log" 2>&1 &
E2E_PIDS+=("$!")
# A tray exists once a process owns the selection _NET_SYSTEM_TRAY_S0 of screen 0.
tray_owner() {
    python3 -c '
import ctypes
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x.XOpenDisplay(None))
print(x.XGetSelectionOwner(display, x.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0)))'
}
for _ in $(seq 50); do [[ "$(tray_owner)" != 0 ]] && break; sleep 0.1; done
[[ "$(tray_owner)" != 0 ]] || e2e_fail "trayer did not take the tray selection"

e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"
# The tray icon is a small window of the application's, embedded into the tray's panel.
icon=""
for _ in $(seq 100); do
    icon="$(xwininfo -root -tree |
            sed -nE 's/^ +(0x[0-9a-f]+) "quelmarn": \("quelmarn" "quelmarn"\) +[0-9]{1,2}x[0-9]+.*/\1/p' |
            head -1)"
    [[ -n "$icon" ]] && break
    sleep 0.1
done
[[ -n "$icon" ]] || e2e_fail "no tray icon appeared"

panel_of() { convert "$1" -gravity south -crop 640x440+0+0 +repage "$2"; }
map_state() { xwininfo -id "$1" 2>/dev/null | sed -nE 's/^ +Map State: (.*)/\1/p'; }
# The panel the user left the window on: the about panel.
xdotool windowfocus --sync "$window"
xdotool key ctrl+3
sleep 0.5
e2e_screenshot "$window" "$out/before.png"

# Closes the window with Ctrl+W, checks that it is hidden, not gone, and the application still
# runs; then runs the way back ($2...) and checks that the same window is shown again, has the
# keyboard and shows what it showed. $1 names the way in messages.
close_and_bring_back() {
    local way="$1"
    shift
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+w
    for _ in $(seq 50); do [[ "$(map_state "$window")" == IsUnMapped ]] && break; sleep 0.1; done
    [[ "$(map_state "$window")" == IsUnMapped ]] ||
        e2e_fail "Ctrl+W left the window '$(map_state "$window")' (before $way)"
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "closing the window with a tray ended the application"
    "$@"
    for _ in $(seq 50); do [[ "$(map_state "$window")" == IsViewable ]] && break; sleep 0.1; done
    [[ "$(map_state "$window")" == IsViewable ]] ||
        e2e_fail "$way did not bring the window back: it is '$(map_state "$window")'"
    for _ in $(seq 50); do [[ "$(xdotool getwindowfocus)" == "$window" ]] && break; sleep 0.1; done
    [[ "$(xdotool getwindowfocus)" == "$window" ]] || e2e_fail "$way did not give the window the keyboard"
    sleep 0.3
    e2e_screenshot "$window" "$out/after-$way.png"
    # The panel: the window's bottom 440 rows (the search box's cursor above may blink).
    local differing
    panel_of "$out/before.png" "$out/before-panel.png"
    panel_of "$out/after-$way.png" "$out/after-$way-panel.png"
    differing="$(compare -metric AE "$out/before-panel.png" "$out/after-$way-panel.png" null: 2>&1 || true)"
    [[ "$differing" == 0 ]] || e2e_fail "after $way the window shows another picture ($differing pixels differ)"
    echo "ok: $way"
}
click_icon() { xdotool mousemove --window "$icon" 5 5 click 1; }
# Opens the icon's menu (显示主窗口, a line, 退出) and picks its first ($1 = first) or last item.
pick_in_icon_menu() {
    xdotool mousemove --window "$icon" 5 5 click 3
    local menu="" height
    for _ in $(seq 50); do
        for candidate in $(xdotool search --onlyvisible --class '^quelmarn$'); do
            if [[ "$candidate" != "$window" && "$(printf '0x%x' "$candidate")" != "$icon" ]]; then
                menu="$candidate"
            fi
        done
        [[ -n "$menu" ]] && break
        sleep 0.1
    done
    [[ -n "$menu" ]] || e2e_fail "the tray icon's menu did not open"
    height="$(xwininfo -id "$menu" | sed -nE 's/^ +Height: ([0-9]+)/\1/p')"
    sleep 0.3
    # Pointing first lets the menu mark the item before the click.
    xdotool mousemove --window "$menu" 20 "$([[ "$1" == first ]] && echo 10 || echo $((height - 10)))"
    sleep 0.3
    xdotool key Return
}
icon_menu_show() { pick_in_icon_menu first; }
second_start() {
    "$app" >"$out/second.stdout" 2>"$out/second.log" || e2e_fail "the second start failed"
}
close_and_bring_back tray-click click_icon
close_and_bring_back tray-menu icon_menu_show
close_and_bring_back second-start second_start

# 退出 in the icon's menu ends the application.
pick_in_icon_menu last
for _ in $(seq 50); do kill -0 "$E2E_APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "退出 in the tray icon's menu left the application running"
echo "ok: tray"
