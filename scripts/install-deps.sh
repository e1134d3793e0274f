#!/usr/bin/env bash
# Installs the Debian packages in scripts/packages.txt that are not installed yet, and generates
# the comma-decimal locale the number-format tests run under.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

sudo=()
if [[ "$(id -u)" != 0 ]]; then
    sudo=(sudo)
fi

mapfile -t wanted < <(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$')
missing=()
for package in "${wanted[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#wanted[@]} packages are installed"
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
elif [[ -f /etc/locale.gen ]] && command -v locale-gen >/dev/null; then
    if ! grep -q "^$test_locale UTF-8" /etc/locale.gen; then
        echo "$test_locale UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen
else
    echo "install-deps: cannot generate $test_locale here (no locale-gen);" \
        "the comma-decimal tests will be skipped"
fi
