// SPDX-License-Identifier: GPL-3.0-or-later
// The real tessik-control on a private desktop (X server and openbox, with
// or without a tray): a second start brings the running panel forward and
// ends without touching the sensor, also after a killed instance left its
// lock and socket behind, and after a start at login that stayed out of
// sight; a Wayland session is named once at start.
#include "platform/autostart.h"
#include "support/privatedesktop.h"
#include "support/x11properties.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <signal.h>

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

    QProcess* start(const QString& variable = QString(), const QString& value = QString(),
                    const QStringList& arguments = QStringList())
    {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = desktop->environment();
        environment.remove("QT_LOGGING_RULES");
        if (!variable.isEmpty())
            environment.insert(variable, value);
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

private slots:
    void init()
    {
        desktop = std::make_unique<PrivateDesktop>();
        QVERIFY(desktop->startX());
        QVERIFY(desktop->startWindowManager());
        display = XOpenDisplay(desktop->display().toLocal8Bit().constData());
        QVERIFY(display != nullptr);
        // A killed program's window may still be listed for a moment.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }

    void cleanup()
    {
        for (const auto& program : programs) {
            program->kill();
            program->waitForFinished();
        }
        programs.clear();
        if (display != nullptr)
            XCloseDisplay(display);
        display = nullptr;
        desktop.reset();
    }

    void secondStartBringsThePanelForward_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("killFirst");
        QTest::addColumn<bool>("atLogin");
        QTest::newRow("no tray, panel minimised") << false << false << false;
        QTest::newRow("tray, panel covered") << true << false << false;
        QTest::newRow("after a killed instance") << false << true << false;
        QTest::newRow("started at login into the tray") << true << false << true;
        QTest::newRow("started at login without a tray") << false << false << true;
    }
    void secondStartBringsThePanelForward()
    {
        QFETCH(bool, tray);
        QFETCH(bool, killFirst);
        QFETCH(bool, atLogin);
        if (tray)
            QVERIFY(desktop->startTray());
        QProcess* first = start(QString(), QString(),
                                atLogin ? QStringList(platform::autostartOption) : QStringList());
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
            QVERIFY(panel != None);
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
            QVERIFY(panel != None);
            QTRY_VERIFY(output(first).contains(sensorTried));
        }

        // Out of sight: covered by another window, or minimised (as a start at
        // login already is).
        Window cover = None;
        if (tray && !atLogin) {
            cover =
                XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1920, 1080, 0, 0, 0);
            XMapWindow(display, cover);
            XFlush(display);
            QTRY_COMPARE(x11::activeWindow(display), cover);
        } else if (!atLogin) {
            XIconifyWindow(display, panel, DefaultScreen(display));
            XFlush(display);
            QTRY_VERIFY(!x11::isViewable(display, panel));
        }

        QProcess* second = start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY2(!output(second).contains(sensorTried), output(second).constData());

        if (atLogin)
            panel = waitForPanel(first);
        QTRY_COMPARE(x11::activeWindow(display), panel);
        QVERIFY(x11::isViewable(display, panel));
        if (cover != None)
            QVERIFY(x11::isAbove(display, panel, cover));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void waylandSessionIsNamedOnce_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("lines");
        QTest::newRow("session type wayland") << "XDG_SESSION_TYPE"
                                              << "wayland" << 1;
        QTest::newRow("wayland display") << "WAYLAND_DISPLAY"
                                         << "wayland-0" << 1;
        QTest::newRow("x11 session") << "XDG_SESSION_TYPE"
                                     << "x11" << 0;
    }
    void waylandSessionIsNamedOnce()
    {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(int, lines);
        QProcess* program = start(variable, value);
        QVERIFY(waitForPanel(program) != None);
        QTRY_VERIFY(output(program).contains(sensorTried));
        QCOMPARE(output(program).count("Wayland session:"), lines);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "testsingleinstance.moc"
