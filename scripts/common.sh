# Shared by scripts/run and scripts/test: Debian packages and the build.
# Sourced, not run.

# What building, running and testing need on Debian 12.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev libpulse-dev libsndfile1-dev pkgconf qt6-qpa-plugins
    qt6-translations-l10n fonts-liberation fonts-dejavu-core)
TEST_PACKAGES=(dpkg-dev lintian appstream desktop-file-utils xvfb xauth xdotool x11-utils imagemagick pulseaudio pulseaudio-utils multimon-ng)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages that are not installed yet; apt-get update only then.
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds a preset with both cores.
build_preset() {
    local preset=$1
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
