#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Part of the code
# talks to the X server, so the tests run under a virtual one (Xvfb). The
# suite then runs a second time, built with AddressSanitizer (leak checks
# included) and UndefinedBehaviorSanitizer, where any report fails a test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# The tests and the benchmarks are asked for by name: a build folder that
# scripts/run.sh set up leaves them out.
bash scripts/build.sh build -DBUILD_TESTING=ON -DTESSIK_BUILD_BENCH=ON
# The X server says 96 dpi, a desktop at 100 %: the program follows the
# desktop's scale, and Xvfb's own 100 dpi would scale every window by 1.04.
(cd build && xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" ctest --output-on-failure --timeout 600)
bash scripts/check-package.sh build

bash scripts/build.sh build-sanitize -DTESSIK_SANITIZE=ON -DTESSIK_BUILD_BENCH=OFF
(cd build-sanitize && xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" ctest --output-on-failure --timeout 600)
