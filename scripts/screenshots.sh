#!/usr/bin/env bash
# Retakes the README's screenshots (docs/screenshots/) from the real panel
# and popup under a virtual X server, with the demo's recorded sensor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-tools -DTESSIK_BUILD_TOOLS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tools -j "$(nproc)" --target tessik-screenshots
# At 96 dpi, a desktop at 100 %: Xvfb's own 100 dpi would scale the windows
# by 1.04 and blur them.
xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" ./build-tools/tools/tessik-screenshots docs/screenshots
echo "Screenshots written to docs/screenshots/"
