#!/usr/bin/env bash
# Checks the install layout and the Debian package built from a build folder
# (default ./build): the files land where the desktop looks for them, the
# desktop entry is valid, and the package declares what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="$(realpath "${1:-build}")"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

cmake --install "$build_dir" --prefix "$stage/usr" >/dev/null
for f in usr/bin/tessik-control \
         usr/share/applications/tessik-control.desktop \
         usr/share/icons/hicolor/256x256/apps/tessik-control.png \
         usr/lib/udev/rules.d/70-tessik-sensor.rules \
         usr/share/doc/tessik-control/copyright; do
    [ -e "$stage/$f" ] || fail "cmake --install did not install $f"
done
desktop-file-validate "$stage/usr/share/applications/tessik-control.desktop" ||
    fail "the desktop entry does not validate"

(cd "$build_dir" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build_dir"/tessik-control_*_amd64.deb | head -n 1)"
contents="$(dpkg-deb --contents "$deb")"
for f in ./usr/bin/tessik-control \
         ./usr/share/applications/tessik-control.desktop \
         ./usr/share/icons/hicolor/256x256/apps/tessik-control.png \
         ./usr/lib/udev/rules.d/70-tessik-sensor.rules \
         ./usr/share/doc/tessik-control/copyright; do
    grep -q " $f\$" <<<"$contents" || fail "$deb lacks $f"
done
if grep -q -E 'tests?/|bench|\.a$' <<<"$contents"; then
    fail "$deb carries build or test files"
fi

depends="$(dpkg-deb --field "$deb" Depends)"
for d in libhidapi-hidraw0 libqt5widgets5 libqt5multimedia5 libqt5multimedia5-plugins \
         libqcustomplot2.1 libx11-6 libxtst6 \
         fonts-crosextra-carlito fonts-lato; do
    grep -q "\b$d\b" <<<"$depends" || fail "$deb does not depend on $d (Depends: $depends)"
done
for field in Maintainer Description Section; do
    [ -n "$(dpkg-deb --field "$deb" "$field")" ] || fail "$deb has no $field"
done

# Would it install here? (Resolves the dependencies without touching the system.)
apt-get install --simulate --no-install-recommends "$deb" >/dev/null ||
    fail "$deb cannot be installed"
echo "check-package: $(basename "$deb") and the install layout are fine"
