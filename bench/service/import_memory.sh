#!/usr/bin/env bash
# Peak memory and time of `quelmarn-lookupd import` for a generated CSV file of ROWS devices
# (10^6 by default) into a new database, as /usr/bin/time -v reports them. Several builds may be
# given, to be compared side by side on the same file:
#
#   bench/service/import_memory.sh [--rows N] BUILD/service/quelmarn-lookupd...
#
# Builds nothing. Needs GNU time (the time package).
set -euo pipefail

rows=1000000
if [[ ${1:-} == --rows ]]; then
    rows=$2
    shift 2
fi
if [[ $# -lt 1 ]]; then
    echo "usage: $0 [--rows N] PATH/TO/quelmarn-lookupd..." >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fields of the lengths real devices have, one of them quoted with a comma in it.
awk -v rows="$rows" 'BEGIN {
    print "serial,model,model_identifier,manufactured_on,warranty_ends_on,notes"
    for (i = 0; i < rows; i++)
        printf "SN%010d,笔记本电脑 15 英寸,\"Notebook15,1\",2023-03-14,2027-03-13,第 %d 台，放在三楼会议室。\n", i, i
}' >"$work/devices.csv"
echo "import of $rows devices ($(du -h "$work/devices.csv" | cut -f1) of CSV) into a new database"
printf '%-60s %12s %10s %s\n' build "peak RSS" seconds status
for server in "$@"; do
    rm -f "$work"/devices.sqlite3*
    status=0
    /usr/bin/time -v -o "$work/time" "$server" import "$work/devices.csv" \
        --database "$work/devices.sqlite3" >/dev/null 2>"$work/err" || status=$?
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
    printf '%-60s %9s KiB %10s %s\n' "$server" "$peak" "$seconds" "$status"
done
