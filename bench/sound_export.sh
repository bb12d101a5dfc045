#!/usr/bin/env bash
# Sound-file speed and size beside ebook2cw, which this installs for the comparison.
#   bench/sound_export.sh [build-dir] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
build=$(realpath "${1:-build/default}")
ensure_packages ebook2cw
"$build/bench/sound_export" "${2:-3}"
