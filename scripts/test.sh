#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, service over loopback HTTP,
# offscreen UI, and the end-to-end runs of the real application under a virtual display).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUELMARN_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
QUELMARN_BUILD_DIR="$build" "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure --timeout 300 -j 2
