// SPDX-License-Identifier: GPL-3.0-or-later
// Internal to the X11 platform files: a short-lived connection to the X
// server, a trap for the errors of requests about windows that may be gone,
// and the window manager's EWMH root properties.
#ifndef TESSIK_PLATFORM_X11_CONNECTION_H
#define TESSIK_PLATFORM_X11_CONNECTION_H

#include <X11/Xlib.h>

#include <memory>
#include <vector>

namespace platform::x11 {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

// A connection per call: alerts are rare, and nothing stays open to go
// stale when the session's X server goes away. Says why when there is none.
DisplayConnection openDisplay(const char* purpose);

// While alive, errors on any connection (such as BadWindow for a window
// that closed a moment ago) are recorded instead of ending the process.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display);
    // Errors still on their way must not reach the previous handler, which
    // may end the process.
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server's answers so that late errors are counted too.
    bool failed();

private:
    Display* display;
    XErrorHandler previous;
};

// A 32-bit property of the given type, or nothing when it is unset,
// of another type or unreadable.
std::vector<unsigned long> readCardinals(Display* display, Window window, Atom property, Atom type);

// A client message about the window, without its data yet.
XEvent clientMessage(Display* display, Window window, const char* type, int format);

// The X server's current time: the time stamp of a change to a window of
// our own.
Time serverTime(Display* display);

// The check window of the running EWMH window manager; None without one. A
// window manager that has gone leaves its root properties behind, but not
// its check window.
Window windowManagerCheck(Display* display);

// Whether the window manager lists the hint among those it supports.
bool windowManagerLists(Display* display, Atom hint);

} // namespace platform::x11

#endif
