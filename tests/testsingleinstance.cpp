// SPDX-License-Identifier: GPL-3.0-or-later
// The real tessik-control on a private desktop (X server and openbox, with
// or without a tray, or GNOME Shell): a second start brings the running
// panel forward and ends without touching the sensor, also after a killed
// instance left its lock and socket behind, after a start at login that
// stayed out of sight, and on GNOME while the user works elsewhere, with the
// launch's startup id; a Wayland session runs through XWayland and is named
// once at start.
#include "app/windowsystem.h"
#include "platform/autostart.h"
#include "support/privatedesktop.h"
#include "support/x11properties.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/resource.h>

namespace {

// Written whenever the program tries the sensor; none is attached here.
const char sensorTried[] = "unable to open device";

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PrivateDesktop> desktop;
    Display* display = nullptr;
    std::vector<std::unique_ptr<QProcess>> programs;
    QByteArray startupSeen;

    // Each change is NAME=value, or NAME to remove it.
    QProcess* start(const QStringList& changes = QStringList(),
                    const QStringList& arguments = QStringList())
    {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = desktop->environment();
        environment.remove("QT_LOGGING_RULES");
        for (const QString& change : changes) {
            const int equals = change.indexOf('=');
            if (equals < 0)
                environment.remove(change);
            else
                environment.insert(change.left(equals), change.mid(equals + 1));
        }
        program->setProcessEnvironment(environment);
        // The log's name goes with the process.
        program->setObjectName(
            QString("%1/program%2.log").arg(desktop->runtimeDirectory()).arg(programs.size()));
        program->setStandardErrorFile(program->objectName());
        program->start(TESSIK_PROGRAM, arguments);
        programs.push_back(std::move(program));
        return programs.back().get();
    }

