# Xvfb and a private PulseAudio server with a null sink, for the tests that need a
# display or a sound device. Sourced by scripts/test; everything is stopped by PID.

SERVICE_DIR=""
XVFB_PID=""
PULSE_PID=""
PAREC_PID=""

# The null sink every test plays into and captures from (its monitor).
TELVOK_SINK=telvok_null

# -noreset: without it the server resets whenever its last client leaves, and a
# program started during the reset cannot connect.
start_xvfb() {
    # -displayfd: the server picks a free display and writes its number once it
    # accepts connections, so several runs can share a machine and nothing sleeps.
    local fifo=$SERVICE_DIR/xvfb.display
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >"$SERVICE_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local number=""
    read -r -t 20 number <"$fifo" || true
    if [ -z "$number" ]; then
        echo "Xvfb did not start; the display tests will fail. Its log:" >&2
        cat "$SERVICE_DIR/xvfb.log" >&2 2>/dev/null
        return 0
    fi
    export DISPLAY=:$number
}

# Writes the server configuration from scripts/sound-server.pa, with the socket in
# dir and the sink TELVOK_SINK.
write_pulse_config() {
    local dir=$1
    sed -e "s|@SOCKET@|$dir/native|g" -e "s|@SINK@|$TELVOK_SINK|g" \
        "$(dirname "${BASH_SOURCE[0]}")/sound-server.pa" >"$dir/default.pa"
}

start_pulse() {
    local dir=$SERVICE_DIR/pulse
    mkdir -p "$dir/state"
    chmod 700 "$dir"
    write_pulse_config "$dir"
    # Everything the server and its clients keep lives under the service directory:
    # nothing touches the real user's session, cookie or sound server.
    export XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir/state
    export PULSE_COOKIE=$dir/cookie PULSE_SERVER=unix:$dir/native
    export TELVOK_SINK
    # --system=false lets root run a per-user server; no realtime (it needs D-Bus).
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
        --realtime=no --use-pid-file=no -F "$dir/default.pa" \
        --log-target=file:"$SERVICE_DIR/pulse.log" >/dev/null 2>&1 &
    PULSE_PID=$!
    local up=""
    for _ in $(seq 100); do
        if pactl info >/dev/null 2>&1; then up=1; break; fi
        kill -0 "$PULSE_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$up" ]; then
        echo "PulseAudio did not start; the sound tests will fail. Its log:" >&2
        cat "$SERVICE_DIR/pulse.log" >&2 2>/dev/null
        return 0
    fi
    # A null sink whose monitor nobody reads, or reads with a long latency, renders
    # ahead in large blocks and stalls new playback streams for seconds: keep its
    # monitor read in small fragments.
    parec -d "$TELVOK_SINK.monitor" --raw --latency-msec=10 >/dev/null 2>&1 &
    PAREC_PID=$!
    # Until that reader is connected and has settled, a new playback stream may
    # never start: wait for it, then a second more.
    for _ in $(seq 50); do
        [ -n "$(pactl list short source-outputs 2>/dev/null)" ] && break
        sleep 0.1
    done
    sleep 1
}

start_services() {
    SERVICE_DIR=$(mktemp -d)
    start_xvfb
    start_pulse
}

stop_pid() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    return 0
}

stop_services() {
    stop_pid "$PAREC_PID"
    stop_pid "$PULSE_PID"
    stop_pid "$XVFB_PID"
    PAREC_PID="" PULSE_PID="" XVFB_PID=""
    [ -n "$SERVICE_DIR" ] && rm -rf "$SERVICE_DIR"
    return 0
}
