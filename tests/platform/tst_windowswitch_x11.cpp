// SPDX-License-Identifier: GPL-3.0-or-later
// The Window Switch and the screen-locker test as an X server of their own
// sees them: the minimise requests a window manager receives, and not a
// single key event (recorded raw through XInput2).
#include "platform/platform.h"
#include "support/privatedesktop.h"
#include "support/rawkeyrecorder.h"

#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> diagnostics;

void collectDiagnostic(const char* message)
{
    diagnostics.emplace_back(message);
}

void setAtoms(Display* display, Window window, const char* property, Atom type,
              std::vector<long> values)
{
    XChangeProperty(display, window, XInternAtom(display, property, False), type, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(values.data()),
                    int(values.size()));
}

} // namespace

class WindowSwitchX11Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void minimiseRequests_data();
    void minimiseRequests();
    void withoutDisplay();
    void keyboardGrab_data();
    void keyboardGrab();

private:
    // The windows the root window received minimise requests for.
    std::vector<Window> requestsSeen();

    std::unique_ptr<RawKeyRecorder> recorder;
    Display* display = nullptr;
    Window root = None;
};

void WindowSwitchX11Test::initTestCase()
{
    recorder = std::make_unique<RawKeyRecorder>();
    QVERIFY2(recorder->isReady(), "needs an X server with XInput 2.2");
    display = XOpenDisplay(nullptr);
    root = DefaultRootWindow(display);
    // Requests to the window manager reach whoever watches the root.
    XSelectInput(display, root, SubstructureNotifyMask);
}

void WindowSwitchX11Test::cleanupTestCase()
{
    XCloseDisplay(display);
    recorder.reset();
}

void WindowSwitchX11Test::init()
{
    diagnostics.clear();
    platform::setDiagnosticSink(collectDiagnostic);
    recorder->receive(0, 0);
    requestsSeen();
}

void WindowSwitchX11Test::cleanup()
{
    platform::setDiagnosticSink(nullptr);
    for (const char* property : {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_CLIENT_LIST"})
        XDeleteProperty(display, root, XInternAtom(display, property, False));
    XSync(display, False);
}

std::vector<Window> WindowSwitchX11Test::requestsSeen()
{
    const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);
    XSync(display, False);
    std::vector<Window> asked;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == changeState &&
            event.xclient.data.l[0] == IconicState)
            asked.push_back(event.xclient.window);
    }
    return asked;
}

void WindowSwitchX11Test::minimiseRequests_data()
{
    QTest::addColumn<QString>("manager");
    QTest::addColumn<bool>("requested");
    QTest::newRow("no window manager") << "none" << false;
    // Its properties outlive a window manager that crashed.
    QTest::newRow("window manager gone") << "gone" << false;
    QTest::newRow("without a client list") << "other features" << false;
    QTest::newRow("with a client list") << "client list" << true;
}

void WindowSwitchX11Test::minimiseRequests()
{
    QFETCH(QString, manager);
    QFETCH(bool, requested);
    // The window manager's list: type, state, minimised, this program's own,
    // and whether a minimise request is due.
    struct Client
    {
        const char* type;
        const char* state;
        bool iconic;
        bool own;
        bool due;
    };
    const std::vector<Client> listed{
        {nullptr, nullptr, false, false, true}, // untyped, as older programs are
        {"_NET_WM_WINDOW_TYPE_NORMAL", nullptr, false, false, true},
        {"_NET_WM_WINDOW_TYPE_DIALOG", nullptr, false, false, true},
        {"_NET_WM_WINDOW_TYPE_DESKTOP", nullptr, false, false, false},
        {"_NET_WM_WINDOW_TYPE_DOCK", nullptr, false, false, false},
        {nullptr, "_NET_WM_STATE_HIDDEN", false, false, false},
        {nullptr, "_NET_WM_STATE_SKIP_TASKBAR", false, false, false},
        {nullptr, nullptr, true, false, false},
        {nullptr, nullptr, false, true, false},
    };
    std::vector<long> clients;
    std::vector<std::uintptr_t> own;
    std::vector<Window> due;
    for (const Client& client : listed) {
        const Window window = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
        if (client.type != nullptr)
            setAtoms(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM,
                     {long(XInternAtom(display, client.type, False))});
        if (client.state != nullptr)
            setAtoms(display, window, "_NET_WM_STATE", XA_ATOM,
                     {long(XInternAtom(display, client.state, False))});
        const Atom wmState = XInternAtom(display, "WM_STATE", False);
        setAtoms(display, window, "WM_STATE", wmState,
                 {client.iconic ? IconicState : NormalState, long(None)});
        clients.push_back(long(window));
        if (client.own)
            own.push_back(window);
        if (client.due && requested)
            due.push_back(window);
    }
    if (manager != "none") {
        const Window check = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
        setAtoms(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, {long(check)});
        setAtoms(display, check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, {long(check)});
        const char* feature =
            manager == "other features" ? "_NET_ACTIVE_WINDOW" : "_NET_CLIENT_LIST";
        setAtoms(display, root, "_NET_SUPPORTED", XA_ATOM,
                 {long(XInternAtom(display, "_NET_WM_STATE", False)),
                  long(XInternAtom(display, feature, False))});
        setAtoms(display, root, "_NET_CLIENT_LIST", XA_WINDOW, clients);
        if (manager == "gone")
            XDestroyWindow(display, check);
        XSync(display, False);
    }

    // A second switch asks again.
    for (int round = 0; round < 2; ++round) {
        const platform::SwitchOutcome outcome = platform::hideUserWindows(own);
        QCOMPARE(outcome.windowsHidden, requested);
        QVERIFY(!outcome.fileManagerOpened);
        QCOMPARE(requestsSeen(), due);
    }
    QCOMPARE(diagnostics.size(), std::size_t(requested ? 0 : 2));
    QVERIFY(recorder->receive(0, 300).empty());
}

