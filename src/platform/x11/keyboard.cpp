// SPDX-License-Identifier: GPL-3.0-or-later
// Whether another program holds the keyboard, as X11 screen lockers do.
#include "platform/platform.h"
#include "platform/x11/connection.h"

namespace platform {

using namespace x11;

bool keyboardGrabbedElsewhere()
{
    const DisplayConnection display = openDisplay("keyboard grab test");
    if (!display)
        return false;
    ErrorTrap trap(display.get());
    // The server answers AlreadyGrabbed before it looks at the time; a grab
    // dated a minute ahead is then refused as invalid, so the keyboard is
    // never taken from the user, not even for a moment.
    const Time later = (serverTime(display.get()) + 60000) & 0xffffffffUL;
    const int status = XGrabKeyboard(display.get(), DefaultRootWindow(display.get()), False,
                                     GrabModeAsync, GrabModeAsync, later);
    if (status == GrabSuccess)
        XUngrabKeyboard(display.get(), CurrentTime);
    return status == AlreadyGrabbed && !trap.failed();
}

} // namespace platform
