#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Part of the code
# talks to the X server, so the tests run under a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
cd build
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure --timeout 600
cd ..
bash scripts/check-package.sh build
