// SPDX-License-Identifier: GPL-3.0-or-later
// The panel and the alerts inside real desktop parts that this test starts
// on a display and a bus of its own: openbox (Super+D shows the desktop),
// trayer as the tray, dunst as the notification server, dbus-monitor
// watching what reaches it, and xterm as the user's work. With
// TESSIK_GNOME_SESSION set to x11 or wayland it starts GNOME Shell instead,
// for the tests named on the command line and those that end in "OnGnome";
// with TESSIK_KWIN set, KDE's KWin, with a stand-in for Plasma's tray.
#include "alerts/desktopnotifier.h"
#include "alerts/popupgeometry.h"
#include "app/mainwindow.h"
#include "app/quitonsignals.h"
#include "platform/platform.h"
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"
#include "support/openedurls.h"
#include "support/privatedesktop.h"
#include "support/statusnotifiertray.h"
#include "support/x11properties.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVirtualObject>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

Window xid(QWidget* widget)
{
    return Window(widget->winId());
}

// The share of the area's pixels that differ clearly between two pictures.
double changedShare(const QImage& before, const QImage& after, const QRect& area)
{
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor a = before.pixelColor(x, y);
            const QColor b = after.pixelColor(x, y);
            changed +=
                qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) >
                30;
        }
    }
    return changed / double(area.width() * area.height());
}

bool balloonShown()
{
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return w->inherits("QBalloonTip") && w->isVisible(); });
}

// A notification server on a bus connection of its own that answers Notify
// only when told, with the id of the notification replaced or else ids 1, 2,
// ... in turn, or with an error. It names itself at once.
class SlowNotificationServer : public QDBusVirtualObject
{
public:
    QList<QDBusMessage> waiting;
    QList<uint> closed;

    explicit SlowNotificationServer(const QString& name = "slow") : name(name)
    {
        connection.registerService("org.freedesktop.Notifications");
        connection.registerVirtualObject("/org/freedesktop/Notifications", this);
    }
    ~SlowNotificationServer() override { QDBusConnection::disconnectFromBus(connection.name()); }

    void answer(bool error)
    {
        for (const QDBusMessage& call : waiting) {
            const uint replaced = call.arguments().value(1).toUInt();
            connection.send(error ? call.createErrorReply(QDBusError::Failed, "refused")
                                  : call.createReply(replaced != 0 ? replaced : ++lastId));
        }
        waiting.clear();
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        if (message.member() == "GetServerInformation")
            return connection.send(message.createReply({name, "", "", "1.2"}));
        // The program calls Notify and CloseNotification otherwise.
        if (message.member() == "CloseNotification")
            closed << message.arguments().value(0).toUInt();
        else
            waiting << message;
        message.setDelayedReply(true);
        return true;
    }

private:
    QDBusConnection connection =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "slow notification server");
    uint lastId = 0;
    QString name;
};

const QByteArray gnomeSession = qgetenv("TESSIK_GNOME_SESSION");
const bool kwin = qEnvironmentVariableIsSet("TESSIK_KWIN");

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

public:
    explicit TestDesktop(PrivateDesktop& desktop) : desktop(desktop) {}

