#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Tessik Control.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    qtbase5-dev qtbase5-dev-tools qtmultimedia5-dev libqt5multimedia5-plugins
    libqcustomplot-dev libhidapi-dev
    libx11-dev libxtst-dev libxi-dev
    xvfb xauth x11-utils
    g++-mingw-w64-x86-64
    libbenchmark-dev
    desktop-file-utils dpkg-dev file
    wine wine64 # runs the Windows platform test; a 64-bit prefix needs no i386
    lintian appstream man-db  # package checks: Debian's checker, AppStream, manual page
    fonts-crosextra-carlito fonts-lato  # the panel's fonts (also in the package's Depends)
    x11-xserver-utils trayer            # xrdb sets Xft.dpi; a tray for the balloon (tests)
    libxrandr-dev  # the full-screen test asks RandR for the monitors
    openbox trayer dunst dbus-daemon dbus-bin x11-xserver-utils  # real desktop parts the tests start
    # Whole desktops the tests start: GNOME Shell (gjs runs its notification
    # service, nautilus answers for the file manager, gnome-settings-daemon
    # its media keys, gdbus and gsettings drive it) and weston, with XWayland.
    gnome-shell gjs gnome-settings-daemon nautilus libglib2.0-bin weston xwayland
    xterm  # the user's work that the Window Switch must hide and never type into (tests)
    # KDE Plasma's parts the tests start: its window manager (focus-stealing
    # prevention, minimising, its scripting on the bus) and its Qt platform
    # theme (the panel keeps its fonts under it).
    kwin-x11 plasma-integration
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All build packages are present."
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
