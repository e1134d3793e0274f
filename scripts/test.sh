#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test (unit, service over loopback
# HTTP, offscreen UI, the end-to-end runs of the real application under a virtual display, and
# the Debian packages built, validated and run from a scratch root).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUELMARN_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
QUELMARN_BUILD_DIR="$build" "$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure --timeout 300 -j 2
"$root/tests/packaging/check_packages.sh" "$build"

# The code that decodes bytes from the machine, the registry and the sensor driver once more,
# under AddressSanitizer and UndefinedBehaviorSanitizer: an overread shows there even when the
# bytes past the end happen to look right.
sanitized="${build}-sanitize"
cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUELMARN_SANITIZE=ON \
    -DQUELMARN_BUILD_BENCHMARKS=OFF >/dev/null
for suite in platform/platform_tests sysinfo/sysinfo_tests smc/smc_tests linux/linux_backend_tests; do
    cmake --build "$sanitized" -j "$(nproc)" --target "$(basename "$suite")"
    echo "sanitized: $suite"
    "$sanitized/tests/$suite" --gtest_brief=1
done

# Fuzzing: every reader of bytes from outside under libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, each target for a short bounded time over its seeds; any finding
# fails the run. A developer runs them longer with scripts/fuzz.sh <seconds-per-target>.
QUELMARN_FUZZ_BUILD_DIR="${build}-fuzz" "$root/scripts/fuzz.sh" 10
