#!/usr/bin/env bash
# Installs the Debian 12 packages of the groups given (build, run, test; see
# scripts/packages.sh), by default all of them: what building, running and
# testing Tessik Control needs. Safe to run again: packages already present
# are left alone, and with nothing missing apt is not called at all.
#
#   bash scripts/install-deps.sh [build] [run] [test]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(build run test)
packages=()
for group in "${groups[@]}"; do
    case "$group" in
        build) packages+=("${build_packages[@]}") ;;
        run) packages+=("${run_packages[@]}") ;;
        test) packages+=("${test_packages[@]}") ;;
        *)
            echo "usage: scripts/install-deps.sh [build] [run] [test]" >&2
            exit 2
            ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All packages of the groups ${groups[*]} are present."
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing (${groups[*]}): ${missing[*]}"
$SUDO apt-get update
# Through env: sudo would drop a variable set in front of it.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
