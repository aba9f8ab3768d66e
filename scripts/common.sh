# Shared by scripts/run, scripts/test and scripts/bench: installs what is missing and builds.

# Packages to build the program and its tests on Debian 12.
BUILD_PACKAGES=(cmake g++ make pkg-config libgtest-dev freeglut3-dev libglu1-mesa-dev
                libgl1-mesa-dri libpng-dev libturbojpeg0-dev libjpeg62-turbo-dev zlib1g-dev
                libx11-dev libxfixes-dev)
# A virtual display with Mesa's software OpenGL, tools that drive and capture windows,
# a window manager for the full-screen test, and apitrace to record GL calls.
DISPLAY_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick openbox apitrace)
# The sanitizer build and the fuzz target.
CHECK_PACKAGES=(clang libclang-rt-14-dev)
# Screen of the virtual display.
XVFB_SCREEN="-screen 0 1280x1024x24"

# Installs those of the given Debian packages that are not installed yet.
install_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds a preset (default: "default") with any extra cache settings.
build() {
    local preset=default
    [ $# -gt 0 ] && [ "${1#-}" = "$1" ] && preset=$1 && shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
}
