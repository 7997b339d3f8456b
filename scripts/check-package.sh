#!/usr/bin/env bash
# Checks the install layout and the Debian package built from a build folder
# (default ./build): the files land where the desktop looks for them, the
# desktop entry, the autostart entry and the AppStream metadata are valid,
# the manual page reads cleanly, the package declares what it needs, and
# Debian's own checker, lintian, finds nothing that has no reasoned override.
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
         usr/share/doc/tessik-control/copyright \
         usr/share/doc/tessik-control/changelog.gz \
         usr/share/man/man1/tessik-control.1.gz \
         usr/share/metainfo/tessik-control.metainfo.xml \
         usr/share/lintian/overrides/tessik-control; do
    [ -e "$stage/$f" ] || fail "cmake --install did not install $f"
done
[ ! -e "$stage/usr/bin/tessik-control-demo" ] || fail "cmake --install installed the demo"
desktop-file-validate "$stage/usr/share/applications/tessik-control.desktop" ||
    fail "the desktop entry does not validate"

(cd "$build_dir" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build_dir"/tessik-control_*_amd64.deb | head -n 1)"
contents="$(dpkg-deb --contents "$deb")"
for f in ./usr/bin/tessik-control \
         ./usr/share/applications/tessik-control.desktop \
         ./etc/xdg/autostart/tessik-control.desktop \
         ./usr/share/icons/hicolor/256x256/apps/tessik-control.png \
         ./usr/lib/udev/rules.d/70-tessik-sensor.rules \
         ./usr/share/doc/tessik-control/copyright \
         ./usr/share/doc/tessik-control/changelog.gz \
         ./usr/share/man/man1/tessik-control.1.gz \
         ./usr/share/metainfo/tessik-control.metainfo.xml \
         ./usr/share/lintian/overrides/tessik-control; do
    grep -q " $f\$" <<<"$contents" || fail "$deb lacks $f"
done
if grep -q -E 'tests?/|bench|demo|\.a$' <<<"$contents"; then
    fail "$deb carries build, test or demo files"
fi

depends="$(dpkg-deb --field "$deb" Depends)"
for d in libhidapi-hidraw0 libqt5widgets5 libqt5multimedia5 libqt5multimedia5-plugins \
         libqcustomplot2.1 libx11-6 libxrandr2 \
         fonts-crosextra-carlito fonts-lato; do
    grep -q "\b$d\b" <<<"$depends" || fail "$deb does not depend on $d (Depends: $depends)"
done
for field in Maintainer Description Section; do
    [ -n "$(dpkg-deb --field "$deb" "$field")" ] || fail "$deb has no $field"
done

# The changelog and the AppStream metadata name the version being packaged.
version="$(dpkg-deb --field "$deb" Version)"
[ "$(dpkg-parsechangelog -l packaging/changelog -S Version)" = "$version" ] ||
    fail "packaging/changelog does not start with version $version"
grep -q "<release version=\"$version\"" packaging/tessik-control.metainfo.xml.in ||
    fail "the AppStream metadata has no release $version"

# What the package installs, read as a software centre and man(1) would.
unpacked="$stage/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
# The session starts the program at every login as the menu does, quietly,
# but out of sight; the administrator's changes to the entry survive upgrades.
autostart="$unpacked/etc/xdg/autostart/tessik-control.desktop"
desktop-file-validate "$autostart" || fail "the autostart entry does not validate"
menu_exec="$(grep '^Exec=' "$unpacked/usr/share/applications/tessik-control.desktop")"
[ "$(grep '^Exec=' "$autostart")" = "$menu_exec --autostart" ] ||
    fail "the autostart entry's Exec is not the menu's ($menu_exec) with --autostart"
dpkg-deb --info "$deb" conffiles | grep -qx /etc/xdg/autostart/tessik-control.desktop ||
    fail "$deb does not mark the autostart entry as a conffile"
appstreamcli validate --no-net --strict \
    "$unpacked/usr/share/metainfo/tessik-control.metainfo.xml" >&2 ||
    fail "the AppStream metadata does not validate"
[ "$(MANPATH="$unpacked/usr/share/man" man -w tessik-control)" = \
  "$unpacked/usr/share/man/man1/tessik-control.1.gz" ] || fail "man does not find tessik-control"
man_warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$unpacked/usr/share/man/man1/tessik-control.1.gz" 2>&1 >/dev/null)"
[ -z "$man_warnings" ] || fail "the manual page does not format cleanly: $man_warnings"

# Debian's checker: no error or warning, except the overridden ones, and every
# override carries a comment that gives its reason.
awk '/^#/ { reason = 1; next } /^[[:space:]]*$/ { reason = 0; next }
     !reason { print "override without a reason: " $0; bad = 1 }
     END { exit bad }' packaging/lintian-overrides >&2 ||
    fail "packaging/lintian-overrides has an override without a reason"
lintian --fail-on error,warning "$deb" >&2 || fail "lintian finds fault with $deb"

# Would it install here? (Resolves the dependencies without touching the system.)
apt-get install --simulate --no-install-recommends "$deb" >/dev/null ||
    fail "$deb cannot be installed"
echo "check-package: $(basename "$deb") and the install layout are fine"
