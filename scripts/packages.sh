# shellcheck shell=bash
# shellcheck disable=SC2034 # the groups are read by the scripts that source this file
# The Debian 12 packages Tessik Control needs, in one place, grouped by what
# they are for. Sourced by scripts/install-deps.sh, which installs groups of
# them: scripts/run.sh the build and run groups, scripts/test.sh all three.
# A package goes in the first group that needs it; say why on its line.

# build: what compiles the program and the demo, and makes the Debian package.
build_packages=(
    build-essential cmake pkg-config # the compiler, the build system; pkg-config finds hidapi
    qtbase5-dev qtbase5-dev-tools    # Qt 5: widgets, D-Bus, network; moc, uic and rcc
    qtmultimedia5-dev                # the chime (QSoundEffect)
    libqcustomplot-dev               # the live plot on the Advanced tab
    libhidapi-dev                    # the sensor, through hidraw
    libx11-dev libxrandr-dev         # the X11 layer: the window manager's hints, the monitors
    libxcb1-dev libqt5x11extras5-dev # the lock test and the picture's raise use Qt's own X connection
    dpkg-dev file                    # cpack -G DEB: dpkg-shlibdeps works out the Depends
)

# run: what the program loads at run time that the libraries it links do not
# bring. The Debian package depends on the same (cmake/Packaging.cmake).
run_packages=(
    libqt5multimedia5-plugins           # Qt's sound back end, loaded when the chime plays
    fonts-crosextra-carlito fonts-lato  # the panel's fonts (src/app/appstyle.cpp)
)

# test: what scripts/test.sh needs besides, for the tests, the package checks
# and the benchmarks.
test_packages=(
    # The virtual X server every test runs under, and what reads its windows.
    xvfb xauth x11-utils
    libxtst-dev libxi-dev  # the tests type keys (XTest) and record them (XInput 2)
    x11-xserver-utils      # xrdb sets Xft.dpi, the desktop's display scale
    xterm                  # the user's work that the Window Switch must hide and never type into

    # Real desktop parts the tests start: a window manager, a tray, a
    # notification server, private buses.
    openbox trayer dunst dbus-daemon dbus-bin
    systemd  # its autostart generator reads the Start at Login entry back
    i3lock   # a screen locker that says nothing on D-Bus
    # A sound server started late, recorded by parec.
    pipewire pipewire-pulse wireplumber pulseaudio-utils

    # Whole desktops the tests start: GNOME Shell (gjs runs its notification
    # service, nautilus answers for the file manager, gnome-settings-daemon
    # its media keys, gdbus and gsettings drive it) and weston, with XWayland.
    gnome-shell gjs gnome-settings-daemon nautilus libglib2.0-bin weston xwayland
    # KDE's window manager, and Plasma's Qt platform theme for the panel's fonts.
    kwin-x11 plasma-integration

    # The Windows layer: built with mingw-w64, run under Wine (a 64-bit
    # prefix needs no i386).
    g++-mingw-w64-x86-64 wine wine64

    # The package checks (scripts/check-package.sh): the desktop entry,
    # Debian's checker, the AppStream metadata, the manual page.
    desktop-file-utils lintian appstream man-db

    libbenchmark-dev # the per-tick benchmarks under bench/ (Google Benchmark)
)
