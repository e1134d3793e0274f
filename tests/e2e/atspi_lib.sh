# Reading the application as a screen reader does, for the end-to-end runs; source it after
# e2e_lib.sh.

# Starts a private session bus (which activates the AT-SPI bus launcher on first use), points
# DBUS_SESSION_BUS_ADDRESS at it and makes Qt applications started afterwards expose themselves
# over AT-SPI. $1: a file for the bus address.
e2e_start_accessibility_bus() {
    dbus-daemon --session --nofork --print-address >"$1" 2>/dev/null &
    E2E_PIDS+=("$!")
    e2e_wait_for_line "$1" 10 '^unix:'
    export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$1")"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# Writes the accessible tree of the application "quelmarn" to file $1 (atspi_dump.py, with
# Debian's own Python, which has pyatspi).
e2e_dump_accessible_tree() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/atspi_dump.py" quelmarn >"$1" ||
        e2e_fail "no accessible tree of quelmarn"
}

# Fails unless the dump $1 has a line matching the extended regex $2.
e2e_expect_element() {
    grep -qE "$2" "$1" || { cat "$1" >&2; e2e_fail "no element matching '$2' in $1"; }
}

# Writes to file $1 the menu that the shell command $2 (a key press, say) makes quelmarn show.
e2e_dump_menu_after() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/atspi_dump.py" quelmarn --menu-after "$2" \
        >"$1" || e2e_fail "no menu of quelmarn after '$2'"
}
