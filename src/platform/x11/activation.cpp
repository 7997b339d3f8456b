// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing this program's window forward for a launch the user asked for.
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <algorithm>
#include <cstring>
#include <string>

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

} // namespace platform
