#!/usr/bin/env bash
# The sound figures in one run, on a display and a sound server of their own:
# latency as a user feels it (window and launches, paplay beside), CPU beside
# unixcw's cw, dropouts over 60 s, exit aborts of telvok-cw-send in 200 runs, and the
# sending practice's sidetone (key-down to sound, 10 minutes of keying).
#   bench/sound_figures.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
. scripts/services.sh
build=$(realpath "${1:-build/default}")
# cw is the peer the CPU and launch figures are compared with; only benchmarks need it.
ensure_packages cw xvfb xauth xdotool pulseaudio pulseaudio-utils
trap stop_services EXIT
start_services
echo "== latency (20 window runs, 200 launches)"
"$build/bench/sound_latency" 20 200
echo "== CPU while sending"
"$build/bench/sound_cpu" 30
echo "== dropouts, 60 s"
"$build/bench/sound_dropouts" 60
echo "== sidetone: key-down -> sound beside paplay (20 runs)"
"$build/bench/sidetone_latency" 20
echo "== sidetone: 10 minutes of keying at 40 WPM"
"$build/bench/sidetone_dropouts" 600
