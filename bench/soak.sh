#!/usr/bin/env bash
# Soak: telvok-cw-send plays a long text to the private null sink (600 s by default)
# while stress-ng loads both cores. The capture must hold the -o rendering of the same
# text unchanged (no gap, no repeated half), and the sender's memory must not grow.
#   bench/soak.sh [build-dir] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
. scripts/services.sh
build=$(realpath "${1:-build/default}")
seconds=${2:-600}
ensure_packages stress-ng pulseaudio pulseaudio-utils   # the load; only this bench needs it
SERVICE_DIR=$(mktemp -d)
work=$SERVICE_DIR/soak
mkdir -p "$work"
STRESS_PID=""
CAPTURE_PID=""
cleanup() {
    [ -n "$STRESS_PID" ] && kill "$STRESS_PID" 2>/dev/null
    [ -n "$CAPTURE_PID" ] && kill "$CAPTURE_PID" 2>/dev/null
    stop_services
}
trap cleanup EXIT
start_pulse
export XDG_CONFIG_HOME=$work/config
options=(--wpm 30 --tone 700 --volume 12000)

# Random five-letter groups, about 0.4 s a character at 30 WPM.
letters=$(LC_ALL=C tr -dc 'A-Z' </dev/urandom | head -c $((seconds * 2)) || true)
fold -w5 <<<"$letters" | tr '\n' ' ' >"$work/text.txt"

stress-ng --cpu 2 --timeout $((seconds + 120))s >/dev/null 2>&1 &
STRESS_PID=$!
parec -d "$TELVOK_SINK.monitor" --raw --format=s16le --rate=44100 --channels=1 \
    --latency-msec=10 >"$work/captured.raw" &
CAPTURE_PID=$!
sleep 1
echo "stress-ng --cpu 2 running; sending $(wc -c <"$work/text.txt") characters"
"$build/tools/telvok-cw-send" "${options[@]}" "$work/text.txt" &
sender=$!
rss=()
while kill -0 "$sender" 2>/dev/null; do
    kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$sender/status" 2>/dev/null || true)
    [ -n "$kb" ] && rss+=("$kb")
    sleep 10
done
wait "$sender" && sent=0 || sent=$?
sleep 1
kill "$CAPTURE_PID"; wait "$CAPTURE_PID" 2>/dev/null || true; CAPTURE_PID=""
kill "$STRESS_PID"; wait "$STRESS_PID" 2>/dev/null || true; STRESS_PID=""

echo "sender exit status: $sent"
echo "sender resident memory every 10 s (KiB): ${rss[*]}"
"$build/tools/telvok-cw-send" "${options[@]}" -o "$work/reference.wav" "$work/text.txt"
"$build/bench/sound_dropouts" --compare "$work/captured.raw" "$work/reference.wav"
