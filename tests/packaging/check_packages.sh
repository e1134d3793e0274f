#!/usr/bin/env bash
# The Debian packages as a user gets them: builds them from a configured and built folder,
# checks them with lintian and the desktop, AppStream and systemd validators, unpacks them into
# a scratch root and runs the programs from there: the service answers a lookup on loopback, and
# the application starts on a virtual display, writes its launch lines and loads its web view
# module from the scratch root.
# Usage: check_packages.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_lib.sh"
build="$(cd "$1" && pwd)"
out="$build/packaging/check"
rm -rf "$out"
mkdir -p "$out"
root="$out/root"

echo "packages: cpack -G DEB"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >"$out/cpack.log") || { cat "$out/cpack.log" >&2; e2e_fail "cpack failed"; }
app_deb="$(ls "$build"/packages/quelmarn_*.deb)"
service_deb="$(ls "$build"/packages/quelmarn-lookupd_*.deb)"
for deb in "$app_deb" "$service_deb"; do
    dpkg-deb -x "$deb" "$root"
    echo "packages: $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done
# A Wayland session runs the application natively only with Qt's Wayland plugin.
[[ ",$(dpkg-deb -f "$app_deb" Depends | tr -d ' ')," == *",qt6-wayland,"* ]] ||
    e2e_fail "the application's package does not depend on qt6-wayland"

# lintian fails on errors; the one warning it prints is explained in
# packaging/CMakeLists.txt.
lintian --fail-on error --tag-display-limit 0 "$app_deb" "$service_deb" | tee "$out/lintian.log" ||
    e2e_fail "lintian found errors"

desktop-file-validate "$root"/usr/share/applications/*.desktop || e2e_fail "desktop entry"
appstreamcli validate --no-net --explain "$root"/usr/share/metainfo/*.metainfo.xml ||
    e2e_fail "metainfo"

unit="$root/lib/systemd/system/quelmarn-lookupd.service"
[[ -f "$unit" ]] || unit="$root/usr/lib/systemd/system/quelmarn-lookupd.service"
# Within the scratch root, which holds the service's executable and manual page but none of the
# system's own units: those are the host's business, so errors in them are not followed. Any
# remark on the unit itself fails the check, an unknown setting included.
verify="$(systemd-analyze verify --root="$root" --man=no --recursive-errors=no "$unit" 2>&1)" ||
    e2e_fail "systemd-analyze verify: $verify"
[[ -z "$verify" ]] || e2e_fail "systemd-analyze verify: $verify"
[[ -f "$root/usr/share/man/man1/quelmarn-lookupd.1.gz" ]] || e2e_fail "no manual page for the unit"
systemd-analyze security --offline=true --root="$root" --threshold=49 "$unit" >"$out/security.log" ||
    { cat "$out/security.log" >&2; e2e_fail "the unit's exposure is above 4.9"; }
echo "packages: $(tail -1 "$out/security.log")"

# The service, on a port of its own choosing, answers a lookup of a sample device.
"$root/usr/bin/quelmarn-lookupd" --port 0 --database "$out/devices.sqlite3" 2>"$out/lookupd.log" &
E2E_PIDS+=($!)
e2e_wait_for_line "$out/lookupd.log" 10 'http://127\.0\.0\.1:[0-9]+/'
port="$(grep -oE 'http://127\.0\.0\.1:[0-9]+/' "$out/lookupd.log" | head -1 | grep -oE '[0-9]+/$' | tr -d /)"
body="sn=QX2K93HT7LMP"
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s' \
    "$port" "${#body}" "$body" >&3
answer="$(cat <&3)"
exec 3<&-
[[ "$answer" == "HTTP/1.1 200"* ]] || e2e_fail "the lookup answered: ${answer:0:200}"
echo "packages: the extracted service answered the lookup on port $port"

# The application: its launch lines, then the web view module from the scratch root as soon as a
# lookup is shown (the lookup itself may fail: no service is asked to listen on its address).
export XDG_RUNTIME_DIR="$out/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
e2e_start_display
e2e_start_app "$root/usr/bin/quelmarn" "$out/app.log"
e2e_wait_for_line "$out/app.log" 30 'the fan speed is '
window="$(e2e_window quelmarn)"
[[ -n "$window" ]] || e2e_fail "the main window did not appear"
echo "packages: the extracted application wrote its launch lines:"
grep -E '\] (CPU|内存|系统|UUID|机器型号|the fan)' "$out/app.log" | sed 's/^/    /'
xdotool windowfocus --sync "$window"
xdotool key ctrl+f
xdotool type --delay 20 QX2K93HT7LMP
xdotool key Return
e2e_wait_for_line "$out/app.log" 60 '\] (finish load|did fail load)$'
module="$(grep -o '/[^ ]*/libquelmarn_webview\.so$' "/proc/$E2E_APP_PID/maps" | head -1)"
[[ "$module" == "$root/"* ]] || e2e_fail "the web view module came from '${module}', not from $root"
echo "packages: the extracted application loaded ${module#"$root"}"
