#!/bin/sh
# xft-dpi-server.sh PROGRAM [ARGS...]: runs PROGRAM on a virtual X server of
# its own whose Xft.dpi resource is $TESSIK_XFT_DPI, the way GNOME and KDE
# announce a display scale (192 for 200 %). -noreset keeps the resource once
# xrdb has disconnected; xvfb-run ends the server when PROGRAM ends.
set -eu
exec xvfb-run -a -s "-screen 0 3840x2160x24 -noreset" \
    sh -c 'echo "Xft.dpi: $TESSIK_XFT_DPI" | xrdb -nocpp -merge && exec "$@"' xft-dpi-server "$@"
