// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen test and the window manager's hints against a real X
// server. The test plays the window manager: it creates windows and writes
// the EWMH properties itself.
#include "platform/platform.h"
#include "support/privatedesktop.h"

#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> diagnostics;

void collectDiagnostic(const char* message)
{
    diagnostics.emplace_back(message);
}

int errorsSeen = 0;

int countError(Display*, XErrorEvent*)
{
    ++errorsSeen;
    return 0;
}

} // namespace

class FullScreenX11Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void activeWindow_data();
    void activeWindow();
    void withoutActiveWindow_data();
    void withoutActiveWindow();
    void vanishedWindow();
    void withoutDisplay();
    void perMonitor_data();
    void perMonitor();
    void windowManagerHints_data();
    void windowManagerHints();

private:
    Atom atom(const char* name) { return XInternAtom(display, name, False); }
    Window createWindow(int width, int height);
    void setActiveWindow(Window window);
    void setState(Window window, const QStringList& states);
    void setFrameExtents(Window window, const QVector<long>& extents);

    Display* display = nullptr;
    Window root = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<Window> windows;
};

void FullScreenX11Test::initTestCase()
{
    display = XOpenDisplay(nullptr);
    QVERIFY2(display != nullptr, "needs an X server (run under xvfb-run)");
    root = DefaultRootWindow(display);
    screenWidth = DisplayWidth(display, DefaultScreen(display));
    screenHeight = DisplayHeight(display, DefaultScreen(display));
}

void FullScreenX11Test::cleanupTestCase()
{
    if (display != nullptr)
        XCloseDisplay(display);
}

void FullScreenX11Test::init()
{
    diagnostics.clear();
    platform::setDiagnosticSink(collectDiagnostic);
}

void FullScreenX11Test::cleanup()
{
    platform::setDiagnosticSink(nullptr);
    XDeleteProperty(display, root, atom("_NET_ACTIVE_WINDOW"));
    for (Window window : windows)
        XDestroyWindow(display, window);
    windows.clear();
    XSync(display, False);
}

Window FullScreenX11Test::createWindow(int width, int height)
{
    const Window window = XCreateSimpleWindow(display, root, 40, 30, width, height, 0, 0, 0);
    windows.push_back(window);
    return window;
}

