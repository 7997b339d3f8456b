// SPDX-License-Identifier: GPL-3.0-or-later
// weston, the one whole desktop that no other test starts: it comes up on a
// display of its own and its XWayland window manager maps an X11 program's
// window. GNOME Shell is started by the desktop and second-start tests.
#include "support/privatedesktop.h"
#include "support/x11properties.h"

#include <QtTest>

#include <X11/Xlib.h>

class TestWholeDesktops : public QObject
{
    Q_OBJECT

private slots:
    void westonMapsAnX11Window()
    {
        PrivateDesktop desktop;
        QVERIFY(desktop.startWeston());
        QVERIFY(!desktop.waylandDisplay().isEmpty());
        // XWayland's authority comes with the environment.
        desktop.enter();
        Display* display = XOpenDisplay(desktop.display().toLocal8Bit().constData());
        QVERIFY(display != nullptr);
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
        XMapWindow(display, window);
        XFlush(display);
        // Mapped once the window manager has taken it.
        QTRY_VERIFY_WITH_TIMEOUT(x11::isViewable(display, window), 10000);
        // Headless weston shows its output to no one.
        QVERIFY(desktop.screenshot().isNull());
        XCloseDisplay(display);
    }
};

QTEST_GUILESS_MAIN(TestWholeDesktops)
#include "testwholedesktops.moc"
