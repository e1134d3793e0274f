# Source this for start_virtual_display: it starts Xvfb on a free display number, exports
# DISPLAY for it and sets VIRTUAL_DISPLAY_PID; the caller stops it. The screen is
# VIRTUAL_DISPLAY_SIZE pixels (WIDTHxHEIGHT), 1280x800 unless set. The server keeps its root
# window's resources (Xft.dpi, say) when its last client leaves.
start_virtual_display() {
    local numberFile
    numberFile="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 "${VIRTUAL_DISPLAY_SIZE:-1280x800}x24" -nolisten tcp -noreset 3>"$numberFile" 2>/dev/null &
    VIRTUAL_DISPLAY_PID=$!
    # Xvfb writes its display number once it accepts clients.
    while [[ ! -s "$numberFile" ]]; do
        if ! kill -0 "$VIRTUAL_DISPLAY_PID" 2>/dev/null; then
            rm -f "$numberFile"
            echo "Xvfb did not start" >&2
            return 1
        fi
        sleep 0.05
    done
    export DISPLAY=":$(cat "$numberFile")"
    rm -f "$numberFile"
}