void WindowSwitchX11Test::withoutDisplay()
{
    const QByteArray saved = qgetenv("DISPLAY");
    unsetenv("DISPLAY");
    const bool hidden = platform::hideUserWindows({}).windowsHidden;
    const bool locked = platform::screenLockerShown(nullptr, {{0, 0, 640, 480}});
    setenv("DISPLAY", saved.constData(), 1);

    QVERIFY(!hidden);
    QVERIFY(!locked);
    QCOMPARE(diagnostics.size(), std::size_t(1));
}

void WindowSwitchX11Test::keyboardGrab_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("covered");
    QTest::newRow("keyboard free") << false << false;
    QTest::newRow("held, as by a menu or a game") << true << false;
    QTest::newRow("covered without a grab") << false << true;
    QTest::newRow("held and covered by a screen locker") << true << true;
}

void WindowSwitchX11Test::keyboardGrab()
{
    QFETCH(bool, held);
    QFETCH(bool, covered);
    Display* locker = XOpenDisplay(nullptr);
    if (held)
        QCOMPARE(XGrabKeyboard(locker, DefaultRootWindow(locker), False, GrabModeAsync,
                               GrabModeAsync, CurrentTime),
                 GrabSuccess);
    const int width = DisplayWidth(locker, DefaultScreen(locker));
    const int height = DisplayHeight(locker, DefaultScreen(locker));
    // The locker's window over a managed one, as i3lock shows it.
    const Window managed =
        XCreateSimpleWindow(locker, DefaultRootWindow(locker), 0, 0, 200, 200, 0, 0, 0);
    XMapWindow(locker, managed);
    XSetWindowAttributes unmanaged;
    unmanaged.override_redirect = True;
    const Window cover =
        XCreateWindow(locker, DefaultRootWindow(locker), 0, 0, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &unmanaged);
    if (covered)
        XMapRaised(locker, cover);
    XSync(locker, False);

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    // Monitors side by side: the cover fills the first.
    const std::vector<platform::Monitor> monitors{{0, 0, width, height}, {width, 0, 800, 600}};
    for (int round = 0; round < 2; ++round)
        QCOMPARE(platform::screenLockerShown(connection, monitors), held && covered);
    xcb_disconnect(connection);
    XCloseDisplay(locker);
    // Asking never left the keyboard grabbed: another client takes it now.
    Display* next = XOpenDisplay(nullptr);
    const int status = XGrabKeyboard(next, DefaultRootWindow(next), False, GrabModeAsync,
                                     GrabModeAsync, CurrentTime);
    XCloseDisplay(next);
    QCOMPARE(status, GrabSuccess);
    QVERIFY(diagnostics.empty());
}

// The test's own X server, so that its stand-in window manager and its grabs
// meet no other test.
int main(int argc, char* argv[])
{
    PrivateDesktop desktop;
    if (!desktop.startX()) {
        qWarning("cannot start a private X server");
        return 1;
    }
    desktop.enter();
    WindowSwitchX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowswitch_x11.moc"
