#!/usr/bin/env bash
# Installs the Debian packages in scripts/packages.txt that are not installed yet.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

mapfile -t wanted < <(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$')
missing=()
for package in "${wanted[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#wanted[@]} packages are installed"
    exit 0
fi

sudo=()
if [[ "$(id -u)" != 0 ]]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: not root and no sudo here; as root, run: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