    static QByteArray output(const QProcess* program)
    {
        QFile file(program->objectName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Normal or iconic (minimised).
    unsigned long wmState(Window window)
    {
        const auto state = x11::items(display, window, "WM_STATE");
        return state.empty() ? WithdrawnState : state[0];
    }

    Window waitForPanel(const QProcess* program)
    {
        Window panel = None;
        const bool shown = QTest::qWaitFor(
            [&] {
                panel = x11::clientOfProcess(display, program->processId());
                return panel != None && x11::isViewable(display, panel);
            },
            20000);
        return shown ? panel : None;
    }

    // "openbox", "kwin", or GNOME Shell in its "x11" or "wayland" session.
    bool startDesktop(const QString& kind = "openbox")
    {
        desktop = std::make_unique<PrivateDesktop>();
        const bool started =
            kind == "wayland"
                ? desktop->startGnomeShell(Session::Wayland)
                : desktop->startX() && (kind == "x11"    ? desktop->startGnomeShell(Session::X11)
                                        : kind == "kwin" ? desktop->startKWin()
                                                         : desktop->startWindowManager());
        if (!started)
            return false;
        qputenv("XAUTHORITY", desktop->environment().value("XAUTHORITY").toLocal8Bit());
        display = XOpenDisplay(desktop->display().toLocal8Bit().constData());
        // A killed program's window may still be listed for a moment.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        return display != nullptr;
    }

    // A launch as a launcher announces it, at the X server's time now.
    QByteArray announceLaunch(Window window)
    {
        const QByteArray id = "tessik-test-launch_TIME" +
                              QByteArray::number(qulonglong(x11::serverTime(display, window)));
        const QByteArray message = "new: ID=" + id + " NAME=Tessik SCREEN=0";
        for (int offset = 0; offset <= message.size(); offset += 20) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom(
                display, offset == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO", False);
            event.xclient.format = 8;
            // The message ends with its nul.
            qstrncpy(event.xclient.data.b, message.constData() + offset, 20);
            XSendEvent(display, DefaultRootWindow(display), False, PropertyChangeMask, &event);
        }
        XFlush(display);
        return id;
    }

    // The startup-notification messages sent to the root window so far,
    // one after the other.
    QByteArray startupMessages()
    {
        const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
        XEvent event;
        while (XCheckTypedEvent(display, ClientMessage, &event)) {
            if (event.xclient.message_type == begin)
                startupSeen += '\n';
            startupSeen += QByteArray(event.xclient.data.b, 20);
        }
        return startupSeen;
    }

private slots:
    void cleanup()
    {
        for (const auto& program : programs) {
            program->kill();
            program->waitForFinished();
        }
        programs.clear();
        startupSeen.clear();
        if (display != nullptr)
            XCloseDisplay(display);
        display = nullptr;
        desktop.reset();
    }

    void secondStartBringsThePanelForward_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("killFirst");
        QTest::addColumn<bool>("atLogin");
        // "program", "launched" (with a startup id), "older version"
        // (connecting is its whole request), "malformed startup id" (sent as
        // a request), or a program after "an oversized request" or after
        // "idle connections" beyond the open files that the first may have.
        QTest::addColumn<QString>("how");
        QTest::newRow("no tray, panel minimised")
            << "openbox" << false << false << false << "program";
        QTest::newRow("tray, panel covered") << "openbox" << true << false << false << "program";
        QTest::newRow("after a killed instance")
            << "openbox" << false << true << false << "program";
        QTest::newRow("started at login into the tray")
            << "openbox" << true << false << true << "program";
        QTest::newRow("started at login without a tray")
            << "openbox" << false << false << true << "program";
        QTest::newRow("older version's request")
            << "openbox" << false << false << false << "older version";
        QTest::newRow("malformed startup id")
            << "openbox" << false << false << false << "malformed startup id";
        QTest::newRow("after an oversized request")
            << "openbox" << false << false << false << "an oversized request";
        QTest::newRow("after 1,100 idle connections")
            << "openbox" << false << false << false << "idle connections";
        // GNOME and KWin let the panel take the focus from the window the
        // user works in only for the launch the user asked for; a start from
        // a terminal is one too.
        QTest::newRow("KWin, tray, panel covered, from a terminal")
            << "kwin" << true << false << false << "program";
        QTest::newRow("GNOME on X11, launched") << "x11" << false << false << false << "launched";
        QTest::newRow("GNOME on Wayland, launched")
            << "wayland" << false << false << false << "launched";
    }
    void secondStartBringsThePanelForward()
    {
        QFETCH(QString, shell);
        QFETCH(bool, tray);
        QFETCH(bool, killFirst);
        QFETCH(bool, atLogin);
        QFETCH(QString, how);
        QVERIFY(startDesktop(shell));
        if (tray)
            QVERIFY(desktop->startTray());
        QProcess* first =
            start({}, atLogin ? QStringList(platform::autostartOption) : QStringList());
        Window panel = None;
        if (atLogin) {
            // Hidden in the tray; without one, minimised: managed but unmapped.
            QTRY_VERIFY(output(first).contains(sensorTried));
            QTest::qWait(1000);
            panel = x11::clientOfProcess(display, first->processId());
            QCOMPARE(panel != None, !tray);
            QVERIFY(panel == None || !x11::isViewable(display, panel));
        } else {
            panel = waitForPanel(first);
            QVERIFY2(panel != None, output(first).constData());
            QTRY_VERIFY(output(first).contains(sensorTried));
        }

        if (killFirst) {
            kill(pid_t(first->processId()), SIGKILL);
            QVERIFY(first->waitForFinished(5000));
            for (const char* left : {"/tessik-control.lock", "/tessik-control.socket"})
                QVERIFY(QFile::exists(desktop->runtimeDirectory() + left));
            // The stale lock and socket must not stop the next start.
            first = start();
            panel = waitForPanel(first);
            QVERIFY2(panel != None, output(first).constData());
            QTRY_VERIFY(output(first).contains(sensorTried));
        }

        // Out of sight: minimised, or covered by another window, which on
        // GNOME the user has just worked in; a start at login already is.
        Window cover = None;
        if (!tray && !atLogin) {
            XIconifyWindow(display, panel, DefaultScreen(display));
            XFlush(display);
            // GNOME keeps minimised windows mapped for its overview.
            QTRY_COMPARE(wmState(panel), (unsigned long)IconicState);
        }
        if ((tray && !atLogin) || shell != "openbox") {
            cover =
                XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1920, 1080, 0, 0, 0);
            XMapWindow(display, cover);
            XFlush(display);
            QTRY_COMPARE(x11::activeWindow(display), cover);
        }
        // The user has typed there just now.
        if (cover != None)
            x11::markTyped(display, cover);
        QStringList launch;
        if (how == "launched") {
            XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
            launch << "DESKTOP_STARTUP_ID=" + announceLaunch(cover);
        }

        const QString socketPath = desktop->runtimeDirectory() + "/tessik-control.socket";
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        if (how == "an oversized request" || how == "idle connections") {
            // As in a desktop session; this test needs more itself.
            const rlimit files{1024, 1024};
            QVERIFY(prlimit(pid_t(first->processId()), RLIMIT_NOFILE, &files, nullptr) == 0);
            rlimit own{};
            QVERIFY(getrlimit(RLIMIT_NOFILE, &own) == 0 && own.rlim_max > 1200);
            own.rlim_cur = own.rlim_max;
            QVERIFY(setrlimit(RLIMIT_NOFILE, &own) == 0);
            for (int i = 0; i < (how == "idle connections" ? 1100 : 1); ++i) {
                clients.push_back(std::make_unique<QLocalSocket>());
                clients.back()->connectToServer(socketPath);
            }
            if (how == "an oversized request") {
                QVERIFY(clients[0]->waitForConnected(5000));
                clients[0]->write(QByteArray(1 << 20, 'x'));
            }
            // Refused, or left idle for too long.
            QTRY_VERIFY_WITH_TIMEOUT(std::all_of(clients.begin(), clients.end(),
                                                 [](const auto& client) {
                                                     return client->state() ==
                                                            QLocalSocket::UnconnectedState;
                                                 }),
                                     20000);
        }
        if (how == "older version" || how == "malformed startup id") {
            QLocalSocket request;
            request.connectToServer(socketPath);
            QVERIFY(request.waitForConnected(5000));
            if (how == "malformed startup id")
                request.write("tessik\x01\xff\xfe_TIME4294967295\n");
            request.waitForBytesWritten(5000);
            request.disconnectFromServer();
        } else {
            QProcess* second = start(launch);
            QVERIFY(second->waitForFinished(10000));
            QCOMPARE(second->exitStatus(), QProcess::NormalExit);
            QCOMPARE(second->exitCode(), 0);
            QVERIFY2(!output(second).contains(sensorTried), output(second).constData());
        }

        if (atLogin)
            panel = waitForPanel(first);
        // Shown first: a panel minimised with no other window about may still
        // be the active one.
        QTRY_VERIFY(x11::isViewable(display, panel));
        QTRY_COMPARE(wmState(panel), (unsigned long)NormalState);
        QTRY_COMPARE(x11::activeWindow(display), panel);
        if (cover != None)
            QVERIFY(x11::isAbove(display, panel, cover));
        QCOMPARE(first->state(), QProcess::Running);
        if (how == "malformed startup id") {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(display, panel, XInternAtom(display, "_NET_STARTUP_ID", False), 0,
                               64, False, AnyPropertyType, &type, &format, &count, &remaining,
                               &data);
            XFree(data);
            QCOMPARE(type, Atom(None));
        }
        // The launcher's busy cursor ends with the launch.
        if (!launch.isEmpty())
            QTRY_VERIFY(startupMessages().contains("remove: ID=\"" +
                                                   launch[0].section('=', 1).toLatin1() + '"'));
    }

