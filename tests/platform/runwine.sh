#!/usr/bin/env bash
# Usage: runwine.sh <program.exe> <work folder>
# Runs a Windows test program under Wine on a virtual X server of its own,
# with a 64-bit Wine prefix of its own in the work folder (made on the first
# run). Every Wine process of that prefix and the X server are ended after.
set -euo pipefail
source "$(dirname "$0")/../support/ownxvfb.sh"
program=$1
work=$2
mkdir -p "$work"
rm -f "$work/display"

export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries in the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
start_own_xvfb "$work" 1280x1024x24

if [ ! -e "$work/prefix-ready" ]; then
    rm -rf "$WINEPREFIX"
    timeout 120 wine wineboot --init >"$work/wineboot.log" 2>&1
    # Without a window manager, Wine waits 2 s for each managed window that
    # closes; unmanaged windows close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    wineserver -w
    touch "$work/prefix-ready"
fi

# Ends in time for the clean-up above, well before CTest would kill it.
timeout 120 wine "$program"
