// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the real tessik-control on the X server and ends it the ways a
// desktop does: a close request to its window, or SIGTERM.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

unsigned long windowPid(Display* display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    unsigned long pid = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        data && count == 1 && format == 32)
        pid = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// The process's mapped top-level window, or 0.
Window findShownWindow(Display* display, qint64 pid)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable &&
            windowPid(display, children[i]) == static_cast<unsigned long>(pid))
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

void requestClose(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

} // namespace

class TestProgramExit : public QObject
{
    Q_OBJECT

private slots:
    void endsWithStatusZero_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("close request") << "close";
        // A session's end, or kill.
        QTest::newRow("SIGTERM") << "SIGTERM";
    }
    void endsWithStatusZero()
    {
        QFETCH(QString, way);
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            QSKIP("needs an X server");

        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
        // The program itself keeps the GL driver out, whatever the caller set.
        environment.remove("QT_XCB_GL_INTEGRATION");
        // A program running elsewhere for this user would take the start.
        environment.insert("XDG_RUNTIME_DIR", home.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(TESSIK_PROGRAM, QStringList());
        QVERIFY(program.waitForStarted());

        Window window = 0;
        QTRY_VERIFY_WITH_TIMEOUT((window = findShownWindow(display, program.processId())) != 0,
                                 20000);
        QVERIFY(program.state() == QProcess::Running);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY2(!mapped.contains("_mesa") && !mapped.contains("_dri"), "a GL driver was loaded");

        if (way == "close")
            requestClose(display, window);
        else
            program.terminate();
        QVERIFY(program.waitForFinished(10000));
        XCloseDisplay(display);

        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString output = QString::fromLocal8Bit(program.readAllStandardError());
        // No sensor is attached where the tests run.
        QVERIFY2(output.contains("unable to open device\nUSB open error"), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestProgramExit)
#include "testprogramexit.moc"
