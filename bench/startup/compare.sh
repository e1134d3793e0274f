#!/usr/bin/env bash
# Start-up of the application against a bare Qt Widgets window, side by side in one run, under
# the offscreen platform and under a virtual X display: the median time from exec to the first
# painted frame of the main window, the processor time the program used until then, and the
# peak resident memory then (before any lookup). On a machine that others share, the wall-clock
# time swings with their load; the processor time is the steadier figure.
#
#   bench/startup/compare.sh [BUILD_DIR] [RUNS] [EARLIER_BUILD_DIR]
#
# BUILD_DIR defaults to build/, RUNS (per program and platform) to 15. The programs take turns,
# so that a busy moment of the machine hits all alike. With EARLIER_BUILD_DIR (a build of an
# earlier version, say), its application takes its turn too and is reported against the same
# bare window, on a line of its own: a before-and-after in one run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
runs="${2:-15}"
bare="$build/bench/startup/bare_window_probe"
app="$build/bench/startup/quelmarn_startup_probe"
earlier="${3:+$3/bench/startup/quelmarn_startup_probe}"

xvfb=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true' EXIT

# The median of the numbers on standard input, one a line; blank lines are no numbers.
median() { sort -n | awk 'NF {a[++n] = $1} END {print a[int((n + 1) / 2)]}'; }

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

# Prints the medians of one program's figures against the bare window's: $1 platform, $2 label,
# $3..$8 the bare and the program's times, processor times and memory (space-separated lists),
# $9 whether the web engine was loaded at start.
report() {
    local bt at bc ac br ar
    bt=$(tr ' ' '\n' <<<"$3" | median)
    at=$(tr ' ' '\n' <<<"$4" | median)
    bc=$(tr ' ' '\n' <<<"$5" | median)
    ac=$(tr ' ' '\n' <<<"$6" | median)
    br=$(tr ' ' '\n' <<<"$7" | median)
    ar=$(tr ' ' '\n' <<<"$8" | median)
    printf '%-9s  bare window %4d ms, cpu %4d ms, %3d MiB   %s %4d ms, cpu %4d ms, %3d MiB   ratio time %.2f, cpu %.2f, memory %.2f   web engine at start: %s\n' \
        "$1" "$bt" "$bc" "$((br / 1024))" "$2" "$at" "$ac" "$((ar / 1024))" \
        "$(awk "BEGIN {print $at / $bt}")" "$(awk "BEGIN {print $ac / $bc}")" \
        "$(awk "BEGIN {print $ar / $br}")" "$9"
}

compare_on() {
    local platform="$1" bare_times="" app_times="" bare_cpu="" app_cpu="" bare_rss="" app_rss=""
    local earlier_times="" earlier_cpu="" earlier_rss="" engine="no" earlier_engine="no"
    for ((run = 1; run <= runs; run++)); do
        read -r ms cpu rss _ < <(QT_QPA_PLATFORM="$platform" measure "$bare")
        bare_times+=" $ms" bare_cpu+=" $cpu" bare_rss+=" $rss"
        read -r ms cpu rss loaded < <(QT_QPA_PLATFORM="$platform" measure "$app")
        app_times+=" $ms" app_cpu+=" $cpu" app_rss+=" $rss"
        [[ "$loaded" == yes ]] && engine=yes
        if [[ -n "$earlier" ]]; then
            read -r ms cpu rss loaded < <(QT_QPA_PLATFORM="$platform" measure "$earlier")
            earlier_times+=" $ms" earlier_cpu+=" $cpu" earlier_rss+=" $rss"
            [[ "$loaded" == yes ]] && earlier_engine=yes
        fi
    done
    report "$platform" "quelmarn" "$bare_times" "$app_times" "$bare_cpu" "$app_cpu" \
        "$bare_rss" "$app_rss" "$engine"
    if [[ -n "$earlier" ]]; then
        report "$platform" "earlier " "$bare_times" "$earlier_times" "$bare_cpu" "$earlier_cpu" \
            "$bare_rss" "$earlier_rss" "$earlier_engine"
    fi
}

echo "median of $runs starts each, to the first painted frame: wall-clock and processor time; peak resident memory then"
compare_on offscreen
if [[ -z "${DISPLAY:-}" ]]; then
    source "$root/scripts/virtual-display.sh"
    start_virtual_display
    xvfb="$VIRTUAL_DISPLAY_PID"
fi
compare_on xcb
