#!/usr/bin/env bash
# A Linux process and a Windows process (under Wine, on the same computer) on one
# table: each sees the other's sharing lock, record locks and file lock. Wine keeps
# the locks of Windows programs as POSIX locks of the Linux system, so this is
# what a shared folder served by Samba with "posix locking" gives the two kinds of
# computer too (docs/platform.md, "A mixed office").
#   mixed_locks.sh <linux dn_hold_table> <dn_make_tables> <dn_hold_table.exe> <wine>
set -uo pipefail
linux=$(realpath "$1") maker=$(realpath "$2") windows=$(realpath "$3") wine=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/dn_mixed_XXXXXX")
holder=
cleanup() {
    exec 3>&- 2>/dev/null
    [ -n "$holder" ] && wait "$holder" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
"$maker" "$work" || { echo "FAIL: the Linux build could not make the tables"; exit 1; }
table=$work/SCADENZE.DBF
wintable=$("$wine" winepath -w "$table" 2>/dev/null | tr -d '\r')

# hold <linux|windows> <arguments>...: starts a holder and waits until it holds.
hold() {
    local side=$1; shift
    rm -f "$work/fifo"; mkfifo "$work/fifo"
    if [ "$side" = linux ]; then
        "$linux" "$table" "$@" <"$work/fifo" >"$work/held.out" 2>&1 &
    else
        "$wine" "$windows" "$wintable" "$@" <"$work/fifo" >"$work/held.out" 2>&1 &
    fi
    holder=$!
    exec 3>"$work/fifo"
    local i
    for i in $(seq 600); do
        grep -q '^held' "$work/held.out" && return 0
        kill -0 "$holder" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: the $side holder did not start:"; cat "$work/held.out"; exit 1
}

release() {
    exec 3>&-
    wait "$holder"
    holder=
}

failures=0 runs=0
# expect <what> <expected output> <linux|windows> <arguments>...: one try, no hold.
expect() {
    local what=$1 want=$2 side=$3; shift 3
    local got
    if [ "$side" = linux ]; then
        got=$("$linux" "$table" "$@" </dev/null 2>&1)
    else
        got=$("$wine" "$windows" "$wintable" "$@" </dev/null 2>&1 | tr -d '\r')
    fi
    got=${got%$'\n'held}
    runs=$((runs + 1))
    if [ "$got" = "$want" ]; then
        echo "as expected: $what"
    else
        failures=$((failures + 1))
        echo "UNEXPECTED: $what"; echo "  wanted: ${want//$'\n'/ | }"; echo "  got:    ${got//$'\n'/ | }"
        echo "  holder: $(tr '\n' ' ' <"$work/held.out")"
    fi
}

hold linux exclusive
expect "a Windows open while Linux holds the table exclusively" "open: sharing" windows shared
release
hold windows exclusive
expect "a Linux open while Windows holds the table exclusively" "open: sharing" linux shared
release
hold windows shared record=7
expect "Linux record locks and file lock while Windows holds record 7" \
    $'open: ok\nrecord 7: busy\nrecord 8: ok\nfile: busy' linux shared record=7 record=8 file
expect "a Linux exclusive open while Windows has the table open" "open: sharing" linux exclusive
release
hold linux shared file
expect "Windows record lock while Linux holds the file lock" \
    $'open: ok\nrecord 3: busy' windows shared record=3
release
hold linux shared record=300
expect "Windows locks while Linux holds record 300" \
    $'open: ok\nrecord 300: busy\nrecord 299: ok\nfile: busy' windows shared record=300 record=299 file
release
expect "Windows takes the file lock once Linux let go" $'open: ok\nfile: ok' windows shared file

echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
