#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs each one, one per core at a time,
# over its seed corpus for a bounded time, with its dictionary (fuzz/dict/<name>.dict) where it
# has one. Fails when any target finds a crash, a sanitizer report, a broken property, a
# time-out or runaway memory.
#   scripts/fuzz.sh [seconds-per-target]      (default 10; the test command uses the default)
# An input that broke a target is kept in <build>/findings/<name>/ and named in the output.
# Once the fault is fixed, copy the input into fuzz/corpus/<name>/ so every run repeats it.
# New inputs found along the way stay in <build>/corpus/<name>/, so longer runs build on
# earlier ones without touching the committed seeds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-10}"
build="${QUELMARN_FUZZ_BUILD_DIR:-$root/build-fuzz}"

mkdir -p "$build"
if ! { CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELMARN_FUZZ=ON &&
    cmake --build "$build" -j "$(nproc)"; } >"$build/build.log" 2>&1; then
    tail -n 60 "$build/build.log" >&2
    echo "fuzz: the build failed; all of it is in $build/build.log" >&2
    exit 1
fi

mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
if ((${#targets[@]} == 0)); then
    echo "fuzz: no targets built" >&2
    exit 1
fi

# Runs one target; its log is <build>/logs/<name>.log and its exit status <name>.status.
run_target() {
    local executable="$1" seconds="$2" root="$3" build="$4"
    local name
    name="$(basename "$executable" _fuzz)"
    mkdir -p "$build/corpus/$name" "$build/findings/$name" "$build/logs"
    local dictionary=()
    if [[ -f "$root/fuzz/dict/$name.dict" ]]; then
        dictionary=(-dict="$root/fuzz/dict/$name.dict")
    fi
    local status=0
    # Inputs of at most 4 KiB: a sysfs file is one page, and every parser here reads texts of
    # that order. -timeout catches a slow input, -rss_limit_mb runaway memory.
    "$executable" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$name/" "${dictionary[@]}" \
        "$build/corpus/$name" "$root/fuzz/corpus/$name" >"$build/logs/$name.log" 2>&1 ||
        status=$?
    echo "$status" >"$build/logs/$name.status"
}
export -f run_target

rm -rf "$build/logs"
printf '%s\n' "${targets[@]}" |
    xargs -P "$(nproc)" -I{} bash -c 'run_target "$@"' _ {} "$seconds" "$root" "$build"

failed=0
printf '%-24s %12s %10s %8s\n' target executions "exec/s" status
for executable in "${targets[@]}"; do
    name="$(basename "$executable" _fuzz)"
    log="$build/logs/$name.log"
    status="$(cat "$build/logs/$name.status")"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
    printf '%-24s %12s %10s %8s\n' "$name" "${runs:-?}" "${rate:-?}" "$status"
    if [[ "$status" != 0 ]]; then
        failed=1
        echo "---- $name: last lines of $log" >&2
        tail -n 40 "$log" >&2
    fi
done
if ((failed)); then
    echo "fuzz: findings above; inputs in $build/findings/" >&2
    exit 1
fi
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, no finding"
