// SPDX-License-Identifier: GPL-3.0-or-later
// The window switch as the X server receives it: raw key events recorded
// through XInput2 on the root window.
#include "platform/platform.h"
#include "support/rawkeyrecorder.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> diagnostics;

void collectDiagnostic(const char* message)
{
    diagnostics.emplace_back(message);
}

} // namespace

QT_BEGIN_NAMESPACE
namespace QTest {
template <> char* toString(const std::vector<RawKeyEvent>& events)
{
    QByteArray text;
    for (const RawKeyEvent& event : events)
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
    std::vector<RawKeyEvent> receive(std::size_t wanted, int timeoutMs)
    {
        return recorder->receive(wanted, timeoutMs);
    }
    std::vector<RawKeyEvent> expectedSwitch() const;

    std::unique_ptr<RawKeyRecorder> recorder;
    Display* display = nullptr;
};

void KeyStrokesX11Test::initTestCase()
{
    recorder = std::make_unique<RawKeyRecorder>();
    QVERIFY2(recorder->isReady(), "needs an X server with XInput 2.2 (run under xvfb-run)");
    display = recorder->display();
}

void KeyStrokesX11Test::cleanupTestCase()
{
    recorder.reset();
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

std::vector<RawKeyEvent> KeyStrokesX11Test::expectedSwitch() const
{
    const int super = XKeysymToKeycode(display, XK_Super_L);
    const int d = XKeysymToKeycode(display, XK_d);
    const int e = XKeysymToKeycode(display, XK_e);
    return {{super, false}, {d, false}, {d, true}, {super, true},
            {super, false}, {e, false}, {e, true}, {super, true}};
}

void KeyStrokesX11Test::windowSwitchReachesServer()
{
    const std::vector<RawKeyEvent> expected = expectedSwitch();
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
