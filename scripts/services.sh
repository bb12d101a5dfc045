# Xvfb and a private PulseAudio server with a null sink, for the tests that need a
# display or a sound device. Sourced by scripts/test; everything is stopped by PID.

SERVICE_DIR=""
XVFB_PID=""

start_xvfb() {
    local display=:87
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$SERVICE_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${display#:}" ] && break
        sleep 0.1
    done
    export DISPLAY=$display
}

start_services() {
    SERVICE_DIR=$(mktemp -d)
    start_xvfb
}

stop_services() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    [ -n "$SERVICE_DIR" ] && rm -rf "$SERVICE_DIR"
    return 0
}
