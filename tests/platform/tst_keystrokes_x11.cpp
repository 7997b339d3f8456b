// SPDX-License-Identifier: GPL-3.0-or-later
// The window switch as the X server receives it: raw key events recorded
// through XInput2 on the root window.
#include "platform/platform.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <poll.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> diagnostics;

void collectDiagnostic(const char* message)
{
    diagnostics.emplace_back(message);
}

struct KeyEvent
{
    int keycode;
    bool release;
    bool operator==(const KeyEvent& other) const
    {
        return keycode == other.keycode && release == other.release;
    }
};

} // namespace

QT_BEGIN_NAMESPACE
namespace QTest {
template <> char* toString(const std::vector<KeyEvent>& events)
{
    QByteArray text;
    for (const KeyEvent& event : events)
        text += QByteArray::number(event.keycode) + (event.release ? " up, " : " down, ");
    return qstrdup(text.constData());
}
} // namespace QTest
QT_END_NAMESPACE

class KeyStrokesX11Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void windowSwitchReachesServer();
    void withoutDisplay();
    void withoutKeycode_data();
    void withoutKeycode();
    void unknownKey();

private:
    std::vector<KeyEvent> receive(std::size_t wanted, int timeoutMs);
    std::vector<KeyEvent> expectedSwitch() const;

    Display* display = nullptr;
    int inputOpcode = 0;
};

void KeyStrokesX11Test::initTestCase()
{
    display = XOpenDisplay(nullptr);
    QVERIFY2(display != nullptr, "needs an X server (run under xvfb-run)");
    int event = 0;
    int error = 0;
    QVERIFY(XQueryExtension(display, "XInputExtension", &inputOpcode, &event, &error));
    int major = 2;
    int minor = 2;
    QCOMPARE(XIQueryVersion(display, &major, &minor), Success);

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);
}

void KeyStrokesX11Test::cleanupTestCase()
{
    if (display != nullptr)
        XCloseDisplay(display);
}

void KeyStrokesX11Test::init()
{
    diagnostics.clear();
    platform::setDiagnosticSink(collectDiagnostic);
    receive(0, 0); // drop anything left over
}

void KeyStrokesX11Test::cleanup()
{
    platform::setDiagnosticSink(nullptr);
}

// Collects raw key events until `wanted` have come or the time is up; a
// short wait past `wanted` also catches any surplus.
std::vector<KeyEvent> KeyStrokesX11Test::receive(std::size_t wanted, int timeoutMs)
{
    std::vector<KeyEvent> events;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != inputOpcode ||
                !XGetEventData(display, cookie))
                continue;
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            events.push_back({raw->detail, cookie->evtype == XI_RawKeyRelease});
            XFreeEventData(display, cookie);
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return events;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        const int waitMs = events.size() >= wanted ? qMin<qint64>(left, 200) : left;
        if (poll(&connection, 1, static_cast<int>(waitMs)) <= 0 && events.size() >= wanted)
            return events;
    }
}

std::vector<KeyEvent> KeyStrokesX11Test::expectedSwitch() const
{
    const int super = XKeysymToKeycode(display, XK_Super_L);
    const int d = XKeysymToKeycode(display, XK_d);
    const int e = XKeysymToKeycode(display, XK_e);
    return {{super, false}, {d, false}, {d, true}, {super, true},
            {super, false}, {e, false}, {e, true}, {super, true}};
}

void KeyStrokesX11Test::windowSwitchReachesServer()
{
    const std::vector<KeyEvent> expected = expectedSwitch();
    QVERIFY(expected[0].keycode != 0 && expected[1].keycode != 0 && expected[5].keycode != 0);

    // A second switch repeats the same chords.
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(platform::sendKeyStrokes(platform::windowSwitchKeys.data(), 8), 8);
        QCOMPARE(receive(8, 5000), expected);
    }
    QVERIFY(diagnostics.empty());
}

void KeyStrokesX11Test::withoutDisplay()
{
    const QByteArray saved = qgetenv("DISPLAY");
    unsetenv("DISPLAY");
    const int sent = platform::sendKeyStrokes(platform::windowSwitchKeys.data(), 8);
    setenv("DISPLAY", saved.constData(), 1);

    QCOMPARE(sent, 0);
    QCOMPARE(diagnostics.size(), std::size_t(1));
    QVERIFY(receive(0, 300).empty());
}

void KeyStrokesX11Test::withoutKeycode_data()
{
    QTest::addColumn<QByteArray>("keyName");
    QTest::newRow("first key") << QByteArray("Super_L");
    // Missing only from the second chord: the first must not be sent alone.
    QTest::newRow("later key") << QByteArray("e");
}

void KeyStrokesX11Test::withoutKeycode()
{
    QFETCH(QByteArray, keyName);
    const KeySym removed = XStringToKeysym(keyName.constData());
    // Take the key out of the server's keymap for the length of this test.
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    const int keycodeCount = maxKeycode - minKeycode + 1;
    int perKeycode = 0;
    KeySym* original = XGetKeyboardMapping(display, minKeycode, keycodeCount, &perKeycode);
    QVERIFY(original != nullptr);
    std::vector<KeySym> changed(original, original + keycodeCount * perKeycode);
    for (KeySym& keysym : changed) {
        if (keysym == removed)
            keysym = NoSymbol;
    }
    XChangeKeyboardMapping(display, minKeycode, perKeycode, changed.data(), keycodeCount);
    XSync(display, False);

    const int sent = platform::sendKeyStrokes(platform::windowSwitchKeys.data(), 8);

    XChangeKeyboardMapping(display, minKeycode, perKeycode, original, keycodeCount);
    XFree(original);
    XSync(display, False);

    QCOMPARE(sent, 0);
    QCOMPARE(diagnostics.size(), std::size_t(1));
    QVERIFY2(QByteArray(diagnostics[0].c_str()).endsWith(" " + keyName), diagnostics[0].c_str());
    QVERIFY(receive(0, 300).empty());
}

void KeyStrokesX11Test::unknownKey()
{
    // 'D' is fine, but the second stroke names a key the layer cannot map:
    // nothing at all may be typed.
    const platform::KeyStroke strokes[] = {{0x44, false}, {0x41, false}};
    QCOMPARE(platform::sendKeyStrokes(strokes, 2), 0);
    QCOMPARE(diagnostics.size(), std::size_t(1));
    QVERIFY(receive(0, 300).empty());
}

QTEST_APPLESS_MAIN(KeyStrokesX11Test)
#include "tst_keystrokes_x11.moc"
