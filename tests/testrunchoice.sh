#!/usr/bin/env bash
# Which program scripts/run.sh starts, for fake /sys trees.
set -euo pipefail
source "$(dirname "$0")/../scripts/run.sh"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0

# check <HID device names, or "none" for a tree without a HID bus> <argument> <expected>
check() {
    rm -rf "$root/sys"
    mkdir -p "$root/sys"
    if [ "$1" != none ]; then
        mkdir -p "$root/sys/bus/hid/devices"
        for name in $1; do mkdir "$root/sys/bus/hid/devices/$name"; done
    fi
    local got status=0
    got="$(TESSIK_SYS="$root/sys" choose_program $2 2>/dev/null)" || status=$?
    [ "$status" -ne 0 ] && got="status $status"
    if [ "${got%% *}" != "$3" ] && [ "$got" != "$3" ]; then
        echo "FAIL: devices '$1', argument '$2': expected $3, got '$got'"
        failures=$((failures + 1))
    fi
}

check none "" demo
check "" "" demo
check "0003:046D:C52B.0001 0005:04C5:1234.0002" "" demo
check "0003:2047:0302.0003" "" demo # the same maker's other product
check "0003:2047:0301.0004" "" real
check "0003:046D:C52B.0001 0003:2047:0301.0007" "" real
check "0003:2047:0301.0004" --demo demo
check "" --real real
check "" --later "status 2"
check "" "--real --demo" "status 2"

[ "$failures" -eq 0 ] && echo "run.sh chooses right in every case"
exit "$failures"
