// SPDX-License-Identifier: GPL-3.0-or-later
// The whole desktops that tests start for themselves: each comes up on a
// display and buses of its own, shows an X11 program's window (through
// XWayland in the Wayland sessions) where the user can see it, and on GNOME
// its own notification server and the file manager answer.
#include "support/privatedesktop.h"
#include "support/x11properties.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QElapsedTimer>
#include <QtTest>

#include <X11/Xlib.h>

namespace {

int pixelsOfColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        count += int(std::count(line, line + image.width(), colour | 0xff000000u));
    }
    return count;
}

} // namespace

class TestWholeDesktops : public QObject
{
    Q_OBJECT

private slots:
    void windowAndServices_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("pictured");
        QTest::addColumn<QString>("notificationServer");
        QTest::newRow("GNOME on X11") << "gnome-x11" << true << "gnome-shell";
        QTest::newRow("GNOME on Wayland") << "gnome-wayland" << true << "gnome-shell";
        // Headless weston shows its output to no one and has no notifications.
        QTest::newRow("weston") << "weston" << false << "";
    }

    void windowAndServices()
    {
        QFETCH(QString, kind);
        QFETCH(bool, pictured);
        QFETCH(QString, notificationServer);
        PrivateDesktop desktop;
        QElapsedTimer clock;
        clock.start();
        if (kind == "weston")
            QVERIFY(desktop.startWeston());
        else if (kind == "gnome-x11")
            QVERIFY(desktop.startX() && desktop.startGnomeShell(PrivateDesktop::Session::X11));
        else
            QVERIFY(desktop.startGnomeShell(PrivateDesktop::Session::Wayland));
        qInfo("%s started in %lld ms", qPrintable(kind), clock.elapsed());
        QVERIFY(desktop.waylandDisplay().isEmpty() == (kind == "gnome-x11"));

        // XWayland's authority comes with the environment.
        desktop.enter();
        Display* display = XOpenDisplay(desktop.display().toLocal8Bit().constData());
        QVERIFY(display != nullptr);
        const QRgb colour = 0xc03090;
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, colour);
        XMapWindow(display, window);
        XFlush(display);
        // Mapped once the desktop's window manager has taken it.
        QTRY_VERIFY_WITH_TIMEOUT(x11::isViewable(display, window), 10000);
        if (pictured)
            QTRY_VERIFY_WITH_TIMEOUT(
                pixelsOfColour(desktop.screenshot(), colour) > 400 * 300 * 97 / 100, 10000);
        else
            QVERIFY(desktop.screenshot().isNull());
        XCloseDisplay(display);

        if (notificationServer.isEmpty())
            return;
        QVERIFY(desktop.watchNotifications());
        {
            QDBusConnection bus = QDBusConnection::connectToBus(desktop.sessionBusAddress(), kind);
            QDBusInterface server("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                  "org.freedesktop.Notifications", bus);
            QCOMPARE(server.call("GetServerInformation").arguments().value(0).toString(),
                     notificationServer);
            const QDBusMessage sent = server.call("Notify", "test", 0u, "", "Motion", "",
                                                  QStringList(), QVariantMap(), -1);
            QVERIFY(sent.arguments().value(0).toUInt() > 0);
            // The bus starts the file manager on this desktop's display.
            QDBusInterface fileManager("org.freedesktop.FileManager1",
                                       "/org/freedesktop/FileManager1",
                                       "org.freedesktop.FileManager1", bus);
            QCOMPARE(fileManager.call("ShowFolders", QStringList{"file:///"}, "").type(),
                     QDBusMessage::ReplyMessage);
        }
        QDBusConnection::disconnectFromBus(kind);
        QTRY_VERIFY(desktop.notificationsSeen().contains("Motion"));
    }
};

QTEST_GUILESS_MAIN(TestWholeDesktops)
#include "testwholedesktops.moc"
