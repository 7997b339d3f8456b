// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/x11properties.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>

namespace x11 {

std::vector<unsigned long> items(Display* display, Window window, const char* property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> result;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 4096, False,
                           AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        result.assign(values, values + count);
    }
    if (data != nullptr)
        XFree(data);
    return result;
}

Window activeWindow(Display* display)
{
    const auto active = items(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW");
    return active.empty() ? None : active[0];
}

std::vector<Window> clients(Display* display)
{
    const auto list = items(display, DefaultRootWindow(display), "_NET_CLIENT_LIST");
    return std::vector<Window>(list.begin(), list.end());
}

Window clientOfProcess(Display* display, long pid)
{
    for (Window window : clients(display)) {
        const auto owner = items(display, window, "_NET_WM_PID");
        if (!owner.empty() && long(owner[0]) == pid)
            return window;
    }
    return None;
}

bool isViewable(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

unsigned long serverTime(Display* display, Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XSelectInput(display, window, attributes.your_event_mask | PropertyChangeMask);
    const Atom stamp = XInternAtom(display, "TESSIK_TEST_TIME", False);
    XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(display, window, PropertyChangeMask, &event);
    XSelectInput(display, window, attributes.your_event_mask);
    return event.xproperty.time;
}

void markTyped(Display* display, Window window)
{
    const unsigned long typed = serverTime(display, window);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_USER_TIME", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&typed), 1);
    XSync(display, False);
}

namespace {

Window topLevel(Display* display, Window window)
{
    for (;;) {
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return None;
        if (children != nullptr)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
}

} // namespace

bool isAbove(Display* display, Window a, Window b)
{
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    // Bottom to top.
    const std::vector<Window> order(children, children + count);
    XFree(children);
    const auto at = [&](Window w) {
        return std::find(order.begin(), order.end(), topLevel(display, w));
    };
    return at(a) != order.end() && at(b) != order.end() && at(a) > at(b);
}

} // namespace x11
