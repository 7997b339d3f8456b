// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing this program's windows forward for a launch or a click the user
// made. Focus-stealing prevention (KWin's, mutter's) lets a window take the
// focus from the user's work only for a request at least as recent as the
// user's last input there: the time of the request goes with it.
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <unistd.h>

namespace platform {

namespace {

using namespace x11;

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

// Asks the window manager to activate the window, as an application does,
// for the user's request at the given time.
void requestActivation(Display* display, Window window, unsigned long time)
{
    XEvent request = clientMessage(display, window, "_NET_ACTIVE_WINDOW", 32);
    request.xclient.data.l[0] = 1;
    request.xclient.data.l[1] = static_cast<long>(time);
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
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

bool activateForLaunch(std::uintptr_t windowId, const char* startupId)
{
    if (startupId == nullptr || *startupId == '\0')
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
    if (time != 0)
        requestActivation(display.get(), window, time);
    // The launch has ended: the launcher stops its busy cursor.
    sendStartupMessage(display.get(), window, "remove: ID=" + quoted(id));
    return time != 0 && !trap.failed();
}

bool activateAtUserRequest(std::uintptr_t window)
{
    const DisplayConnection display = openDisplay("activation");
    if (!display)
        return false;
    ErrorTrap trap(display.get());
    requestActivation(display.get(), window, serverTime(display.get()));
    return !trap.failed();
}

std::string startupIdNow(const char* name)
{
    // Without an X display there is no X server time to give.
    const DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        return std::string();
    return std::string(name) + '-' + std::to_string(getpid()) + "_TIME" +
           std::to_string(serverTime(display.get()));
}

} // namespace platform
