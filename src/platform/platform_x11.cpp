// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services on an X11 desktop: the EWMH properties a window
// manager publishes tell what is in front, and its EWMH requests hide the
// windows. Nothing here types a key.
#include "platform/diagnostics.h"
#include "platform/platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

// A connection per call: alerts are rare, and nothing stays open to go
// stale when the session's X server goes away.
DisplayConnection openDisplay(const char* purpose)
{
    DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        reportDiagnostic((std::string(purpose) + ": no X display").c_str());
    return display;
}

bool requestFailed = false;

int recordError(Display*, XErrorEvent*)
{
    requestFailed = true;
    return 0;
}

// While alive, errors on any connection (such as BadWindow for a window
// that closed a moment ago) are recorded instead of ending the process.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display) : display(display), previous(XSetErrorHandler(recordError))
    {
        requestFailed = false;
    }
    // Errors still on their way must not reach the previous handler, which
    // may end the process.
    ~ErrorTrap()
    {
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server's answers so that late errors are counted too.
    bool failed()
    {
        XSync(display, False);
        return requestFailed;
    }

private:
    Display* display;
    XErrorHandler previous;
};

// A 32-bit property of the given type, or nothing when it is unset,
// of another type or unreadable.
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

// The check window of the running EWMH window manager; None without one. A
// window manager that has gone leaves its root properties behind, but not
// its check window.
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

// Whether the window manager lists the hint among those it supports.
bool windowManagerLists(Display* display, Atom hint)
{
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    if (supported == None || hint == None)
        return false;
    const auto features = readCardinals(display, DefaultRootWindow(display), supported, XA_ATOM);
    return std::find(features.begin(), features.end(), hint) != features.end();
}

// The X server's current time: the time stamp of a change to a window of
// our own.
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

bool nonEmpty(const char* value)
{
    return value != nullptr && *value != '\0';
}

// The X server time of the user's request, which a startup id carries as
// "_TIME<number>" at its end; 0 when it carries none that can be trusted.
// Any local program can send an id: a time that is no 32-bit number or lies
// ahead of the server's clock would let it take the focus at will.
unsigned long launchTime(Display* display, const std::string& startupId)
{
    const std::string::size_type mark = startupId.rfind("_TIME");
    if (mark == std::string::npos)
        return 0;
    const std::string digits = startupId.substr(mark + 5);
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const unsigned long long time = std::stoull(digits);
    if (time > 0xffffffffULL)
        return 0;
    // Server times wrap around after 49 days.
    const unsigned long ahead = (time - serverTime(display)) & 0xffffffffUL;
    return ahead != 0 && ahead < 0x80000000UL ? 0 : static_cast<unsigned long>(time);
}

// A client message about the window, without its data yet.
XEvent clientMessage(Display* display, Window window, const char* type, int format)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = format;
    return event;
}

// A startup-notification message goes to the root window in pieces of 20
// bytes, the first of one type and the rest of another, ending with a nul.
void sendStartupMessage(Display* display, Window window, const std::string& message)
{
    const std::string::size_type length = message.size() + 1;
    for (std::string::size_type offset = 0; offset < length; offset += 20) {
        XEvent event = clientMessage(
            display, window, offset == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO", 8);
        std::memcpy(event.xclient.data.b, message.c_str() + offset,
                    std::min<std::string::size_type>(20, length - offset));
        XSendEvent(display, DefaultRootWindow(display), False, PropertyChangeMask, &event);
    }
}

// Quoted, with quotes and backslashes escaped, as a message's value.
std::string quoted(const std::string& value)
{
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + '"';
}

} // namespace

bool isWaylandSession()
{
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    return (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) ||
           nonEmpty(std::getenv("WAYLAND_DISPLAY"));
}

void reportSessionLimits()
{
    if (isWaylandSession())
        reportDiagnostic("Wayland session: the full-screen test sees only X11 programs (XWayland), "
                         "and the Window Switch cannot hide windows");
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

bool activateForLaunch(std::uintptr_t windowId, const char* startupId)
{
    if (!nonEmpty(startupId))
        return false;
    const DisplayConnection display = openDisplay("activation");
    if (!display)
        return false;
    ErrorTrap trap(display.get());
    const Window window = windowId;
    const std::string id = startupId;

    // A window manager that knows the launch (GNOME's mutter) activates the
    // window with the launch's time as soon as the window names it.
    XChangeProperty(display.get(), window, XInternAtom(display.get(), "_NET_STARTUP_ID", False),
                    XInternAtom(display.get(), "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(id.data()), static_cast<int>(id.size()));
    // Any other is asked with the time of the user's request, which is
    // newer than the focused window's last input.
    const unsigned long time = launchTime(display.get(), id);
    if (time != 0) {
        XEvent request = clientMessage(display.get(), window, "_NET_ACTIVE_WINDOW", 32);
        // An application's request, at the launch's time.
        request.xclient.data.l[0] = 1;
        request.xclient.data.l[1] = static_cast<long>(time);
        XSendEvent(display.get(), DefaultRootWindow(display.get()), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &request);
    }
    // The launch has ended: the launcher stops its busy cursor.
    sendStartupMessage(display.get(), window, "remove: ID=" + quoted(id));
    return time != 0 && !trap.failed();
}

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

void raiseWindow(unsigned long window)
{
    const DisplayConnection display = openDisplay("raise");
    if (!display)
        return;
    // The window may have closed a moment ago.
    ErrorTrap trap(display.get());
    XRaiseWindow(display.get(), window);
}

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
