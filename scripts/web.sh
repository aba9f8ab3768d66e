# Shared by scripts/package-web and scripts/test-web: Debian's Emscripten, the
# libraries built as static WebAssembly from Debian's source packages, and the
# web page, all under build-web/ (never committed).
source scripts/sources.sh

WEB_PACKAGES=(cmake make dpkg-dev emscripten)
# The browsers the page is tested in; ImageMagick reads their screenshots.
BROWSER_PACKAGES=(chromium firefox-esr imagemagick)
WEB_DIR=$PWD/build-web
# The node on this kind of machine may not be Debian's, and then does not find
# Debian's JavaScript modules (acorn) that Emscripten needs.
export NODE_PATH=/usr/share/nodejs

# Runs a library's build step with its output going to LOG, shown if it fails.
logged() {
    local log=$1
    shift
    "$@" >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
}

# Builds zlib, libpng and libjpeg-turbo as static WebAssembly libraries into
# build-web/prefix, each once per source version.
build_web_libraries() {
    install_packages "${WEB_PACKAGES[@]}"
    enable_source_packages
    local prefix=$WEB_DIR/prefix dir log
    mkdir -p "$prefix/lib" "$prefix/include" "$WEB_DIR/libraries"

    # zlib's CMake file needs win32/, which Debian's tarball leaves out.
    log=$WEB_DIR/libraries/zlib.log
    dir=$(fetch_source zlib "$WEB_DIR/sources/zlib" "$log")
    if [ ! -f "$prefix/built-$(basename "$dir")" ]; then
        echo "Building $(basename "$dir") for the web"
        (cd "$dir" && logged "$log" emconfigure ./configure --static --prefix="$prefix" &&
            logged "$log" emmake make -j"$(nproc)" libz.a && logged "$log" emmake make install)
        touch "$prefix/built-$(basename "$dir")"
    fi

    log=$WEB_DIR/libraries/libpng.log
    dir=$(fetch_source libpng1.6 "$WEB_DIR/sources/libpng" "$log")
    if [ ! -f "$prefix/built-$(basename "$dir")" ]; then
        echo "Building $(basename "$dir") for the web"
        logged "$log" emcmake cmake -S "$dir" -B "$WEB_DIR/libraries/libpng" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF \
            -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
            -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
        logged "$log" cmake --build "$WEB_DIR/libraries/libpng" -j"$(nproc)"
        logged "$log" cmake --install "$WEB_DIR/libraries/libpng"
        touch "$prefix/built-$(basename "$dir")"
    fi

    # Without an emulator to run its checks, CMake gets every type size wrong;
    # node's fetch would then try to load the check programs' .wasm as a URL.
    # Only TurboJPEG is needed, so only its static library is built and copied.
    log=$WEB_DIR/libraries/libjpeg-turbo.log
    dir=$(fetch_source libjpeg-turbo "$WEB_DIR/sources/libjpeg-turbo" "$log")
    if [ ! -f "$prefix/built-$(basename "$dir")" ]; then
        echo "Building $(basename "$dir") for the web"
        logged "$log" emcmake cmake -S "$dir" -B "$WEB_DIR/libraries/libjpeg-turbo" \
            -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF \
            "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch"
        logged "$log" cmake --build "$WEB_DIR/libraries/libjpeg-turbo" -j"$(nproc)" \
            --target turbojpeg-static
        cp "$WEB_DIR/libraries/libjpeg-turbo/libturbojpeg.a" "$prefix/lib/"
        cp "$dir/turbojpeg.h" "$prefix/include/"
        touch "$prefix/built-$(basename "$dir")"
    fi
}

# Builds the one-file page and the site, and with "tests" the test page too,
# into build-web/velmorath, and copies the page to build-web/velmorath.html and
# the site to build-web/site.
build_web_page() {
    build_web_libraries
    local target=(--target velmorath --target velmorath_site) file
    [ "${1:-}" = tests ] && target=()
    build web "${target[@]}" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    cp "$WEB_DIR/velmorath/velmorath.html" "$WEB_DIR/velmorath.html"
    rm -rf "$WEB_DIR/site"
    cp -r "$WEB_DIR/velmorath/site" "$WEB_DIR/site"
    for file in "$WEB_DIR/velmorath.html" "$WEB_DIR"/site/*.* "$WEB_DIR"/site/img/*; do
        echo "Wrote ${file#"$PWD"/} ($(stat -c %s "$file") bytes, $(gzip -9 -c "$file" | wc -c) gzipped)"
    done
}

# puppeteer-core, at the version tests/web/package-lock.json pins, with node
# and npm from Debian where the machine has none (it needs node 18 or later).
install_browser_driver() {
    command -v npm >/dev/null || install_packages nodejs npm
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
}
