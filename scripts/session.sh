# session.sh: a virtual display and a persistent wineserver for one run; sourced.
# velkarn_start_display: starts Xvfb on a free display number and exports DISPLAY.
# velkarn_start_wine:    keeps one wineserver alive and boots the prefix, with no
#                        inherited streams (a server that inherits a test runner's
#                        pipe would keep that runner waiting forever).
# velkarn_stop_session:  stops both; installed as an EXIT trap by the callers.

velkarn_start_display() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        VELKARN_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        export DISPLAY=":$n"
        return 0
    done
    echo "no free X display number" >&2
    return 1
}

velkarn_start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >/dev/null 2>&1 || true
}

velkarn_stop_session() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -n "${VELKARN_XVFB_PID:-}" ]; then
        kill "$VELKARN_XVFB_PID" 2>/dev/null || true
        wait "$VELKARN_XVFB_PID" 2>/dev/null || true
    fi
}
