// SPDX-License-Identifier: GPL-3.0-or-later
// What the session and its window manager are: Wayland or X11, and the
// running window manager's name and the EWMH hints it supports.
#include "platform/diagnostics.h"
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

using namespace x11;

bool isWaylandSession()
{
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) ||
           (waylandDisplay != nullptr && *waylandDisplay != '\0');
}

void reportSessionLimits()
{
    if (isWaylandSession())
        reportDiagnostic("Wayland session: the full-screen test sees only X11 programs (XWayland), "
                         "and the Window Switch hides windows only under KDE Plasma (KWin)");
}

bool windowManagerLacks(const char* hint)
{
    // Without an X display there is no X11 window manager to lack anything.
    const DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        return false;
    ErrorTrap trap(display.get());
    const bool lacks = windowManagerCheck(display.get()) != None &&
                       !windowManagerLists(display.get(), XInternAtom(display.get(), hint, True));
    return lacks && !trap.failed();
}

std::string windowManagerName()
{
    const DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        return std::string();
    ErrorTrap trap(display.get());
    const Window check = windowManagerCheck(display.get());
    if (check == None)
        return std::string();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display.get(), check, XInternAtom(display.get(), "_NET_WM_NAME", False),
                           0, 256, False, XInternAtom(display.get(), "UTF8_STRING", False), &type,
                           &format, &count, &bytesAfter, &data) == Success &&
        data != nullptr && format == 8)
        name.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr)
        XFree(data);
    return trap.failed() ? std::string() : name;
}

} // namespace platform
