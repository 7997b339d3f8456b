#!/usr/bin/env bash
# Installs what is missing for building and running (not the test packages),
# builds the program and the demo only, and starts Tessik Control: the real
# program when the sensor is plugged in, otherwise the demo, which plays a
# recorded sensor. `--real` or `--demo` chooses. Sourced, this file only
# defines choose_program.

# choose_program [--real|--demo]: prints "real" or "demo" and the reason, on
# one line. The sensor is looked for in ${TESSIK_SYS:-/sys}, where the kernel
# names each HID device bus:vendor:product.instance.
choose_program() {
    local found=("${TESSIK_SYS:-/sys}"/bus/hid/devices/*:2047:0301.*)
    local sensor="no sensor 2047:0301 is plugged in"
    [ -e "${found[0]:-}" ] && sensor="the sensor 2047:0301 is plugged in (${found[0]##*/})"
    case "$*" in
        --real) echo "real you chose --real; $sensor" ;;
        --demo) echo "demo you chose --demo; $sensor" ;;
        "") [ -e "${found[0]:-}" ] && echo "real $sensor" || echo "demo $sensor" ;;
        *)
            echo "usage: scripts/run.sh [--real|--demo]" >&2
            return 2
            ;;
    esac
}

run_main() {
    local choice
    choice="$(choose_program "$@")" || exit 2
    cd "$(dirname "${BASH_SOURCE[0]}")/.."
    bash scripts/install-deps.sh build run
    # A new build folder leaves out the tests and the benchmarks, which need
    # the test packages; one that scripts/test.sh set up keeps them.
    local configure=()
    [ -f build/CMakeCache.txt ] || configure=(-DBUILD_TESTING=OFF -DTESSIK_BUILD_BENCH=OFF)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}"
    cmake --build build -j "$(nproc)" --target tessik-control tessik-control-demo
    echo
    case "$choice" in
        real*)
            echo "Starting tessik-control: ${choice#real }."
            echo "scripts/run.sh --demo starts the demo instead, which plays a recorded sensor."
            exec ./build/src/tessik-control
            ;;
        demo*)
            echo "Starting the demo, tessik-control-demo: ${choice#demo }."
            echo "It plays a recorded sensor: someone walks past every 20 s and the alert pops up."
            echo "With the sensor plugged in, scripts/run.sh starts the real program (or use --real)."
            exec ./build/src/demo/tessik-control-demo
            ;;
    esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    run_main "$@"
fi
