#!/usr/bin/env bash
# Start-up of the application against a bare Qt Widgets window, side by side in one run, under
# the offscreen platform and under a virtual X display: the median time from exec to the first
# painted frame of the main window, the processor time the program used until then, and the
# peak resident memory then (before any lookup). On a machine that others share, the wall-clock
# time swings with their load; the processor time is the steadier figure.
#
#   bench/startup/compare.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build/, RUNS (per program and platform) to 15. The two programs take
# turns, so that a busy moment of the machine hits both alike.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
runs="${2:-15}"
bare="$build/bench/startup/bare_window_probe"
app="$build/bench/startup/quelmarn_startup_probe"

xvfb=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true' EXIT

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# Runs $1 once; prints "<milliseconds to first paint> <processor milliseconds> <peak RSS kB>
# <web engine loaded>".
measure() {
    local runtime start report
    runtime="$(mktemp -d)"
    chmod 700 "$runtime"
    start=$(date +%s%N)
    # Each start gets a runtime directory of its own, so no running instance takes it over.
    report="$(XDG_RUNTIME_DIR="$runtime" timeout 60 "$1" 2>/dev/null | grep '^first-paint-ns')"
    rm -rf "$runtime"
    read -r _ painted _ cpu _ rss _ engine <<<"$report"
    echo "$(((painted - start) / 1000000)) $((cpu / 1000000)) $rss $engine"
}

compare_on() {
    local platform="$1" bare_times=() app_times=() bare_cpu=() app_cpu=() bare_rss=() app_rss=()
    local engine="no"
    for ((run = 1; run <= runs; run++)); do
        read -r ms cpu rss _ < <(QT_QPA_PLATFORM="$platform" measure "$bare")
        bare_times+=("$ms") bare_cpu+=("$cpu") bare_rss+=("$rss")
        read -r ms cpu rss loaded < <(QT_QPA_PLATFORM="$platform" measure "$app")
        app_times+=("$ms") app_cpu+=("$cpu") app_rss+=("$rss")
        [[ "$loaded" == yes ]] && engine=yes
    done
    local bt at bc ac br ar
    bt=$(printf '%s\n' "${bare_times[@]}" | median)
    at=$(printf '%s\n' "${app_times[@]}" | median)
    bc=$(printf '%s\n' "${bare_cpu[@]}" | median)
    ac=$(printf '%s\n' "${app_cpu[@]}" | median)
    br=$(printf '%s\n' "${bare_rss[@]}" | median)
    ar=$(printf '%s\n' "${app_rss[@]}" | median)
    printf '%-9s  bare window %4d ms, cpu %4d ms, %3d MiB   quelmarn %4d ms, cpu %4d ms, %3d MiB   ratio time %.2f, cpu %.2f, memory %.2f   web engine at start: %s\n' \
        "$platform" "$bt" "$bc" "$((br / 1024))" "$at" "$ac" "$((ar / 1024))" \
        "$(awk "BEGIN {print $at / $bt}")" "$(awk "BEGIN {print $ac / $bc}")" \
        "$(awk "BEGIN {print $ar / $br}")" "$engine"
}

echo "median of $runs starts each, to the first painted frame: wall-clock and processor time; peak resident memory then"
compare_on offscreen
if [[ -z "${DISPLAY:-}" ]]; then
    source "$root/scripts/virtual-display.sh"
    start_virtual_display
    xvfb="$VIRTUAL_DISPLAY_PID"
fi
compare_on xcb
