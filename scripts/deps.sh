# Sourced by run.sh and test.sh: makes sure the Debian packages that the build and
# the tests need are installed. As root it installs what is missing; otherwise it
# prints the one apt-get line to run and stops.

DN_PACKAGES=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev libgl-dev libminizip-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    fonts-liberation xvfb xauth x11-apps imagemagick
    python3 python3-dbfread python3-dbf libdbd-xbase-perl perl
    poppler-utils xdg-utils qt6-svg-dev zip unzip qt6-translations-l10n
)

# The Windows leg (test.sh --windows) also needs the MinGW-w64 cross compiler, the
# GoogleTest sources to build with it, zlib built for Windows, and Wine to run what
# it builds. minizip comes from zlib's Debian sources (dn_zlib_source).
DN_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest libz-mingw-w64-dev dpkg-dev wine64)

# Packages of DN_PACKAGES and of the arguments that are not installed.
dn_missing_packages() {
    local p
    for p in "${DN_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$p"
    done
}

# Installs DN_PACKAGES and the packages named as arguments.
dn_ensure_packages() {
    local missing
    missing=$(dn_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installo i pacchetti mancanti: $missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        # shellcheck disable=SC2086
        apt-get install -y -q --no-install-recommends $missing
    else
        echo "Mancano alcuni pacchetti. Installarli con:"
        echo "  sudo apt-get install -y $missing"
        exit 1
    fi
}

# Configures (once) and builds the tree in the given folder.
dn_build() {
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$DN_ROOT" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" -- -j"$(nproc)"
}

# Wine as Debian's wine64 package installs it (its programs are not on PATH).
dn_wine_dir() {
    local w
    w=$(command -v wine64 || true)
    if [ -n "$w" ]; then dirname "$w"; else echo /usr/lib/wine; fi
}

# Runs the tests of the Windows build folder (ctest there, with its arguments)
# under Wine, in a new, empty Wine prefix inside that folder and with Wine's own
# logging off. Wine keeps the read-only attribute as permission bits, and those do
# not stop root: as root the tests therefore run as the unprivileged user nobody,
# so that a read-only file refuses writers as it does on Windows.
dn_windows_ctest() {
    local dir=$1 wine run=()
    shift
    wine=$(dn_wine_dir)
    export WINEPREFIX=$dir/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$(id -u)" -eq 0 ]; then
        chown -R nobody:nogroup "$dir"
        run=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$dir")
        # nobody must reach the build folder: a folder above it that others may not
        # search (a checkout under /root, a private temporary folder) gets the
        # search bit for others, and nothing else.
        local up=$dir
        while [ "$up" != / ]; do
            up=$(dirname "$up")
            if ! "${run[@]}" test -x "$up"; then
                echo "Permetto all'utente nobody di attraversare $up"
                chmod o+x "$up"
            fi
        done
    fi
    if [ -d "$WINEPREFIX" ]; then
        "${run[@]}" "$wine/wineserver64" -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    mkdir "$WINEPREFIX"
    [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$WINEPREFIX"
    "${run[@]}" "$wine/wine64" wineboot --init >/dev/null 2>&1
    (cd "$dir" && "${run[@]}" ctest --output-on-failure -j"$(nproc)" "$@")
}

# Unpacks Debian's zlib sources into the folder given (once): no package builds
# their contrib/minizip for Windows, so the Windows leg compiles it from them. The
# sources come through apt-get from the archive this machine installs from, with a
# list of its own, so the system's apt setup is left as it is.
dn_zlib_source() {
    local dir=$1 apt list
    [ -f "$dir/contrib/minizip/zip.c" ] && return 0
    apt=$(mktemp -d)
    mkdir -p "$apt/lists/partial" "$apt/sources"
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] && sed 's/^Types: deb$/Types: deb-src/' "$list" >"$apt/sources/$(basename "$list")"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$apt/sources/system.list"
    fi
    local opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources"
                -o Dir::State::Lists="$apt/lists" -o APT::Sandbox::User=root -q)
    apt-get "${opts[@]}" update >/dev/null
    rm -rf "$dir" "$apt/src"
    mkdir -p "$apt/src" "$(dirname "$dir")"
    # The newest sources; when the archive has not got them (a security update's may
    # be missing), those of the release.
    (cd "$apt/src" && { apt-get "${opts[@]}" source zlib >/dev/null 2>&1 ||
        apt-get "${opts[@]}" source "zlib/$(. /etc/os-release && echo "$VERSION_CODENAME")" >/dev/null; })
    mv "$(find "$apt/src" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -n 1)" "$dir"
    rm -rf "$apt"
    [ -f "$dir/contrib/minizip/zip.c" ]
}
