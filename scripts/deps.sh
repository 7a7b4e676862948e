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

dn_missing_packages() {
    local p
    for p in "${DN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$p"
    done
}

dn_ensure_packages() {
    local missing
    missing=$(dn_missing_packages)
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
