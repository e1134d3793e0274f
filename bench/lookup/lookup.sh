#!/usr/bin/env bash
# Time from the lookup command to "finish load" against the lookup service on this machine:
# the first lookup of a process (which starts the web engine), over several processes, and
# the later lookups of one process.
#
#   bench/lookup/lookup.sh [BUILD_DIR] [PROCESSES] [LOOKUPS]
#
# Starts quelmarn-lookupd on 127.0.0.1:47180 (the application's address) with a fresh database,
# and a virtual display unless DISPLAY is set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
processes="${2:-5}"
lookups="${3:-20}"
work="$(mktemp -d)"
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT

if (exec 3<>/dev/tcp/127.0.0.1/47180) 2>/dev/null; then
    echo "lookup.sh: something already listens on 127.0.0.1:47180" >&2
    exit 1
fi
"$build/service/quelmarn-lookupd" --port 47180 --database "$work/devices.sqlite3" 2>/dev/null &
pids+=($!)
until (exec 3<>/dev/tcp/127.0.0.1/47180) 2>/dev/null; do sleep 0.05; done

if [[ -z "${DISPLAY:-}" ]]; then
    source "$root/scripts/virtual-display.sh"
    start_virtual_display
    pids+=("$VIRTUAL_DISPLAY_PID")
fi

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
firsts=()
laters=()
for ((process = 1; process <= processes; process++)); do
    while read -r _ number ms; do
        if [[ "$number" == 1 ]]; then firsts+=("$ms"); else laters+=("$ms"); fi
    done < <(QT_QPA_PLATFORM=xcb "$build/bench/lookup/lookup_probe" "$lookups" 2>/dev/null)
done
echo "first lookup (web engine start): median $(printf '%s\n' "${firsts[@]}" | median) ms of ${#firsts[@]} (${firsts[*]})"
echo "later lookups: median $(printf '%s\n' "${laters[@]}" | median) ms of ${#laters[@]}"