    // With no platform chosen the program must pick xcb itself to show its
    // panel on this X server.
    void waylandSessionIsNamedOnce_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("lines");
        QTest::newRow("session type wayland") << "XDG_SESSION_TYPE=wayland" << 1;
        QTest::newRow("wayland display") << "WAYLAND_DISPLAY=wayland-0" << 1;
        QTest::newRow("x11 session") << "XDG_SESSION_TYPE=x11" << 0;
    }
    void waylandSessionIsNamedOnce()
    {
        QFETCH(QString, setting);
        QFETCH(int, lines);
        QVERIFY(startDesktop());
        QProcess* program = start({setting, "QT_QPA_PLATFORM"});
        QVERIFY(waitForPanel(program) != None);
        QTRY_VERIFY(output(program).contains(sensorTried));
        QCOMPARE(output(program).count("Wayland session:"), lines);
        QCOMPARE(output(program).count("(XWayland): running on Qt's xcb platform"), lines);
    }

    void qtPlatformChoice_data()
    {
        QTest::addColumn<QStringList>("session");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("X display")
            << QStringList{"WAYLAND_DISPLAY=w", "DISPLAY=:5"} << QByteArray("xcb");
        QTest::newRow("no X display: native")
            << QStringList{"WAYLAND_DISPLAY=w"} << QByteArray("wayland");
        QTest::newRow("user's choice kept")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:5", "QT_QPA_PLATFORM=offscreen"}
            << QByteArray("offscreen");
    }
    void qtPlatformChoice()
    {
        QFETCH(QStringList, session);
        QFETCH(QByteArray, platform);
        const QByteArrayList names{"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY",
                                   "QT_QPA_PLATFORM"};
        QByteArrayList saved;
        for (const QByteArray& name : names) {
            saved << qgetenv(name);
            qunsetenv(name);
        }
        for (const QString& setting : session)
            qputenv(setting.section('=', 0, 0).toLatin1(), setting.section('=', 1).toLatin1());
        chooseQtPlatform();
        const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
        for (int i = 0; i < names.size(); ++i)
            saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
        QCOMPARE(chosen, platform);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "testsingleinstance.moc"
