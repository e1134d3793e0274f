# Shared steps of the end-to-end runs: a virtual display, the real application and service,
# waiting for what they log, and cleaning up whatever was started. Source it; it sets -euo.
set -euo pipefail

E2E_PIDS=()
e2e_cleanup() {
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap e2e_cleanup EXIT

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts a virtual display of its own and points DISPLAY at it.
e2e_start_display() {
    source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/virtual-display.sh"
    start_virtual_display || e2e_fail "Xvfb did not start"
    E2E_PIDS+=("$VIRTUAL_DISPLAY_PID")
}

# Waits up to $2 seconds (default 20) until file $1 holds a line matching the regex $3.
e2e_wait_for_line() {
    local file="$1" seconds="$2" pattern="$3"
    for _ in $(seq $((seconds * 10))); do
        grep -qE "$pattern" "$file" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "--- $file ---" >&2
    cat "$file" >&2 || true
    e2e_fail "no line matching '$pattern' in $file after ${seconds}s"
}

# The window id of the visible top-level window titled exactly $1, waiting up to 20 s.
e2e_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1
}

# Starts the application $1 with standard error into file $2 and standard output into $2.stdout;
# sets E2E_APP_PID.
e2e_start_app() {
    "$1" 2>"$2" >"$2.stdout" &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
}

# Saves a screenshot of window $1 to $2.
e2e_screenshot() {
    import -window "$1" "$2"
    [[ -s "$2" ]] || e2e_fail "no screenshot in $2"
    echo "screenshot: $2"
}

# Gives the run an empty output directory $1, a runtime directory of its own (the single-instance
# socket lives there) and a virtual display of its own.
e2e_private_session() {
    rm -rf "$1"
    mkdir -p "$1"
    export XDG_RUNTIME_DIR="$(mktemp -d)"
    chmod 700 "$XDG_RUNTIME_DIR"
    e2e_start_display
}

# Starts the application $1 as e2e_start_app does (log in $2) and waits until its main window
# is shown and the launch has logged its last line; sets E2E_WINDOW to the window's id.
e2e_start_app_window() {
    e2e_start_app "$1" "$2"
    E2E_WINDOW="$(e2e_window quelmarn)"
    [[ -n "$E2E_WINDOW" ]] || e2e_fail "the main window did not appear"
    e2e_wait_for_line "$2" 10 'the fan speed is '
}
