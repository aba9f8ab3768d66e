# Shared by the scripts: installs what is missing and builds.

# Packages, by name on Debian 12 and 13 alike. To build and run the program:
RUN_PACKAGES=(cmake g++ make pkg-config libglut-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev
              libturbojpeg0-dev libx11-dev)
# To build its tests as well.
TEST_PACKAGES=(libgtest-dev libjpeg-dev zlib1g-dev libxfixes-dev)
# A virtual display with Mesa's software OpenGL, and the tools that find a window,
# press keys in it and capture it.
SCREENSHOT_PACKAGES=(xvfb xauth xdotool imagemagick)
# For the tests also: X's inspection tools, a window manager for the full-screen
# test, and apitrace to record GL calls.
DISPLAY_PACKAGES=("${SCREENSHOT_PACKAGES[@]}" x11-utils openbox apitrace)
# The sanitizer build and the fuzz target (libclang-rt-dev follows the default clang).
CHECK_PACKAGES=(clang libclang-rt-dev)
# Screen of the virtual display.
XVFB_SCREEN="-screen 0 1280x1024x24"

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs those of the given Debian packages that are not installed yet.
install_packages() {
    if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
        check_without_apt
        return 0
    fi
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# On a system without apt-get, names what the build needs and cannot find, by
# what it provides, once; the build is tried anyway, as it may still work.
check_without_apt() {
    [ -n "${CHECKED_WITHOUT_APT:-}" ] && return 0
    CHECKED_WITHOUT_APT=1
    local missing=() module
    command -v cmake >/dev/null || missing+=("CMake (3.25 or later)")
    command -v c++ >/dev/null || command -v g++ >/dev/null || command -v clang++ >/dev/null ||
        missing+=("a C++17 compiler")
    if command -v pkg-config >/dev/null; then
        for module in glut:freeglut glu:GLU libpng:libpng libturbojpeg:TurboJPEG; do
            pkg-config --exists "${module%%:*}" || missing+=("${module#*:}")
        done
    else
        missing+=("pkg-config")
    fi
    echo "No apt-get here, so nothing is installed automatically." >&2
    if [ ${#missing[@]} -gt 0 ]; then
        local IFS=,
        echo "Not found:${missing[*]/#/ }. Install them, with their development files." >&2
    fi
}

# Configures and builds a preset (default: "default") with any extra cache
# settings; --target NAME, once or more, builds those targets alone.
build() {
    local preset=default target=()
    [ $# -gt 0 ] && [ "${1#-}" = "$1" ] && preset=$1 && shift
    while [ "${1:-}" = --target ]; do
        target+=(--target "$2")
        shift 2
    done
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)" "${target[@]}"
}
