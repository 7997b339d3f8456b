// SPDX-License-Identifier: GPL-3.0-or-later
// The Window Switch on X11: the window manager's own show-desktop request.
// Nothing here types a key.
#include "platform/diagnostics.h"
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <X11/Xlib.h>

namespace platform {

using namespace x11;

SwitchOutcome hideUserWindows()
{
    const DisplayConnection display = openDisplay("show desktop");
    if (!display)
        return {};
    ErrorTrap trap(display.get());
    if (windowManagerCheck(display.get()) == None ||
        !windowManagerLists(display.get(),
                            XInternAtom(display.get(), "_NET_SHOWING_DESKTOP", True))) {
        reportDiagnostic("show desktop: no window manager here offers it (_NET_SHOWING_DESKTOP)");
        return {};
    }
    const Window root = DefaultRootWindow(display.get());
    XEvent event = clientMessage(display.get(), root, "_NET_SHOWING_DESKTOP", 32);
    event.xclient.data.l[0] = 1;
    XSendEvent(display.get(), root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    // Waiting for the server means the window manager receives the request
    // before anything this program maps afterwards.
    SwitchOutcome outcome;
    outcome.windowsHidden = !trap.failed();
    return outcome;
}

} // namespace platform
