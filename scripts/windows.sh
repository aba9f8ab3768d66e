# Shared by scripts/package-windows and scripts/test-windows: the MinGW-w64
# cross-compiler, the Windows libraries built from Debian's source packages,
# and the Windows build of Velmorath, all under build-windows/ (never committed).
source scripts/sources.sh

WINDOWS_PACKAGES=(cmake make dpkg-dev g++-mingw-w64-x86-64-posix libz-mingw-w64-dev)
# Wine, to run the Windows build here.
WINE_PACKAGES=(wine wine64)
WINDOWS_DIR=$PWD/build-windows
WINDOWS_TOOLCHAIN=$PWD/scripts/windows-toolchain.cmake

# Builds and installs one library from its Debian source package with its own
# CMake, static, into build-windows/prefix, once per source version. Its output
# goes to build-windows/libraries/PACKAGE.log, shown if a step fails.
build_windows_library() {
    local package=$1 dir stamp log
    shift
    mkdir -p "$WINDOWS_DIR/libraries"
    log=$WINDOWS_DIR/libraries/$package.log
    dir=$(fetch_source "$package" "$WINDOWS_DIR/sources/$package" "$log")
    stamp=$WINDOWS_DIR/prefix/built-$(basename "$dir")
    [ -f "$stamp" ] && return 0
    echo "Building $(basename "$dir") for Windows"
    {
        cmake -S "$dir" -B "$WINDOWS_DIR/libraries/$package" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DCMAKE_INSTALL_PREFIX="$WINDOWS_DIR/prefix" "$@" &&
            cmake --build "$WINDOWS_DIR/libraries/$package" -j"$(nproc)" &&
            cmake --install "$WINDOWS_DIR/libraries/$package"
    } >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
    touch "$stamp"
}

# The libraries the program needs, and with "tests" GoogleTest as well.
build_windows_libraries() {
    install_packages "${WINDOWS_PACKAGES[@]}"
    enable_source_packages
    build_windows_library freeglut -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_DEMOS=OFF
    build_windows_library libpng1.6 -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_TOOLS=OFF
    build_windows_library libjpeg-turbo -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF
    if [ "${1:-}" = tests ]; then
        build_windows_library googletest -DBUILD_GMOCK=OFF
    fi
}

# Builds velmorath.exe into build-windows/velmorath; with "tests", its unit tests too.
build_windows_program() {
    build_windows_libraries "${1:-}"
    local testing=OFF
    [ "${1:-}" = tests ] && testing=ON
    build windows -DBUILD_TESTING=$testing -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
}

# Fails unless velmorath.exe imports only DLLs that Windows itself ships.
check_windows_imports() {
    local exe=$WINDOWS_DIR/velmorath/velmorath.exe dlls others
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    echo "velmorath.exe ($(stat -c %s "$exe") bytes) imports:" $dlls
    others=$(grep -viE '^(kernel32|user32|gdi32|advapi32|msvcrt|opengl32|glu32|winmm)\.dll$' \
        <<<"$dlls" || true)
    if [ -n "$others" ]; then
        echo "velmorath.exe needs DLLs that Windows does not ship:" $others >&2
        return 1
    fi
}

# Packs velmorath.exe, the images and a short README.txt into
# build-windows/velmorath-windows-x64.zip, under a folder Velmorath/.
package_windows_program() {
    local package=$WINDOWS_DIR/package
    rm -rf "$package" "$WINDOWS_DIR/velmorath-windows-x64.zip"
    mkdir -p "$package/Velmorath/img"
    cp "$WINDOWS_DIR/velmorath/velmorath.exe" "$package/Velmorath/"
    cp img/earth.jpg img/sun.png img/moon.jpg "$package/Velmorath/img/"
    sed 's/$/\r/' docs/README-windows.txt >"$package/Velmorath/README.txt"  # Notepad's line ends
    (cd "$package" && cmake -E tar cf ../velmorath-windows-x64.zip --format=zip Velmorath)
    echo "Wrote $WINDOWS_DIR/velmorath-windows-x64.zip"
}
