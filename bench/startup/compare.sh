#!/usr/bin/env bash
# Start-up of the application against a bare Qt Widgets window, side by side in one run, under
# the offscreen platform, under a virtual X display and, where weston is installed, under a
# headless Wayland compositor: the median time from exec to the first painted frame of the main
# window, the processor time the program used until then, and the peak resident memory then
# (before any lookup). On a machine that others share, the wall-clock time swings with their
# load; the processor time is the steadier figure.
#
#   bench/startup/compare.sh [BUILD_DIR] [RUNS] [EARLIER_BUILD_DIR]
#
# BUILD_DIR defaults to build/, RUNS (per program and platform) to 15. The programs take turns,
# so that a busy moment of the machine hits all alike. Besides the application, the same first
# frame made in plain Qt (same_content_window.cpp) is measured: what the window shows costs
# that much whoever makes it. With EARLIER_BUILD_DIR (a build of an
# earlier version, say), its application takes its turn too and is reported against the same
# bare window, on a line of its own: a before-and-after in one run. PLATFORMS (default
# "offscreen xcb wayland") names the platforms to measure on, so that many starts on one of them
# fit in a few minutes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
runs="${2:-15}"
bare="$build/bench/startup/bare_window_probe"
# The programs measured against the bare window, each with its label, taking turns with it.
programs=("$build/bench/startup/quelmarn_startup_probe" "$build/bench/startup/same_content_probe")
labels=("quelmarn  " "same frame")
if [[ -n "${3:-}" ]]; then
    programs+=("$3/bench/startup/quelmarn_startup_probe")
    labels+=("earlier   ")
fi

xvfb=""
weston=""
weston_runtime=""
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null; [[ -n "$weston" ]] && kill "$weston" 2>/dev/null
      [[ -n "$weston_runtime" ]] && rm -rf "$weston_runtime"; true' EXIT

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
    local platform="$1" bare_times="" bare_cpu="" bare_rss="" index
    local -a times=() cpu=() rss=() engine=()
    for ((run = 1; run <= runs; run++)); do
        read -r ms used peak _ < <(QT_QPA_PLATFORM="$platform" measure "$bare")
        bare_times+=" $ms" bare_cpu+=" $used" bare_rss+=" $peak"
        for index in "${!programs[@]}"; do
            read -r ms used peak loaded < <(QT_QPA_PLATFORM="$platform" measure "${programs[index]}")
            times[index]+=" $ms" cpu[index]+=" $used" rss[index]+=" $peak"
            [[ "$loaded" == yes ]] && engine[index]=yes
        done
    done
    for index in "${!programs[@]}"; do
        report "$platform" "${labels[index]}" "$bare_times" "${times[index]}" "$bare_cpu" \
            "${cpu[index]}" "$bare_rss" "${rss[index]}" "${engine[index]:-no}"
    done
}

echo "median of $runs starts each, to the first painted frame: wall-clock and processor time; peak resident memory then"
platforms=" ${PLATFORMS:-offscreen xcb wayland} "
if [[ "$platforms" == *" offscreen "* ]]; then
    compare_on offscreen
fi
if [[ "$platforms" == *" xcb "* ]]; then
    if [[ -z "${DISPLAY:-}" ]]; then
        source "$root/scripts/virtual-display.sh"
        start_virtual_display
        xvfb="$VIRTUAL_DISPLAY_PID"
    fi
    compare_on xcb
fi
# A Wayland desktop: weston's headless backend (drawing with pixman), where it is installed.
if [[ "$platforms" == *" wayland "* ]] && command -v weston >/dev/null; then
    weston_runtime="$(mktemp -d)"
    chmod 700 "$weston_runtime"
    XDG_RUNTIME_DIR="$weston_runtime" weston --backend=headless-backend.so --use-pixman \
        --socket=quelmarn-bench --idle-time=0 --width=1280 --height=800 >/dev/null 2>&1 &
    weston=$!
    for _ in $(seq 100); do [[ -S "$weston_runtime/quelmarn-bench" ]] && break; sleep 0.1; done
    if [[ -S "$weston_runtime/quelmarn-bench" ]]; then
        # Each start has a runtime directory of its own, so the compositor's socket is given by
        # path.
        WAYLAND_DISPLAY="$weston_runtime/quelmarn-bench" compare_on wayland
    else
        echo "wayland    weston did not start: no figures" >&2
    fi
fi
