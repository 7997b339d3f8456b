#!/usr/bin/env bash
# tessik-control-demo on an X server of its own, with fresh settings: the
# walk past in its recording (19 s after the sensor opens) raises the alert,
# and the popup is shown within the recording's first loop, not before.
set -euo pipefail
source "$(dirname "$0")/support/ownxvfb.sh"
demo="$1"

work="$(mktemp -d)"
xvfb_pid=""
demo_pid=""
cleanup() {
    for pid in $demo_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- the demo's output, without its idle lines:"
    grep -v -e '^waiting' -e '^$' "$work/demo.log" | head -n 40 || true
    exit 1
}
now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }

start_own_xvfb "$work" 1024x768x24 || fail "no X server"

mkdir -p "$work/home" && mkdir -m 700 "$work/runtime"
started=$(now_ms)
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" \
    "$demo" >"$work/demo.log" 2>&1 &
demo_pid=$!

# The popup at its first-run size, a fifth of the screen's height: 153 of 768
# pixels. A second walk past would come 20 s after the first.
popup_shown() {
    local id
    for id in $(xwininfo -root -children | awk '$0 ~ / [0-9]+x153\+/ { print $1 }'); do
        xwininfo -id "$id" | grep -q "Map State: IsViewable" && return 0
    done
    return 1
}
until popup_shown; do
    kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended"
    [ $(($(now_ms) - started)) -lt 39000 ] || fail "no popup within the recording's first loop"
    sleep 0.25
done
shown=$(($(now_ms) - started))
echo "popup shown ${shown} ms after the demo started"

[ "$shown" -ge 19000 ] || fail "popup before anyone walked past, at $shown ms: a false alert"
grep -q "unable to open device" "$work/demo.log" && fail "the recorded sensor did not open"
kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended"
echo "the demo raised its alert"
