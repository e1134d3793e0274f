#!/usr/bin/env bash
# Load test of the lookup service on loopback: starts the given quelmarn-lookupd on a free
# port with a fresh temporary database, drives POST /inapp.php with wrk for a bounded time,
# prints requests/s, errors and latency percentiles, and stops the server.
#
#   bench/service/load.sh BUILD/service/quelmarn-lookupd [SECONDS] [CONNECTIONS] [THREADS] [found|missing]
#
# "found" (the default) looks up a registered serial (200), "missing" one that is not (404).
# With SLOW_CLIENTS=N in the environment, N connections that trickle a request one byte a second
# (slow_clients, beside the server's build folder or in SLOW_CLIENTS_TOOL) are held meanwhile.
#
# Builds nothing. Needs wrk. Targets 127.0.0.1 only.
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
    echo "usage: $0 PATH/TO/quelmarn-lookupd [SECONDS=10] [CONNECTIONS=16] [THREADS=2] [found|missing]" >&2
    exit 2
fi
server=$1
seconds=${2:-10}
connections=${3:-16}
threads=${4:-2}
kind=${5:-found}
here=$(cd "$(dirname "$0")" && pwd)
case $kind in
    # One of the sample devices every new database starts with.
    found) export QUELMARN_BENCH_SERIAL=QX2K93HT7LMP expected=200 ;;
    missing) export QUELMARN_BENCH_SERIAL=NOTREGISTERED0 expected=404 ;;
    *) echo "$0: the fifth argument is found or missing" >&2; exit 2 ;;
esac

work=$(mktemp -d)
server_pid=
cleanup() {
    if [[ -n $server_pid ]]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Port 0: the server picks a free port and names it in its first log line, so no port can be
# taken between choosing it and binding it.
"$server" --host 127.0.0.1 --port 0 --database "$work/devices.sqlite3" 2>"$work/server.log" &
server_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/server.log")
    [[ -n $port ]] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ -z $port ]]; then
    echo "quelmarn-lookupd did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi

slow_pid=
if [[ ${SLOW_CLIENTS:-0} -gt 0 ]]; then
    tool=${SLOW_CLIENTS_TOOL:-$(dirname "$server")/../bench/service/slow_clients}
    "$tool" "$port" "$SLOW_CLIENTS" $((seconds + 8)) &
    slow_pid=$!
    sleep 5  # all connected and trickling
fi

echo "quelmarn-lookupd on 127.0.0.1:$port; wrk: ${seconds}s, $connections connections, $threads threads, $kind serial, ${SLOW_CLIENTS:-0} slow clients"
wrk --latency -t "$threads" -c "$connections" -d "${seconds}s" --timeout 2s \
    -s "$here/lookup.lua" "http://127.0.0.1:$port/inapp.php"

if [[ -n $slow_pid ]]; then
    wait "$slow_pid" || true
fi
kill -TERM "$server_pid"
wait "$server_pid" || true
server_pid=
logged=$(grep -c ' POST /inapp.php ' "$work/server.log" || true)
failed=$(grep ' POST /inapp.php ' "$work/server.log" | grep -vc " $expected " || true)
echo "server log: $logged lookups logged, $failed with a status other than $expected"
