#!/usr/bin/env bash
# Builds everything and runs every test. With --asan the tests are built and run
# under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/. With
# --windows the rooms below the toolkit, dntable and their tests are built for
# Windows (MinGW-w64) in build-win/ and run under Wine.
set -euo pipefail
DN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$DN_ROOT/scripts/deps.sh"

if [ "${1:-}" = "--windows" ]; then
    shift
    dn_ensure_packages "${DN_WINDOWS_PACKAGES[@]}"
    dir="$DN_ROOT/build-win"
    dn_zlib_source "$dir/zlib-src" # where cmake/CoreOnly.cmake looks for them
    dn_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$DN_ROOT/cmake/mingw-w64.cmake"
    dn_windows_ctest "$dir" "$@"
    exit
fi

dn_ensure_packages
dir="$DN_ROOT/build"
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--asan" ]; then
    dir="$DN_ROOT/build-asan"
    args=(-DCMAKE_BUILD_TYPE=Debug -DDN_SANITIZE=ON)
    export LSAN_OPTIONS="suppressions=$DN_ROOT/scripts/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    shift
fi
dn_build "$dir" "${args[@]}"
cd "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" "$@"
