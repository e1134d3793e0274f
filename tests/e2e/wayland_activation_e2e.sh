#!/usr/bin/env bash
# Activation on Wayland, where the compositor decides who takes the focus: on sway's headless
# backend (which has xdg-activation), the window is covered by another client's; a second start
# with no token leaves it so, and a second start given a token by its launcher (minted by
# ACTIVATION_TOKEN over xdg-activation, as a launcher does) hands it over and the running
# instance's window takes the focus with it.
# sway refuses to run as root: as root, the run goes on as the user nobody.
# Usage: wayland_activation_e2e.sh QUELMARN ACTIVATION_TOKEN OUTPUT_DIR
out="$(realpath -m "$3")"
if [[ "$(id -u)" == 0 ]]; then
    rm -rf "$out"
    mkdir -p "$out"
    chown nobody "$out"
    exec runuser -u nobody -- env HOME="$out" bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
app="$1"
mint_token="$2"
find "$out" -mindepth 1 -delete
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
export QT_QPA_PLATFORM=wayland

# Activation requests with a valid token take the focus (sway's default only marks the window).
cat >"$out/sway.config" <<'CONFIG'
xwayland disable
focus_on_window_activation focus
CONFIG
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway --config "$out/sway.config" >"$out/sway.log" 2>&1 &
E2E_PIDS+=("$!")
for _ in $(seq 100); do
    WAYLAND_DISPLAY="$(cd "$XDG_RUNTIME_DIR" && compgen -G 'wayland-[0-9]' | head -1 || true)"
    SWAYSOCK="$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -1 || true)"
    [[ -n "$WAYLAND_DISPLAY" && -n "$SWAYSOCK" ]] && break
    sleep 0.1
done
[[ -n "$WAYLAND_DISPLAY" && -n "$SWAYSOCK" ]] || { cat "$out/sway.log" >&2; e2e_fail "sway did not start"; }
export WAYLAND_DISPLAY SWAYSOCK

# The app_id of the window that has the focus ("" for none).
focused_app() {
    swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("focused") and node.get("app_id"):
        print(node["app_id"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}
wait_focused() {
    for _ in $(seq 50); do [[ "$(focused_app)" == "$1" ]] && return 0; sleep 0.1; done
    return 1
}

e2e_start_app "$app" "$out/app.log"
e2e_wait_for_line "$out/app.log" 20 'the fan speed is '
wait_focused example.quelmarn.Quelmarn || e2e_fail "the window did not take the focus at start: '$(focused_app)'"
echo "ok: the window has the focus at start"

# Another client's window takes the focus.
weston-flower >"$out/other.log" 2>&1 &
E2E_PIDS+=("$!")
for _ in $(seq 50); do
    [[ -n "$(focused_app)" && "$(focused_app)" != example.quelmarn.Quelmarn ]] && break
    sleep 0.1
done
other="$(focused_app)"
[[ -n "$other" && "$other" != example.quelmarn.Quelmarn ]] || e2e_fail "the other window did not take the focus"

# Without a token the compositor does not let the window take the focus.
env -u XDG_ACTIVATION_TOKEN -u DESKTOP_STARTUP_ID "$app" >"$out/untokened.stdout" 2>&1 ||
    e2e_fail "the second start without a token failed"
sleep 1
[[ "$(focused_app)" == "$other" ]] || e2e_fail "a start without a token moved the focus to '$(focused_app)'"
echo "ok: a second start without a token leaves the focus where it is"

token="$("$mint_token" example.quelmarn.Quelmarn)" || e2e_fail "no activation token from the compositor"
XDG_ACTIVATION_TOKEN="$token" "$app" >"$out/tokened.stdout" 2>&1 ||
    e2e_fail "the second start with a token failed"
wait_focused example.quelmarn.Quelmarn ||
    e2e_fail "the second start with a token did not bring the window the focus: '$(focused_app)'"
echo "ok: a second start with its launcher's token brings the window the focus"
