#!/bin/sh
# Builds the fuzz targets (every fuzz/*_fuzz.cpp) with clang and libFuzzer into
# fuzz/out and runs each one for the given number of seconds, one after the other.
# Usage: fuzz/run.sh <seconds per target> [target name ...]
# Exit status is non-zero when a target finds a crash; the input that caused it is
# left in fuzz/out/<target>-crashes/. A file fuzz/<kind>.dict (kind: the target's
# name without "_fuzz") gives the target the words of its input language.
set -eu
seconds=${1:?usage: fuzz/run.sh <seconds> [target ...]}
shift
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
out="$here/out"
mkdir -p "$out/obj"

CXX=${CXX:-clang++}
flags="-std=c++20 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -I$root -I$here"

# The store and what it needs, compiled once for all targets.
objs=""
for src in "$root"/common/dbf/*.cpp "$root"/common/util/*.cpp "$root"/platform/*.cpp \
    "$root"/platform/posix/*.cpp; do
    obj="$out/obj/$(echo "$src" | sed "s|$root/||; s|/|_|g").o"
    if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ]; then
        $CXX $flags -c "$src" -o "$obj"
    fi
    objs="$objs $obj"
done

# Seeds: small tables and memo files written by the store itself.
$CXX -std=c++20 -fsanitize=address,undefined -I"$root" "$here/make_seeds.cpp" $objs \
    -fsanitize=fuzzer-no-link -o "$out/make_seeds"
"$out/make_seeds" "$out/seeds"

targets=$*
if [ -z "$targets" ]; then
    targets=$(cd "$here" && ls *_fuzz.cpp | sed 's/\.cpp$//')
fi
status=0
for t in $targets; do
    $CXX $flags -fsanitize=fuzzer "$here/$t.cpp" $objs -o "$out/$t"
    corpus="$out/$t-corpus"
    crashes="$out/$t-crashes"
    mkdir -p "$corpus" "$crashes"
    kind=${t%_fuzz}
    if [ -d "$out/seeds/$kind" ]; then
        cp -n "$out/seeds/$kind"/* "$corpus"/ 2>/dev/null || true
    fi
    dict=""
    if [ -f "$here/$kind.dict" ]; then
        dict="-dict=$here/$kind.dict"
    fi
    echo "== $t: ${seconds}s"
    if ! "$out/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 $dict \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >"$out/$t.log" 2>&1; then
        echo "!! $t found a problem: see $out/$t.log and $crashes/"
        status=1
    fi
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done)" "$out/$t.log" || true
done
exit $status
