#!/usr/bin/env bash
# The Windows build's dntable, run under Wine, prints byte for byte what the Linux
# build's prints, with the same exit status, on tables that the Linux build made:
# info, check (a clean index and a stale one) and csv, with names as a Windows
# user types them (lower case, no extension, a drive letter and "\").
#   same_output.sh <linux dntable> <dn_make_tables> <dntable.exe> <wine>
set -uo pipefail
native=$(realpath "$1") maker=$(realpath "$2") windows=$(realpath "$3") wine=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/dn_wine_XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/data"
"$maker" "$work/data" || { echo "FAIL: the Linux build could not make the tables"; exit 1; }

# The data folder as Windows names it: a drive letter and backslashes.
windata=$(cd "$work/data" && "$wine" winepath -w . 2>/dev/null | tr -d '\r')
case "$windata" in
[A-Z]:\\*) ;;
*) echo "FAIL: no Windows name for $work/data (got '$windata')"; exit 1 ;;
esac

failures=0 runs=0
# compare [--status] <what> <arguments, @ standing for the table folder>...
# With --status only the exit status counts (the system's own error texts differ).
compare() {
    local statusOnly=0
    if [ "$1" = --status ]; then statusOnly=1; shift; fi
    local what=$1; shift
    local nargs=() wargs=() a
    for a in "$@"; do
        nargs+=("${a//@/$work/data/}")
        wargs+=("${a//@/$windata\\}")
    done
    (cd "$work/data" && "$native" "${nargs[@]}") >"$work/linux.out" 2>&1
    local nstatus=$?
    (cd "$work/data" && "$wine" "$windows" "${wargs[@]}") >"$work/windows.out" 2>&1
    local wstatus=$?
    # The names of the folder differ; everything else must not.
    sed -i "s|$work/data/||g" "$work/linux.out"
    sed -i "s|$(printf '%s' "$windata\\" | sed 's/\\/\\\\/g')||g" "$work/windows.out"
    runs=$((runs + 1))
    if [ "$nstatus" != "$wstatus" ] ||
        { [ "$statusOnly" = 0 ] && ! cmp -s "$work/linux.out" "$work/windows.out"; }; then
        failures=$((failures + 1))
        echo "DIFFERENT: dntable $what (exit status Linux $nstatus, Windows $wstatus)"
        diff <(od -c "$work/linux.out") <(od -c "$work/windows.out") | head -12
    else
        echo "same: dntable $what (exit status $nstatus, $(wc -c <"$work/linux.out") bytes)"
    fi
}

compare "info scadenze" info scadenze
compare "info with a full Windows name" info @SCADENZE.DBF
compare "info rubrica" info rubrica
compare "check of a sound index" check scadenze scadenze
compare "check of a stale index" check @scadenze @dannegg
compare "check rubrica" check rubrica rubrica
compare "csv scadenze" csv scadenze
compare "csv scadenze --deleted" csv scadenze --deleted
compare "csv rubrica --deleted" csv @rubrica --deleted
compare --status "csv of a missing table" csv manca

echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