private:
    PrivateDesktop& desktop;
    QTemporaryDir configHome;
    Display* display = nullptr;
    bool trayRuns = false;
    bool serverRuns = false;
    std::unique_ptr<MainWindow> window;
    // The pointer's last move in seemActive().
    int step = 4;
    // Folders handed to the session's file manager.
    OpenedUrls opened;
    // Plasma's tray under KWin.
    std::unique_ptr<StatusNotifierTray> plasmaTray;

    void setParts(bool tray, bool server)
    {
        if (tray && !trayRuns)
            QVERIFY(desktop.startTray());
        if (!tray)
            desktop.stopTray();
        if (server && !serverRuns)
            QVERIFY(desktop.startNotificationServer());
        if (!server && serverRuns)
            desktop.stopNotificationServer();
        trayRuns = tray;
        serverRuns = server;
        // Qt learns of a tray coming or going through the X server; Plasma's
        // stays.
        QTRY_COMPARE(QSystemTrayIcon::isSystemTrayAvailable(), tray || plasmaTray);
    }

    void showPanel(int boxes)
    {
        window = std::make_unique<MainWindow>();
        window->show();
        window->loadControls(StoredSettings);
        window->ui->PopupBox->setChecked(boxes & 1);
        window->ui->SoundBox->setChecked(false);
        window->ui->WindowSwitchBox->setChecked(boxes & 2);
        window->settings->popupDisplayTime = 2;
        QTRY_COMPARE(x11::activeWindow(display), xid(window.get()));
    }

    // GNOME keeps a banner up until it sees the user active: the pointer
    // moves a little, through XTest on X11 and through Mutter's remote
    // desktop on Wayland, where XTest reaches X11 programs only.
    void seemActive()
    {
        step = -step; // back and forth, away from the banners at the top
        if (gnomeSession != "wayland") {
            XTestFakeRelativeMotionEvent(display, step, step, CurrentTime);
            XFlush(display);
            return;
        }
        const char service[] = "org.gnome.Mutter.RemoteDesktop";
        QDBusInterface remote(service, "/org/gnome/Mutter/RemoteDesktop", service);
        const QDBusReply<QDBusObjectPath> path = remote.call("CreateSession");
        QDBusInterface session(service, path.value().path(), QString(service) + ".Session");
        session.call("Start");
        session.call("NotifyPointerMotionRelative", double(step), double(step));
        session.call("Stop");
    }

    // The share of the strip at the top of the screen's middle, where GNOME
    // shows its banners, that is not the colour below; NaN without a
    // screenshot, which makes every comparison fail.
    double bannerShare(QRgb below)
    {
        const QImage strip = desktop.screenshot().copy(760, 10, 400, 60);
        if (strip.isNull())
            return std::nan("");
        int others = 0;
        for (int y = 0; y < strip.height(); ++y) {
            for (int x = 0; x < strip.width(); ++x)
                others += (strip.pixel(x, y) & 0xffffff) != (below & 0xffffff);
        }
        return double(others) / (strip.width() * strip.height());
    }

    void click(QWidget* widget)
    {
        const QPoint centre = widget->geometry().center();
        XTestFakeMotionEvent(display, -1, centre.x(), centre.y(), CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XFlush(display);
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        QApplication::setQuitOnLastWindowClosed(false);
        display = XOpenDisplay(nullptr);
        QVERIFY(display != nullptr);
        // Windows may close between a listing and a query.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        QVERIFY(desktop.watchNotifications());
        if (kwin)
            plasmaTray = std::make_unique<StatusNotifierTray>();
    }

    void cleanup()
    {
        window.reset();
        // A failed test may have left the keyboard held.
        XUngrabKeyboard(display, CurrentTime);
    }

    void init()
    {
        const bool forGnome = QByteArray(QTest::currentTestFunction()).endsWith("OnGnome");
        if (forGnome && gnomeSession.isEmpty())
            QSKIP("needs TESSIK_GNOME_SESSION");
    }

    void cleanupTestCase()
    {
        if (gnomeSession.isEmpty())
            setParts(false, false);
        XCloseDisplay(display);
    }

    void panelComesBack_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("way");
        // The cover is another program's window that the user has just
        // typed into, which focus-stealing prevention protects.
        QTest::addColumn<bool>("typedElsewhere");
        QTest::newRow("tray, only covered, Settings entry") << true << ""
                                                            << "settings" << false;
        QTest::newRow("tray, OK, Settings entry") << true << "OkButton"
                                                  << "settings" << false;
        QTest::newRow("tray, Cancel, icon click") << true << "CancelButton"
                                                  << "icon" << false;
        QTest::newRow("tray, only covered, icon click after typing elsewhere") << true << ""
                                                                               << "icon" << true;
        QTest::newRow("no tray, OK, started again") << false << "OkButton"
                                                    << "start" << false;
        QTest::newRow("no tray, Cancel, started again") << false << "CancelButton"
                                                        << "start" << false;
    }
    void panelComesBack()
    {
        QFETCH(bool, tray);
        QFETCH(QString, button);
        QFETCH(QString, way);
        QFETCH(bool, typedElsewhere);
        setParts(tray, false);
        const int icons = plasmaTray ? plasmaTray->items().size() : 0;
        showPanel(0);
        QWidget cover;
        cover.setGeometry(0, 0, 1200, 900);
        QProcess work;

        const Window panel = xid(window.get());
        // Without a button the panel stays where it is, under the cover.
        if (!button.isEmpty()) {
            QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
            if (tray) {
                QVERIFY(window->isHidden());
            } else {
                // Minimised, the task bar and the overview still list it.
                QVERIFY(window->isMinimized());
                QTRY_VERIFY(!x11::isViewable(display, panel));
                const auto listed = x11::clients(display);
                QVERIFY(std::find(listed.begin(), listed.end(), panel) != listed.end());
            }
        }
        Window covering = xid(&cover);
        if (typedElsewhere) {
            work.setProcessEnvironment(desktop.environment());
            work.start("xterm", {"-geometry", "200x70+0+0"});
            QTRY_VERIFY((covering = x11::clientOfProcess(display, work.processId())) != None);
        } else {
            cover.show();
        }
        QTRY_COMPARE(x11::activeWindow(display), covering);
        if (typedElsewhere)
            x11::markTyped(display, covering);

        if (way == "settings") {
            window->settingsAction->trigger();
        } else if (way == "icon" && plasmaTray) {
            // Plasma's tray passes the click on over the bus.
            QTRY_VERIFY(plasmaTray->items().size() > icons);
            plasmaTray->clickLast();
        } else if (way == "icon") {
            emit window->trayIcon->activated(QSystemTrayIcon::Trigger);
        } else {
            window->showPanel(); // what a later start asks for
        }
        QTRY_COMPARE(x11::activeWindow(display), panel);
        QVERIFY(x11::isAbove(display, panel, covering));
        QVERIFY(!window->isMinimized());
        work.kill();
        work.waitForFinished();
    }

    void fullScreenAlertRoad_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("road");
        QTest::newRow("tray and server") << true << "dunst"
                                         << "notification";
        QTest::newRow("server only") << false << "dunst"
                                     << "notification";
        QTest::newRow("tray only") << true << ""
                                   << "balloon";
        QTest::newRow("neither") << false << ""
                                 << "popup";
        // Cinnamon draws nothing over a full-screen window.
        QTest::newRow("server named cinnamon") << true << "cinnamon"
                                               << "popup";
    }
    void fullScreenAlertRoad()
    {
        QFETCH(bool, tray);
        QFETCH(QString, server);
        QFETCH(QString, road);
        setParts(tray, server == "dunst");
        std::optional<SlowNotificationServer> standIn;
        if (server == "cinnamon")
            standIn.emplace(server);
        showPanel(1);
        // The program learns the server's name in the background, at start.
        if (standIn)
            QTRY_VERIFY(!window->findChild<DesktopNotifier*>()->showsOverFullScreen());
        if (tray)
            QTRY_VERIFY(!window->trayIcon->geometry().isEmpty()); // docked
        QWidget game;
        game.showFullScreen();
        QTRY_VERIFY(platform::foregroundIsFullScreen());

        const int seen = desktop.notificationsSeen().count("member=Notify");
        // The expiry is the call's last argument: when it is there, the whole
        // call is.
        const auto lastCall = [&] {
            const QByteArray all = desktop.notificationsSeen();
            return all.mid(all.lastIndexOf("member=Notify"));
        };
        const int closes = desktop.notificationsSeen().count("member=CloseNotification");
        QElapsedTimer clock;
        clock.start();
        window->activateAlert(false);
        if (road == "notification") {
            QTRY_VERIFY(desktop.notificationsSeen().count("member=Notify") == seen + 1 &&
                        lastCall().contains("int32 2000"));
            for (const char* part : {"string \"Bralm Tessik\"", "string \"Motion Alert!\"",
                                     "string \"image-data\"", "int32 156", "int32 178",
                                     "string \"urgency\"\n         variant             byte 2"})
                QVERIFY2(lastCall().contains(part), part);
            // Withdrawn when its time is over, not before.
            QTRY_COMPARE_WITH_TIMEOUT(desktop.notificationsSeen().count("member=CloseNotification"),
                                      closes + 1, 3000);
            QVERIFY(clock.elapsed() >= 1900);
        }
        QTRY_COMPARE(balloonShown(), road == "balloon");
        QTRY_COMPARE(window->popup->isVisible(), road == "popup");
        QTest::qWait(200); // a late fallback would show up here
        QCOMPARE(balloonShown(), road == "balloon");
        QCOMPARE(window->popup->isVisible(), road == "popup");
        if (road == "popup") {
            QTRY_VERIFY(x11::isAbove(display, xid(window->popup), xid(&game)));
            QVERIFY(clock.elapsed() < 2000);
        }
        if (standIn)
            QVERIFY(standIn->waiting.isEmpty());
        if (road != "notification")
            return;

        // The next alert replaces this one instead of piling up in the
        // server's history: it names the id the server returned.
        window->activateAlert(false);
        QTRY_VERIFY(desktop.notificationsSeen().count("member=Notify") == seen + 2 &&
                    lastCall().contains("int32 2000"));
        const QString all = QString::fromUtf8(desktop.notificationsSeen());
        const QRegularExpression notify(
            "sender=(\\S+) -> destination=org.freedesktop.Notifications "
            "serial=(\\d+) .*member=Notify\n.*\n   uint32 (\\d+)");
        QRegularExpressionMatchIterator calls = notify.globalMatch(all);
        QRegularExpressionMatch first;
        QRegularExpressionMatch second;
        while (calls.hasNext()) {
            first = second;
            second = calls.next();
        }
        const QRegularExpression reply(
            QString("-> destination=%1 serial=\\d+ reply_serial=%2\n   uint32 (\\d+)")
                .arg(QRegularExpression::escape(first.captured(1)), first.captured(2)));
        QCOMPARE(second.captured(3), reply.match(all).captured(1));
        QVERIFY(second.captured(3).toUInt() != 0);
    }

    // The server answers at the given time after the first alert; a second
    // alert comes 300 ms after the first. With "shown", notification 1 has
    // been on screen for half its time when the first comes. No notification
    // may stay on screen beside the fallback or a newer one, nor after the
    // program, nor end before its own time.
    void lateServer_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<int>("answerMs");
        QTest::addColumn<bool>("error");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<bool>("programEnds");
        QTest::addColumn<QList<uint>>("closedAtOnce");
        QTest::addColumn<QList<uint>>("closedAtLast");
        using Ids = QList<uint>;
        QTest::newRow("in time") << false << 1 << 500 << false << false << false << Ids() << Ids{1};
        QTest::newRow("program ends")
            << false << 1 << 500 << false << false << true << Ids{1} << Ids{1};
        QTest::newRow("after the fallback")
            << false << 1 << 3500 << false << true << false << Ids{1} << Ids{1};
        QTest::newRow("error") << false << 1 << 200 << true << true << false << Ids() << Ids();
        QTest::newRow("newer alert waiting")
            << false << 2 << 600 << false << false << false << Ids{1} << Ids{1, 2};
        QTest::newRow("both after the fallback")
            << false << 2 << 3600 << false << true << false << Ids{1, 2} << Ids{1, 2};
        // The replacement answered after the time of the one it replaces.
        QTest::newRow("replacing one shown")
            << true << 1 << 1500 << false << false << false << Ids() << Ids{1};
        QTest::newRow("error replacing one shown")
            << true << 1 << 200 << true << true << false << Ids{1} << Ids{1};
    }
    void lateServer()
    {
        QFETCH(bool, shown);
        QFETCH(int, alerts);
        QFETCH(int, answerMs);
        QFETCH(bool, error);
        QFETCH(bool, fallback);
        QFETCH(bool, programEnds);
        QFETCH(QList<uint>, closedAtOnce);
        QFETCH(QList<uint>, closedAtLast);
        setParts(false, false);
        showPanel(1);
        QWidget game;
        game.showFullScreen();
        QTRY_VERIFY(platform::foregroundIsFullScreen());
        SlowNotificationServer server;
        if (shown) {
            window->activateAlert(false);
            QTRY_COMPARE(server.waiting.size(), 1);
            server.answer(false);
            QTest::qWait(1000);
        }

        QElapsedTimer clock;
        clock.start();
        window->activateAlert(false);
        if (alerts == 2) {
            QTest::qWait(300);
            window->activateAlert(true);
        }
        QTRY_COMPARE(server.waiting.size(), alerts);
        QTest::qWait(int(answerMs - clock.elapsed()));
        server.answer(error);
        QTest::qWait(300);
        QCOMPARE(window->popup->isVisible(), fallback);
        if (programEnds) {
            window.reset();
            QTest::qWait(300);
        }
        QCOMPARE(server.closed, closedAtOnce);
        QTRY_COMPARE_WITH_TIMEOUT(server.closed, closedAtLast, 3000);
        if (closedAtLast != closedAtOnce)
            QVERIFY(clock.elapsed() >= answerMs + 1900); // its whole time
    }

    // Every way out withdraws the alert's notification: one on screen
    // (dunst), or one still awaited, which the stand-in shows 300 ms into
    // the program's end.
    void wayOut_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("shown");
        QTest::newRow("End Program, shown") << "End Program" << true;
        QTest::newRow("panel closed, shown") << "close" << true;
        QTest::newRow("SIGTERM, shown") << "SIGTERM" << true;
        QTest::newRow("panel closed, awaited") << "close" << false;
        QTest::newRow("SIGTERM, awaited") << "SIGTERM" << false;
    }
    void wayOut()
    {
        QFETCH(QString, way);
        QFETCH(bool, shown);
        setParts(false, shown);
        std::optional<SlowNotificationServer> standIn;
        if (!shown)
            standIn.emplace();
        showPanel(1);
        // Long enough that only the program's end withdraws it.
        window->settings->popupDisplayTime = 10;
        QWidget game;
        game.showFullScreen();
        QTRY_VERIFY(platform::foregroundIsFullScreen());
        QuitOnSignals quitOnSignals;
        const int closes = desktop.notificationsSeen().count("member=CloseNotification");
        const int replies = desktop.notificationsSeen().count("uint32 ");

        window->activateAlert(false);
        if (standIn)
            QTRY_COMPARE(standIn->waiting.size(), 1);
        else // the server's answer carries the id
            QTRY_VERIFY(desktop.notificationsSeen().count("uint32 ") > replies);
        QTest::qWait(100);
        QTimer::singleShot(0, [&] {
            if (way == "End Program")
                window->ui->EndProgramButton->click();
            else if (way == "close")
                window->close();
            else
                kill(getpid(), SIGTERM);
        });
        if (standIn)
            QTimer::singleShot(300, [&] { standIn->answer(false); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(QApplication::exec(), 0);
        qInfo("the event loop ended after %lld ms", clock.elapsed());
        if (standIn)
            QTRY_COMPARE(standIn->closed, QList<uint>{1});
        else
            QTRY_COMPARE(desktop.notificationsSeen().count("member=CloseNotification"), closes + 1);
        QVERIFY(clock.elapsed() < 2000);
    }

    // A login start can come before the sound server: the chime sounds
    // from the first alert after the server is up.
    void chimeOnceTheSoundServerRuns()
    {
        setParts(false, false);
        showPanel(0);
        window->ui->SoundBox->setChecked(true);
        window->activateAlert(true);
        QVERIFY(desktop.startSoundServer());
        QTest::qWait(1000);
        QCOMPARE(desktop.loudestSoundRecorded(), 0);
        window->activateAlert(true);
        QTRY_VERIFY_WITH_TIMEOUT(desktop.loudestSoundRecorded() > 1000, 5000);
    }

    // GNOME Shell holds back banners of normal urgency while a full-screen
    // program is in front, and keeps critical ones until they are closed.
    void criticalAlertOverFullScreenOnGnome()
    {
        showPanel(1);
        const QRgb colour = 0xc03090;
        QWidget game;
        game.setPalette(QColor(colour));
        game.setAutoFillBackground(true);
        game.showFullScreen();
        QTRY_VERIFY(platform::foregroundIsFullScreen());
        // What the shell said at its start waits for the user; the
        // full-screen window holds back the rest.
        QTRY_VERIFY_WITH_TIMEOUT((seemActive(), bannerShare(colour) < 0.01), 20000);

        QElapsedTimer clock;
        clock.start();
        window->activateAlert(false);
        // Counted while it still slides in.
        QTRY_VERIFY_WITH_TIMEOUT(bannerShare(colour) > 0.25, 2000);
        qInfo("on screen after %lld ms", clock.elapsed());
        QTRY_VERIFY_WITH_TIMEOUT(bannerShare(colour) < 0.01, 5000);
        qInfo("gone after %lld ms", clock.elapsed());
        QVERIFY(clock.elapsed() >= 1900);
    }

    void popupIsAnAlertNotAWindow()
    {
        setParts(false, false);
        showPanel(1 | 2); // popup and Window Switch
        QElapsedTimer clock;
        clock.start();
        window->activateAlert(false);
        const Window popup = xid(window->popup);
        QTRY_VERIFY(x11::isViewable(display, popup));

        // Unmanaged: in no task bar or pager, stacked by itself.
        XWindowAttributes attributes;
        QVERIFY(XGetWindowAttributes(display, popup, &attributes));
        QVERIFY(attributes.override_redirect);
        const auto listed = x11::clients(display);
        QVERIFY(std::find(listed.begin(), listed.end(), popup) == listed.end());
        // The switch leaves the program's own panel alone.
        QTest::qWait(200);
        QVERIFY(x11::isViewable(display, xid(window.get())));

        // Where, how large and how opaque the panel's controls say.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize size = popupSize(20, area, QSize(684, 528));
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, popup, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        QCOMPARE(QRect(x, y, attributes.width, attributes.height),
                 QRect(popupTopLeft(1, area, size), size));
        const auto opacity = x11::items(display, popup, "_NET_WM_WINDOW_OPACITY");
        QCOMPARE(opacity.size(), std::size_t(1));
        // Xlib hands 32-bit items back sign-extended in longs.
        QVERIFY(qAbs((opacity[0] & 0xffffffffu) / double(0xffffffffu) - 0.6) < 1 / 255.0);

        // A click on it leaves the keyboard where it was.
        click(window->popup);
        QTest::qWait(200);
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        QVERIFY(focus != popup);
        QVERIFY(QGuiApplication::focusWindow() != window->popup->windowHandle());

        // A window raised over it later is covered again at once.
        XSetWindowAttributes unmanaged;
        unmanaged.override_redirect = True;
        const Window later =
            XCreateWindow(display, DefaultRootWindow(display), x, y, 300, 300, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect, &unmanaged);
        XMapRaised(display, later);
        XFlush(display);
        QTRY_VERIFY_WITH_TIMEOUT(x11::isAbove(display, popup, later), 500);
        XDestroyWindow(display, later);

        // On screen for its whole visible time, then gone.
        while (clock.elapsed() < 1800) {
            QVERIFY(x11::isViewable(display, popup));
            QTest::qWait(100);
        }
        QTRY_VERIFY(!x11::isViewable(display, popup));
    }

    void windowSwitch_data()
    {
        QTest::addColumn<QString>("lock");
        // Through KWin's scripting, as in a Plasma Wayland session.
        QTest::addColumn<bool>("kwinScript");
        QTest::newRow("screen locker") << "i3lock" << false;
        QTest::newRow("screen saver active") << "gnome" << false;
        QTest::newRow("Cinnamon's screen saver active") << "cinnamon" << false;
        QTest::newRow("keyboard held elsewhere, no lock") << "keyboard" << false;
        QTest::newRow("screen locker shown during the alert") << "i3lock later" << false;
        QTest::newRow("unlocked, through KWin's script") << "" << true;
        // Last: the file manager it opens would keep later windows from the
        // keyboard.
        QTest::newRow("unlocked") << "" << false;
    }
    void windowSwitch()
    {
        QFETCH(QString, lock);
        QFETCH(bool, kwinScript);
        if (kwinScript && !kwin)
            QSKIP("needs KWin (TESSIK_KWIN)");
        const bool locked = lock == "i3lock" || lock == "gnome" || lock == "cinnamon";
        const bool lockSeen = locked || lock == "i3lock later";
        // One file manager only: it would keep later windows from the
        // keyboard. The picture alone tells a grab from a lock.
        const bool switches = lock.isEmpty();
        setParts(false, false);
        showPanel(switches || locked ? 1 | 2 : 1); // popup, Window Switch
        window->settings->popupDisplayTime = 4;
        // Every key typed into the terminal would end up in the file.
        const QString typed = configHome.path() + "/typed";
        QProcess terminal;
        terminal.setProcessEnvironment(desktop.environment());
        terminal.start("xterm", {"-geometry", "80x24+200+200", "-e", "sh", "-c",
                                 "stty -icanon -echo; cat > \"$0\"", typed});
        Window work = None;
        QTRY_VERIFY((work = x11::clientOfProcess(display, terminal.processId())) != None);
        QTRY_COMPARE(x11::activeWindow(display), work);
        QProcess locker;
        locker.setProcessEnvironment(desktop.environment());
        const QRgb lockerColour = 0x203040;
        const auto startLocker = [&] {
            locker.start("i3lock", {"-n", "-c", "203040"});
            QTRY_COMPARE(desktop.screenshot().pixel(5, 5) & 0xffffff, lockerColour);
        };
        if (lock == "i3lock")
            startLocker();
        if (QTest::currentTestFailed())
            return;
        const QImage before = desktop.screenshot();
        if (lock == "gnome" || lock == "cinnamon") {
            const QString name = "org." + lock + ".ScreenSaver";
            QDBusConnection::sessionBus().send(
                QDBusMessage::createSignal("/org/" + lock + "/ScreenSaver", name, "ActiveChanged")
                << true);
            QTest::qWait(300); // the program learns it in the background
        }
        if (lock == "keyboard")
            QCOMPARE(XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                                   GrabModeAsync, CurrentTime),
                     GrabSuccess);
        opened.urls.clear();

        MessageCapture messages;
        QElapsedTimer clock;
        clock.start();
        if (kwinScript)
            qputenv("XDG_SESSION_TYPE", "wayland");
        window->activateAlert(false);
        qputenv("XDG_SESSION_TYPE", "x11");
        // Under KWin the file manager's window opens and is activated, as
        // Dolphin's is.
        QProcess files;
        if (kwin && switches) {
            QTRY_VERIFY(!opened.urls.isEmpty());
            files.setProcessEnvironment(desktop.environment());
            files.start("xterm", {"-T", "Home", "-geometry", "60x20+900+100"});
        }
        // The picture stays on screen, drawn, for its time (and nothing is
        // drawn while locked).
        for (int at : {1000, 3000}) {
            QTest::qWait(int(at - clock.elapsed()));
            // A locker shown meanwhile covers the picture, whole, which
            // has gone instead of fighting it for the top.
            QImage expected = before;
            if (lock == "i3lock later" && at == 3000) {
                expected.fill(lockerColour);
                QVERIFY(!x11::isViewable(display, xid(window->popup)));
            }
            const double share =
                changedShare(expected, desktop.screenshot(), window->popup->geometry());
            const bool unchanged = locked || expected != before;
            QVERIFY2(unchanged ? share < 0.05 : share > 0.5, qPrintable(QString::number(share)));
            if (lock == "i3lock later" && at == 1000)
                startLocker();
            if (QTest::currentTestFailed())
                return;
        }
        locker.kill();
        locker.waitForFinished();
        XUngrabKeyboard(display, CurrentTime);
        XSync(display, False);

        // The terminal was hidden (GNOME Shell keeps it mapped) and a file
        // manager asked for, unless locked.
        const auto state = x11::items(display, work, "_NET_WM_STATE");
        const bool hidden = !x11::isViewable(display, work) ||
                            std::count(state.begin(), state.end(),
                                       XInternAtom(display, "_NET_WM_STATE_HIDDEN", False)) > 0;
        QCOMPARE(hidden, switches);
        const QList<QUrl> home{QUrl::fromLocalFile(QDir::homePath())};
        QCOMPARE(opened.urls, switches ? home : QList<QUrl>());
        if (files.state() == QProcess::Running)
            QCOMPARE(x11::activeWindow(display), x11::clientOfProcess(display, files.processId()));
        files.kill();
        files.waitForFinished();
        QCOMPARE(messages.messages().filter("Session locked").size(), lockSeen ? 1 : 0);
        terminal.kill();
        terminal.waitForFinished();
        QCOMPARE(QFile(typed).size(), qint64(0));
    }
};

// The application must connect to the private display and bus, so they
// are started before it exists. With TESSIK_GNOME_SESSION set the desktop
// is GNOME Shell with its stock settings instead of openbox.
int main(int argc, char* argv[])
{
    PrivateDesktop desktop;
    const bool started =
        gnomeSession == "wayland"
            ? desktop.startGnomeShell(Session::Wayland)
            : desktop.startX() && (gnomeSession == "x11" ? desktop.startGnomeShell(Session::X11)
                                   : kwin                ? desktop.startKWin()
                                          : desktop.startWindowManager() && desktop.startBus());
    if (!started) {
        qWarning("cannot start the private desktop (Xvfb, a window manager, GNOME or KWin, the "
                 "buses)");
        return 1;
    }
    desktop.enter();
    int status = 0;
    {
        QApplication app(argc, argv);
        TestDesktop test(desktop);
        status = QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "testdesktop.moc"
