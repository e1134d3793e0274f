#!/usr/bin/env bash
# Installs the Debian packages in scripts/packages.txt that are not installed yet, and generates
# the comma-decimal locale the number-format tests run under.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

mapfile -t wanted < <(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$')
missing=()
for package in "${wanted[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

# Root installs directly, anyone else through sudo; without either, say what to run instead.
sudo=()
can_administer=1
if [[ "$(id -u)" != 0 ]]; then
    if command -v sudo >/dev/null; then
        sudo=(sudo)
    else
        can_administer=0
    fi
fi

if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#wanted[@]} packages are installed"
elif ((can_administer == 0)); then
    echo "install-deps: not root and no sudo here; as root, run: apt-get install ${missing[*]}" >&2
    exit 1
else
    echo "install-deps: installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

# locale-gen builds the locales that /etc/locale.gen lists (locale-gen(8)).
test_locale="de_DE.UTF-8"
if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "install-deps: locale $test_locale is available"
elif ((can_administer == 1)) && [[ -f /etc/locale.gen ]] && command -v locale-gen >/dev/null; then
    if ! grep -q "^$test_locale UTF-8" /etc/locale.gen; then
        echo "$test_locale UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen
else
    echo "install-deps: cannot generate $test_locale here;" \
        "the comma-decimal tests will be skipped"
fi