void FullScreenX11Test::setActiveWindow(Window window)
{
    const long value = static_cast<long>(window);
    XChangeProperty(display, root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

void FullScreenX11Test::setState(Window window, const QStringList& states)
{
    std::vector<long> atoms;
    for (const QString& state : states)
        atoms.push_back(static_cast<long>(atom(state.toLatin1().constData())));
    XChangeProperty(display, window, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
}

void FullScreenX11Test::setFrameExtents(Window window, const QVector<long>& extents)
{
    XChangeProperty(display, window, atom("_NET_FRAME_EXTENTS"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(extents.data()), extents.size());
}

void FullScreenX11Test::activeWindow_data()
{
    // Sizes relative to the screen; frame extents are left, right, top, bottom.
    QTest::addColumn<int>("widthDelta");
    QTest::addColumn<int>("heightDelta");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<QVector<long>>("extents");
    QTest::addColumn<bool>("expected");

    const QStringList above{"_NET_WM_STATE_ABOVE"};
    const QStringList fullScreen{"_NET_WM_STATE_FULLSCREEN"};
    const QStringList maximised{"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"};

    QTest::newRow("on top, screen size") << 0 << 0 << above << QVector<long>() << true;
    QTest::newRow("full-screen state") << 0 << 0 << fullScreen << QVector<long>() << true;
    QTest::newRow("on top among other states")
        << 0 << 0 << QStringList{"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE"} << QVector<long>()
        << true;
    QTest::newRow("maximised, not on top") << 0 << 0 << maximised << QVector<long>() << false;
    QTest::newRow("no state") << 0 << 0 << QStringList() << QVector<long>() << false;
    QTest::newRow("on top, one pixel narrower") << -1 << 0 << above << QVector<long>() << false;
    QTest::newRow("on top, one pixel lower") << 0 << -1 << above << QVector<long>() << false;
    QTest::newRow("on top, one pixel wider") << 1 << 0 << above << QVector<long>() << false;
    QTest::newRow("full-screen state, one pixel narrower")
        << -1 << 0 << fullScreen << QVector<long>() << false;
    QTest::newRow("frame makes the screen size")
        << -10 << -34 << above << QVector<long>{4, 6, 30, 4} << true;
    QTest::newRow("frame makes it too wide")
        << 0 << 0 << above << QVector<long>{4, 6, 30, 4} << false;
    QTest::newRow("frame one pixel short")
        << -10 << -34 << above << QVector<long>{4, 6, 29, 4} << false;
    QTest::newRow("zero frame") << 0 << 0 << above << QVector<long>{0, 0, 0, 0} << true;
}

void FullScreenX11Test::activeWindow()
{
    QFETCH(int, widthDelta);
    QFETCH(int, heightDelta);
    QFETCH(QStringList, states);
    QFETCH(QVector<long>, extents);
    QFETCH(bool, expected);

    const Window window = createWindow(screenWidth + widthDelta, screenHeight + heightDelta);
    if (!states.isEmpty())
        setState(window, states);
    if (!extents.isEmpty())
        setFrameExtents(window, extents);
    setActiveWindow(window);
    XSync(display, False);

    QCOMPARE(platform::foregroundIsFullScreen(), expected);
    QVERIFY(diagnostics.empty());
}

void FullScreenX11Test::withoutActiveWindow_data()
{
    QTest::addColumn<bool>("setProperty");
    QTest::newRow("no property") << false;
    QTest::newRow("active window 0") << true;
}

void FullScreenX11Test::withoutActiveWindow()
{
    QFETCH(bool, setProperty);
    // A full-screen window exists, but nothing says it is in front.
    setState(createWindow(screenWidth, screenHeight), {"_NET_WM_STATE_ABOVE"});
    if (setProperty)
        setActiveWindow(0);
    XSync(display, False);

    QCOMPARE(platform::foregroundIsFullScreen(), false);
}

void FullScreenX11Test::vanishedWindow()
{
    const Window window =
        XCreateSimpleWindow(display, root, 0, 0, screenWidth, screenHeight, 0, 0, 0);
    setState(window, {"_NET_WM_STATE_ABOVE"});
    setActiveWindow(window);
    XDestroyWindow(display, window);
    XSync(display, False);

    // The caller's own error handler must be back in place afterwards.
    errorsSeen = 0;
    const XErrorHandler previous = XSetErrorHandler(countError);
    QCOMPARE(platform::foregroundIsFullScreen(), false);
    QVERIFY(XSetErrorHandler(previous) == countError);
    QCOMPARE(errorsSeen, 0);
}

void FullScreenX11Test::withoutDisplay()
{
    const QByteArray saved = qgetenv("DISPLAY");
    unsetenv("DISPLAY");
    const bool result = platform::foregroundIsFullScreen();
    setenv("DISPLAY", saved.constData(), 1);

    QCOMPARE(result, false);
    QCOMPARE(diagnostics.size(), std::size_t(1));
}

void FullScreenX11Test::perMonitor_data()
{
    // The screen is 1920 x 1080; two monitors split it at the given x. A
    // framed window sits at 0, 0 in a frame window of its size, where every
    // window manager puts it.
    QTest::addColumn<int>("split");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<bool>("framed");
    QTest::addColumn<bool>("expected");
    const QRect left(0, 0, 960, 1080);
    const QRect right(960, 0, 960, 1080);
    const QRect rightThird(1280, 0, 640, 1080);
    QTest::newRow("one monitor, filled") << 0 << QRect(0, 0, 1920, 1080) << false << true;
    QTest::newRow("one monitor, one pixel short") << 0 << QRect(0, 0, 1920, 1079) << false << false;
    QTest::newRow("two, left filled") << 960 << left << false << true;
    QTest::newRow("two, right filled") << 960 << right << false << true;
    QTest::newRow("two, both spanned") << 960 << QRect(0, 0, 1920, 1080) << false << false;
    QTest::newRow("two, right one pixel short")
        << 960 << QRect(960, 0, 959, 1080) << false << false;
    QTest::newRow("unequal, small one filled") << 1280 << rightThird << false << true;
    QTest::newRow("unequal, small one's size on the large one")
        << 1280 << QRect(0, 0, 640, 1080) << false << false;
    QTest::newRow("unequal, framed, small one filled") << 1280 << rightThird << true << true;
}

void FullScreenX11Test::perMonitor()
{
    QFETCH(int, split);
    QFETCH(QRect, window);
    QFETCH(bool, framed);
    QFETCH(bool, expected);
    PrivateDesktop desktop;
    QVERIFY(desktop.startX());
    if (split) {
        const QString left = QString("%1/254x1080/286+0+0").arg(split);
        const QString right = QString("%1/254x1080/286+%2+0").arg(1920 - split).arg(split);
        QVERIFY(desktop.run({"xrandr", "--setmonitor", "left", left, "screen"}));
        QVERIFY(desktop.run({"xrandr", "--setmonitor", "right", right, "none"}));
    }
    Display* own = XOpenDisplay(desktop.display().toLocal8Bit().constData());
    QVERIFY(own != nullptr);
    const Window root = DefaultRootWindow(own);
    const auto create = [&](Window parent, int x, int y) {
        return XCreateSimpleWindow(own, parent, x, y, window.width(), window.height(), 0, 0, 0);
    };
    const Window shown = framed ? create(create(root, window.x(), window.y()), 0, 0)
                                : create(root, window.x(), window.y());
    const long above = long(XInternAtom(own, "_NET_WM_STATE_ABOVE", False));
    XChangeProperty(own, shown, XInternAtom(own, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&above), 1);
    const long active = long(shown);
    XChangeProperty(own, root, XInternAtom(own, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(own, False);

    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", desktop.display().toLocal8Bit());
    const bool result = platform::foregroundIsFullScreen();
    qputenv("DISPLAY", saved);
    XCloseDisplay(own);
    QCOMPARE(result, expected);
}

QTEST_APPLESS_MAIN(FullScreenX11Test)
#include "tst_fullscreen_x11.moc"

void FullScreenX11Test::windowManagerHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("supported");
    QTest::addColumn<bool>("lacksHidden");
    QTest::newRow("no window manager") << QString() << QStringList() << false;
    QTest::newRow("minimises (openbox)")
        << "Openbox" << QStringList{"_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"} << false;
    QTest::newRow("cannot minimise (weston)")
        << "Weston WM"
        << QStringList{"_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN", "_NET_ACTIVE_WINDOW"} << true;
}

void FullScreenX11Test::windowManagerHints()
{
    QFETCH(QString, name);
    QFETCH(QStringList, supported);
    QFETCH(bool, lacksHidden);
    // The shared server's root must not claim a window manager for the
    // tests beside this one.
    PrivateDesktop desktop;
    QVERIFY(desktop.startX());
    Display* own = XOpenDisplay(desktop.display().toLocal8Bit().constData());
    QVERIFY(own != nullptr);
    const Window ownRoot = DefaultRootWindow(own);
    if (!name.isEmpty()) {
        const long check =
            static_cast<long>(XCreateSimpleWindow(own, ownRoot, 0, 0, 1, 1, 0, 0, 0));
        // On the root and, as a running window manager does, on itself.
        for (const Window holder : {ownRoot, Window(check)})
            XChangeProperty(own, holder, XInternAtom(own, "_NET_SUPPORTING_WM_CHECK", False),
                            XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&check), 1);
        const QByteArray utf8 = name.toUtf8();
        XChangeProperty(own, Window(check), XInternAtom(own, "_NET_WM_NAME", False),
                        XInternAtom(own, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.constData()), utf8.size());
        std::vector<long> atoms;
        for (const QString& hint : supported)
            atoms.push_back(
                static_cast<long>(XInternAtom(own, hint.toLatin1().constData(), False)));
        XChangeProperty(own, ownRoot, XInternAtom(own, "_NET_SUPPORTED", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
    }
    XSync(own, False);
    const QByteArray shared = qgetenv("DISPLAY");
    qputenv("DISPLAY", desktop.display().toLocal8Bit());
    const bool lacks = platform::windowManagerLacks("_NET_WM_STATE_HIDDEN");
    const std::string published = platform::windowManagerName();
    qputenv("DISPLAY", shared);
    XCloseDisplay(own);
    QCOMPARE(lacks, lacksHidden);
    QCOMPARE(QString::fromStdString(published), name);
}
