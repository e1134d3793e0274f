# Shared steps of the end-to-end runs: a virtual display, the real application and service,
# waiting for what they log, and cleaning up whatever was started. Source it; it sets -euo.
set -euo pipefail

E2E_PIDS=()
E2E_DIRS=()
e2e_cleanup() {
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "${E2E_DIRS[@]}"
}
trap e2e_cleanup EXIT

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# One of the sample devices a new database holds.
E2E_SAMPLE_SERIAL="QX2K93HT7LMP"

# Ends the run as skipped unless it is root; $1 says what root is needed for.
e2e_require_root() {
    if [[ "$(id -u)" != 0 ]]; then
        echo "SKIP: needs root to $1"
        exit 77
    fi
}

# As root, runs the calling script again (its arguments are $@) in a network namespace of its
# own with the loopback up, so the lookup service's fixed port is free and no other run can
# answer in its place. Otherwise the run goes on in the machine's network.
e2e_own_network() {
    [[ "$(id -u)" == 0 ]] || return 0
    if [[ "${E2E_OWN_NETWORK:-}" != 1 ]]; then
        E2E_OWN_NETWORK=1 exec unshare --net bash "$0" "$@"
    fi
    ip link set lo up
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

# Starts the application $1 with standard error into file $2 and standard output into $2.stdout,
# through E2E_APP_LAUNCHER when e2e_user_session has set it; sets E2E_APP_PID.
E2E_APP_LAUNCHER=()
e2e_start_app() {
    "${E2E_APP_LAUNCHER[@]}" "$1" 2>"$2" >"$2.stdout" &
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
    E2E_DIRS+=("$XDG_RUNTIME_DIR")
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

# Starts the lookup service $1 on its fixed port with a new database in directory $2, logging to
# $2/lookupd.log, and waits until it listens; sets E2E_SERVICE_PID.
e2e_start_lookup_service() {
    "$1" --port 47180 --database "$2/devices.sqlite3" 2>"$2/lookupd.log" &
    E2E_SERVICE_PID=$!
    E2E_PIDS+=("$E2E_SERVICE_PID")
    e2e_wait_for_line "$2/lookupd.log" 10 '47180'
}

# Sets E2E_ALERT to the application's window other than $1 (an alert), fails when there is
# none, saves its picture to $2 and gives it the keyboard.
e2e_take_alert() {
    E2E_ALERT="$(xdotool search --onlyvisible --name '^quelmarn$' | grep -v "^$1\$" | head -1 || true)"
    [[ -n "$E2E_ALERT" ]] || e2e_fail "no alert window appeared"
    e2e_screenshot "$E2E_ALERT" "$2"
    xdotool windowfocus --sync "$E2E_ALERT"
}

# Types serial number $2 into the search box of window $1 and presses Enter; given the
# application's log $3, waits until it has loaded the answer's page.
e2e_look_up() {
    xdotool windowfocus --sync "$1"
    xdotool key ctrl+f
    xdotool type --delay 20 "$2"
    xdotool key Return
    [[ -z "${3:-}" ]] || e2e_wait_for_line "$3" 60 '\] finish load$'
}

# Prepares a run of the application as the unprivileged user $1 (needs root): a home and a
# runtime directory of the user's own, and a private system bus from configuration file $2 with
# its socket where the user can reach it and its address in $3/bus.address. Sets E2E_SYSTEM_BUS
# to that address and makes e2e_start_app run the application as the user, with them.
e2e_user_session() {
    local user="$1" home runtime bus_dir
    home="$(mktemp -d)"
    runtime="$(mktemp -d)"
    bus_dir="$(mktemp -d)"
    E2E_DIRS+=("$home" "$runtime" "$bus_dir")
    chown "$user" "$home" "$runtime"
    chmod 700 "$runtime"
    chmod 755 "$bus_dir"
    dbus-daemon --nofork --print-address --config-file="$2" --address="unix:path=$bus_dir/bus" \
        >"$3/bus.address" 2>/dev/null &
    E2E_PIDS+=("$!")
    e2e_wait_for_line "$3/bus.address" 10 '^unix:'
    E2E_SYSTEM_BUS="$(head -1 "$3/bus.address")"
    E2E_APP_LAUNCHER=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups
        env HOME="$home" XDG_RUNTIME_DIR="$runtime" DBUS_SYSTEM_BUS_ADDRESS="$E2E_SYSTEM_BUS")
}

# Starts the scripted hostname service $1 on E2E_SYSTEM_BUS, answering as mode $2 says with serial
# number $3, recording the calls in $4/hostnamed.calls and logging to $4/hostnamed.log, and waits
# until it is ready; sets E2E_HOSTNAMED_PID.
e2e_start_hostnamed() {
    "$1" "$E2E_SYSTEM_BUS" "$4/hostnamed.calls" "$2" "$3" >"$4/hostnamed.log" 2>&1 &
    E2E_HOSTNAMED_PID=$!
    E2E_PIDS+=("$E2E_HOSTNAMED_PID")
    e2e_wait_for_line "$4/hostnamed.log" 10 '^ready$'
}
