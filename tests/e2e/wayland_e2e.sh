#!/usr/bin/env bash
# The real application as a native Wayland client, on weston's headless backend (with its
# desktop shell, and pixman so that it draws): its app_id is the desktop entry's id; it draws the
# device, lookup and about panels, switched over the accessibility bus since the compositor
# takes no synthetic input; a second start, given an activation token by its launcher, hands it
# over and ends, leaving one window.
# Weston 10 offers no xdg-activation, so whether the token activates the window is checked
# where a compositor does (wayland_activation_e2e.sh).
# Usage: wayland_e2e.sh QUELMARN OUTPUT_DIR
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
    exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
out="$(realpath -m "$2")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
rm -rf "$out"
mkdir -p "$out"
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
export WAYLAND_DISPLAY="wayland-quelmarn-e2e"
export QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --idle-time=0 \
    --width=1024 --height=768 --debug >"$out/weston.log" 2>&1 &
E2E_PIDS+=("$!")
for _ in $(seq 100); do [[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] && break; sleep 0.1; done
[[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] || e2e_fail "weston did not start"
# The desktop shell's panel is drawn once its client has started.
sleep 1

WAYLAND_DEBUG=client e2e_start_app "$app" "$out/app.log"
e2e_wait_for_line "$out/app.log" 20 'the fan speed is '
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("example\.quelmarn\.Quelmarn")' "$out/app.log" ||
    e2e_fail "the window's app_id is not the desktop entry's id"
grep -q 'xcb' "$out/app.log" && e2e_fail "the application did not run as a Wayland client"
echo "ok: a Wayland client with app_id example.quelmarn.Quelmarn"

# Saves what the compositor shows to $1.
screenshot() {
    rm -f "$out"/wayland-screenshot-*.png
    (cd "$out" && timeout 20 weston-screenshooter) || e2e_fail "weston-screenshooter failed"
    mv "$out"/wayland-screenshot-*.png "$1"
    echo "screenshot: $1"
}
sleep 1
screenshot "$out/device-panel.png"
press() { /usr/bin/python3 "$here/press_button.py" quelmarn "$1" || e2e_fail "could not press $1"; sleep 1.5; }
press 关于
screenshot "$out/about-panel.png"
press 序列号查询
screenshot "$out/lookup-panel.png"
# Each panel drew something of its own: no two screenshots are alike.
for pair in "device-panel about-panel" "about-panel lookup-panel" "device-panel lookup-panel"; do
    read -r a b <<<"$pair"
    differing="$(compare -metric AE "$out/$a.png" "$out/$b.png" null: 2>&1 || true)"
    [[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 1000 ]] ||
        e2e_fail "the $a and the $b look the same ($differing pixels differ)"
done
echo "ok: three panels drawn"

# A second start with the token its launcher gave hands it over and ends; one window stays.
XDG_ACTIVATION_TOKEN="e2e-token" "$app" >"$out/second.stdout" 2>"$out/second.log" ||
    e2e_fail "the second start failed"
grep -q 'already running' "$out/second.stdout" || e2e_fail "the second start did not hand over"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the running instance ended"
toplevels="$(grep -c 'xdg_surface@[0-9]*\.get_toplevel' "$out/app.log" || true)"
[[ "$toplevels" -eq 1 ]] || e2e_fail "the application made $toplevels top-level windows"
echo "ok: a second start handed over"
