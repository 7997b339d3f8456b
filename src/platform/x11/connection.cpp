// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/connection.h"

#include "platform/diagnostics.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <string>

namespace platform::x11 {

namespace {

// Xlib's error handler is one per process and takes no context.
bool requestFailed = false;

int recordError(Display*, XErrorEvent*)
{
    requestFailed = true;
    return 0;
}

} // namespace

DisplayConnection openDisplay(const char* purpose)
{
    DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        reportDiagnostic((std::string(purpose) + ": no X display").c_str());
    return display;
}

ErrorTrap::ErrorTrap(Display* display) : display(display), previous(XSetErrorHandler(recordError))
{
    requestFailed = false;
}

ErrorTrap::~ErrorTrap()
{
    XSync(display, False);
    XSetErrorHandler(previous);
}

bool ErrorTrap::failed()
{
    XSync(display, False);
    return requestFailed;
}

std::vector<unsigned long> readCardinals(Display* display, Window window, Atom property, Atom type)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long itemCount = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType,
                           &actualFormat, &itemCount, &bytesAfter, &data);
    std::vector<unsigned long> items;
    if (status == Success && actualType == type && actualFormat == 32 && data != nullptr) {
        // Xlib hands 32-bit items back as longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + itemCount);
    }
    if (data != nullptr)
        XFree(data);
    return items;
}

XEvent clientMessage(Display* display, Window window, const char* type, int format)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = format;
    return event;
}

Time serverTime(Display* display)
{
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    const Window probe = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0,
                                       InputOnly, CopyFromParent, CWEventMask, &attributes);
    XChangeProperty(display, probe, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(display, probe, PropertyChangeMask, &event);
    XDestroyWindow(display, probe);
    return event.xproperty.time;
}

Window windowManagerCheck(Display* display)
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return None;
    const auto manager = readCardinals(display, DefaultRootWindow(display), check, XA_WINDOW);
    if (manager.empty() || readCardinals(display, manager[0], check, XA_WINDOW) != manager)
        return None;
    return manager[0];
}

bool windowManagerLists(Display* display, Atom hint)
{
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    if (supported == None || hint == None)
        return false;
    const auto features = readCardinals(display, DefaultRootWindow(display), supported, XA_ATOM);
    return std::find(features.begin(), features.end(), hint) != features.end();
}

} // namespace platform::x11
