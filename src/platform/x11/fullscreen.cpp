// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a full-screen program is in front: the active window stays on top
// and fills the monitor it is on.
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <vector>

namespace platform {

namespace {

using namespace x11;

struct Atoms
{
    // Names no client has interned cannot have been set on any window, so
    // they are looked up without being created.
    explicit Atoms(Display* display)
        : activeWindow(XInternAtom(display, "_NET_ACTIVE_WINDOW", True)),
          wmState(XInternAtom(display, "_NET_WM_STATE", True)),
          stateAbove(XInternAtom(display, "_NET_WM_STATE_ABOVE", True)),
          stateFullScreen(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True)),
          frameExtents(XInternAtom(display, "_NET_FRAME_EXTENTS", True))
    {
    }
    Atom activeWindow;
    Atom wmState;
    Atom stateAbove;
    Atom stateFullScreen;
    Atom frameExtents;
};

bool staysOnTop(Display* display, Window window, const Atoms& atoms)
{
    for (unsigned long atom : readCardinals(display, window, atoms.wmState, XA_ATOM)) {
        if (atom != None && (atom == atoms.stateAbove || atom == atoms.stateFullScreen))
            return true;
    }
    return false;
}

struct Box
{
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;
    bool holds(long px, long py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

// The window with the decorations the window manager adds, in root
// coordinates.
bool outerBox(Display* display, Window window, const Atoms& atoms, Box& box)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    int rootX = 0;
    int rootY = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &rootX, &rootY, &child))
        return false;
    box = {rootX - attributes.border_width, rootY - attributes.border_width,
           attributes.width + 2L * attributes.border_width,
           attributes.height + 2L * attributes.border_width};

    // Left, right, top, bottom.
    const auto extents = atoms.frameExtents == None
                             ? std::vector<unsigned long>()
                             : readCardinals(display, window, atoms.frameExtents, XA_CARDINAL);
    if (extents.size() == 4) {
        box.x -= static_cast<long>(extents[0]);
        box.y -= static_cast<long>(extents[2]);
        box.width += static_cast<long>(extents[0] + extents[1]);
        box.height += static_cast<long>(extents[2] + extents[3]);
    }
    return true;
}

// RandR's monitors; the whole X screen when RandR has no monitor list
// (before version 1.5) or lists none.
std::vector<Box> monitors(Display* display)
{
    std::vector<Box> boxes;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase) &&
        XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        XRRMonitorInfo* list = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
        for (int i = 0; i < count; ++i)
            boxes.push_back({list[i].x, list[i].y, list[i].width, list[i].height});
        if (list != nullptr)
            XRRFreeMonitors(list);
    }
    if (boxes.empty()) {
        const int screen = DefaultScreen(display);
        boxes.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
    }
    return boxes;
}

// Under RandR one X screen spans every monitor, so the window is compared
// with the monitor it is on (the one holding its centre), whichever that
// is: a full-screen program fills its own monitor. As on Windows only the
// size counts; overlapping monitors (mirrors) each get their turn.
bool outerSizeFillsItsMonitor(Display* display, Window window, const Atoms& atoms)
{
    Box box;
    if (!outerBox(display, window, atoms, box))
        return false;
    const long centreX = box.x + box.width / 2;
    const long centreY = box.y + box.height / 2;
    for (const Box& monitor : monitors(display)) {
        if (monitor.holds(centreX, centreY) && monitor.width == box.width &&
            monitor.height == box.height)
            return true;
    }
    return false;
}

} // namespace

bool foregroundIsFullScreen()
{
    const DisplayConnection display = openDisplay("full-screen test");
    if (!display)
        return false;
    ErrorTrap trap(display.get());

    const Atoms atoms(display.get());
    if (atoms.activeWindow == None || atoms.wmState == None)
        return false;

    const auto active = readCardinals(display.get(), DefaultRootWindow(display.get()),
                                      atoms.activeWindow, XA_WINDOW);
    if (active.empty() || active[0] == None)
        return false;
    const Window window = active[0];

    const bool result = staysOnTop(display.get(), window, atoms) &&
                        outerSizeFillsItsMonitor(display.get(), window, atoms);
    return result && !trap.failed();
}

} // namespace platform
