# Shared by the Windows and web builds (scripts/windows.sh, scripts/web.sh):
# Debian's source packages of the libraries they build, fetched with apt-get
# source from the mirror this system's apt already uses.

# Adds deb-src for the running release's main suite, in a file of its own, from
# the same mirror as the release's deb entry in this system's apt configuration
# (/etc/apt/sources.list or /etc/apt/sources.list.d), so that apt-get source works.
enable_source_packages() {
    local list=/etc/apt/sources.list.d/velmorath-deb-src.sources codename mirror
    [ -f "$list" ] && return 0
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt-get indextargets --no-release-info \
        --format '$(TARGET_OF) $(RELEASE) $(COMPONENT) $(REPO_URI)' |
        awk -v release="$codename" '$1 == "deb" && $2 == release && $3 == "main" { print $4; exit }')
    if [ -z "$mirror" ]; then
        echo "apt has no deb entry for $codename main to take source packages from" >&2
        return 1
    fi
    echo "Adding Debian's $codename source packages from $mirror ($list)"
    printf '%s\n' "Types: deb-src" "URIs: $mirror" "Suites: $codename" "Components: main" \
        "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" | as_root tee "$list" >/dev/null
    as_root apt-get update -qq
}

# Unpacks the source package PACKAGE under DIR, once, and prints the folder it
# unpacked to. Output goes to LOG, shown if it fails. Where a mirror carries a
# package's upstream tarball but not its .dsc, that tarball is unpacked instead,
# without Debian's patches.
fetch_source() {
    local package=$1 sources=$2 log=$3 dir
    mkdir -p "$sources"
    dir=$(find "$sources" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    if [ -z "$dir" ]; then
        if ! (cd "$sources" && apt-get source "$package" >"$log" 2>&1); then
            echo "apt-get source $package failed: building its upstream tarball," \
                "without Debian's patches" >&2
            (cd "$sources" && apt-get source --tar-only --download-only "$package" &&
                tar -xf "$package"_*.orig.tar.*) >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
        fi
        dir=$(find "$sources" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    fi
    echo "$dir"
}
