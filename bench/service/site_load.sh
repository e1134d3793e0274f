#!/usr/bin/env bash
# The lookup service as a site runs it, side by side in one run, under the same load: wrk posts
# the application's lookup of a registered serial for SECONDS at 16 and at 256 connections to
#   sqlite      one quelmarn-lookupd over its SQLite file (plain HTTP, as on every machine);
#   postgresql  one quelmarn-lookupd over a PostgreSQL 15 server on this machine (plain HTTP);
#   2 behind lb two of them over that server behind nginx with the repository's load-balancer
#               configuration (HTTPS to nginx and from nginx to the services);
#   nginx static  nginx serving the same device page as a file (GET, plain HTTP): the reference.
# Prints requests/s and the 99th percentile latency of each. Everything runs on this machine,
# so the services, PostgreSQL, nginx and wrk share its cores.
#
#   bench/service/site_load.sh BUILD/service/quelmarn-lookupd [SECONDS=5]
#
# Runs as root (PostgreSQL is run as nobody). Needs wrk, PostgreSQL 15, nginx, openssl, curl.
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
    echo "usage: $0 PATH/TO/quelmarn-lookupd [SECONDS=5]" >&2
    exit 2
fi
lookupd=$(realpath "$1")
seconds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
repository=$(cd "$here/../.." && pwd)
out=$(mktemp -d)
chmod 0755 "$out"
source "$repository/tests/site/site_lib.sh"
trap 'site_cleanup; rm -rf "$out"' EXIT
export QUELMARN_BENCH_SERIAL=QX2K93HT7LMP

site_start_postgres "$out/postgres"
site_make_ca "$out"
for name in first second lb; do site_issue_certificate "$out" "$name"; done

# The same device in both stores: the SQLite service starts with it among its samples.
site_start_lookupd "$lookupd" "$out/sqlite.log" --database "$out/devices.sqlite3"
sqlite_port=$SITE_PORT
"$lookupd" export - --database "$out/devices.sqlite3" 2>/dev/null >"$out/devices.csv"
"$lookupd" import "$out/devices.csv" --database "$SITE_POSTGRES_URI" >/dev/null
site_start_lookupd "$lookupd" "$out/postgresql.log" --database "$SITE_POSTGRES_URI"
postgres_port=$SITE_PORT
replicas=()
for name in first second; do
    site_start_lookupd "$lookupd" "$out/$name.log" --database "$SITE_POSTGRES_URI" \
        --tls-certificate "$out/$name.pem" --tls-key "$out/$name.key"
    replicas+=("$SITE_PORT")
done
lb=$(site_free_port)
site_start_load_balancer "$repository" "$out" "${replicas[0]}" "${replicas[1]}" "$lb"

# The device page as the service answers it, served by nginx as a static file.
mkdir -p "$out/static"
curl -s --data-binary "sn=$QUELMARN_BENCH_SERIAL" "http://127.0.0.1:$sqlite_port/inapp.php" \
    >"$out/static/inapp.html"
static=$(site_free_port)
cat >"$out/static.conf" <<CONF
daemon off;
user root;
worker_processes 2;
pid $out/static.pid;
error_log $out/static-error.log;
events { worker_connections 4096; }
http {
    access_log off;
    server {
        listen 127.0.0.1:$static;
        root $out/static;
        default_type "text/html; charset=utf-8";
    }
}
CONF
nginx -c "$out/static.conf" -e "$out/static-error.log" &
SITE_PIDS+=("$!")
sleep 0.5

# One wrk run: requests/s and p99 as a table row.
measure() {
    local name="$1" connections="$2" url="$3" method="${4:-POST}" report
    report=$(QUELMARN_BENCH_METHOD=$method wrk --latency -t 2 -c "$connections" -d "${seconds}s" \
        --timeout 5s -s "$here/lookup.lua" "$url")
    local rate p99 failures
    rate=$(sed -nE 's/^requests\/s: +([0-9]+)/\1/p' <<<"$report")
    p99=$(sed -nE 's/^latency p99 +([0-9.]+ ms)/\1/p' <<<"$report")
    failures=$(sed -nE 's/^errors: +(.*)/\1/p' <<<"$report")
    printf '%-14s %5s %12s %12s   %s\n' "$name" "$connections" "$rate" "$p99" "$failures"
}

printf '%-14s %5s %12s %12s   %s\n' setup conns requests/s p99 errors
for connections in 16 256; do
    measure sqlite "$connections" "http://127.0.0.1:$sqlite_port/inapp.php"
    measure postgresql "$connections" "http://127.0.0.1:$postgres_port/inapp.php"
    measure "2 behind lb" "$connections" "https://127.0.0.1:$lb/inapp.php"
    measure "nginx static" "$connections" "http://127.0.0.1:$static/inapp.html" GET
done
