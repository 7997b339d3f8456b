// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/rawkeyrecorder.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>

RawKeyRecorder::RawKeyRecorder() : connection(XOpenDisplay(nullptr))
{
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (connection == nullptr ||
        !XQueryExtension(connection, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(connection, &major, &minor) != Success)
        return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(connection, DefaultRootWindow(connection), &mask, 1);
    XSync(connection, False);
    inputOpcode = opcode;
}

RawKeyRecorder::~RawKeyRecorder()
{
    if (connection != nullptr)
        XCloseDisplay(connection);
}

std::vector<RawKeyEvent> RawKeyRecorder::receive(std::size_t wanted, int timeoutMs)
{
    std::vector<RawKeyEvent> events;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (XPending(connection) > 0) {
            XEvent event;
            XNextEvent(connection, &event);
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != inputOpcode ||
                !XGetEventData(connection, cookie))
                continue;
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            events.push_back({raw->detail, cookie->evtype == XI_RawKeyRelease});
            XFreeEventData(connection, cookie);
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return events;
        pollfd fd{ConnectionNumber(connection), POLLIN, 0};
        const qint64 waitMs = events.size() >= wanted ? qMin<qint64>(left, 200) : left;
        if (poll(&fd, 1, static_cast<int>(waitMs)) <= 0 && events.size() >= wanted)
            return events;
    }
}
