#!/usr/bin/env bash
# How long the application takes from its start until its main window is on screen, and what it
# holds then, under a virtual display: the median of several cold-cache-free starts.
#
#   bench/startup/startup.sh [APPLICATION] [RUNS]
#
# APPLICATION defaults to build/shell/quelmarn, RUNS to 10. Uses DISPLAY when it is set, else
# starts Xvfb on a free display. Each start gets a runtime directory of its own, so that an
# instance already running in the session does not take the start over.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
application="${1:-$root/build/shell/quelmarn}"
runs="${2:-10}"

if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb -displayfd 3 -screen 0 1280x800x24 3>"${TMPDIR:-/tmp}/startup-display.$$" 2>/dev/null &
    xvfb=$!
    trap 'kill "$xvfb" 2>/dev/null || true' EXIT
    while [[ ! -s "${TMPDIR:-/tmp}/startup-display.$$" ]]; do sleep 0.05; done
    export DISPLAY=":$(cat "${TMPDIR:-/tmp}/startup-display.$$")"
    rm -f "${TMPDIR:-/tmp}/startup-display.$$"
fi

times=()
for ((run = 1; run <= runs; run++)); do
    runtime="$(mktemp -d)"
    chmod 700 "$runtime"
    start=$(date +%s%N)
    XDG_RUNTIME_DIR="$runtime" "$application" >/dev/null 2>&1 &
    pid=$!
    # xdotool's own --sync waits half a second between looks; look every few milliseconds.
    until xdotool search --onlyvisible --pid "$pid" --name '^quelmarn$' >/dev/null 2>&1; do
        sleep 0.005
    done
    shown=$(date +%s%N)
    times+=($(((shown - start) / 1000000)))
    if ((run == runs)); then
        rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
        engine=no
        grep -q libQt6WebEngineCore "/proc/$pid/maps" && engine=yes
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    rm -rf "$runtime"
done

median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
echo "start to main window on screen: median ${median} ms of ${runs} (${times[*]})"
echo "resident memory then: $((rss / 1024)) MiB; web engine loaded: ${engine}"
