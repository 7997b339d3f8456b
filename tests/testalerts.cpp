// SPDX-License-Identifier: GPL-3.0-or-later
// The alerts as the user meets them: the dispatch, the popup and its timer,
// the live sample, the tray icon and its menu, and the window switch, which
// types no key (as the X server sees) and opens the home folder.
#include "alerts/popupgeometry.h"
#include "app/mainwindow.h"
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"
#include "support/openedurls.h"
#include "support/rawkeyrecorder.h"
#include "ui_mainwindow.h"

#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace {

enum Boxes
{
    Popup = 1,
    Sound = 2,
    Switch = 4
};

// Counts the close requests a widget receives.
class CloseCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Close;
        return false;
    }
};

void writeProperty(Display* display, Window window, const char* name, Atom type, long value)
{
    XChangeProperty(display, window, XInternAtom(display, name, False), type, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
}

} // namespace

class TestAlerts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<RawKeyRecorder> keys;
    std::unique_ptr<MainWindow> window;
    // With no session bus here, the switch hands the folder to the desktop's
    // default program.
    std::unique_ptr<OpenedUrls> opened;

    QWidget* popup() const { return window->popup; }

    // Checks the boxes on the panel only; the settings in memory say the
    // opposite, since an unapplied box must count.
    void setBoxes(int boxes)
    {
        window->ui->PopupBox->setChecked(boxes & Popup);
        window->ui->SoundBox->setChecked(boxes & Sound);
        window->ui->WindowSwitchBox->setChecked(boxes & Switch);
        window->settings->popupEnabled = !(boxes & Popup);
        window->settings->soundEnabled = !(boxes & Sound);
        window->settings->windowSwitchEnabled = !(boxes & Switch);
    }

private slots:
    void initTestCase()
    {
        opened = std::make_unique<OpenedUrls>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        QApplication::setQuitOnLastWindowClosed(false);
        keys = std::make_unique<RawKeyRecorder>();
        QVERIFY2(keys->isReady(), "needs an X server with XInput 2.2 (run under xvfb-run)");
    }

    void init()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        window->loadControls(StoredSettings);
        keys->receive(0, 0); // drop anything left over
        opened->urls.clear();
    }

    void cleanup() { window.reset(); }

    void popupIsMaskedOverItsWholeSizeFromTheStart()
    {
        window = std::make_unique<MainWindow>(); // as the constructor leaves it
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize expected = popupSize(20, area, QSize(684, 528));
        QCOMPARE(popup()->size(), expected);
        QCOMPARE(popup()->mask(), QRegion(0, 0, expected.width(), expected.height()));
        QCOMPARE(popup()->pos(), popupTopLeft(1, area, expected));
        // Unmanaged on X11, so that the Window Switch cannot hide it.
        QCOMPARE(int(popup()->windowFlags()), 0x0004081F | Qt::X11BypassWindowManagerHint);
        QVERIFY(popup()->isHidden());

        window->ui->SizeSlider->setValue(50);
        QCOMPARE(popup()->mask(), QRegion(popup()->rect()));
        // The window keeps its opacity in 1/255 steps.
        for (int value : {10, 100}) {
            window->ui->OpacitySlider->setValue(value);
            QVERIFY(qAbs(popup()->windowOpacity() - value / 100.0) < 1 / 255.0);
        }
    }

    void dispatch_data()
    {
        QTest::addColumn<bool>("alertsOn");
        QTest::addColumn<bool>("testButton");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<int>("holdBefore");
        QTest::addColumn<QString>("lock");
        QTest::addColumn<bool>("popupShown");
        QTest::addColumn<bool>("folderOpened");
        QTest::addColumn<int>("holdAfter");
        const int all = Popup | Sound | Switch;
        QTest::newRow("detection") << true << false << all << 0 << "" << true << true << 1;
        QTest::newRow("alerts off") << false << false << all << 0 << "" << false << false << 0;
        QTest::newRow("alerts off, test") << false << true << all << 0 << "" << true << true << 1;
        QTest::newRow("no boxes") << true << false << 0 << 0 << "" << false << false << 1;
        QTest::newRow("test during hold")
            << true << true << int(Popup) << 57 << "" << true << false << 1;
        // Another program holds the keyboard (a menu, a game): no lock.
        QTest::newRow("keyboard held") << true << false << all << 0 << "grab" << true << true << 1;
        // A screen locker holds it and covers the screen: only the chime
        // may sound.
        QTest::newRow("locked") << true << false << all << 0 << "locker" << false << false << 1;
    }
    void dispatch()
    {
        QFETCH(bool, alertsOn);
        QFETCH(bool, testButton);
        QFETCH(int, boxes);
        QFETCH(int, holdBefore);
        QFETCH(QString, lock);
        const bool locked = lock == "locker";
        QFETCH(bool, popupShown);
        QFETCH(bool, folderOpened);
        QFETCH(int, holdAfter);
        window->settings->alertEnabled = alertsOn;
        setBoxes(boxes);
        window->alertHoldCount = holdBefore;
        Display* locker = keys->display();
        if (!lock.isEmpty())
            QCOMPARE(XGrabKeyboard(locker, DefaultRootWindow(locker), False, GrabModeAsync,
                                   GrabModeAsync, CurrentTime),
                     GrabSuccess);
        XSetWindowAttributes unmanaged;
        unmanaged.override_redirect = True;
        const Window cover = XCreateWindow(
            locker, DefaultRootWindow(locker), 0, 0, DisplayWidth(locker, DefaultScreen(locker)),
            DisplayHeight(locker, DefaultScreen(locker)), 0, CopyFromParent, InputOnly,
            CopyFromParent, CWOverrideRedirect, &unmanaged);
        if (locked)
            XMapRaised(locker, cover);
        XSync(locker, False);

        MessageCapture messages;
        if (testButton)
            QTest::mouseClick(window->ui->TestButton01, Qt::LeftButton);
        else
            window->activateAlert(false);
        XUngrabKeyboard(locker, CurrentTime);
        XDestroyWindow(locker, cover);

        QCOMPARE(popup()->isVisible(), popupShown);
        QCOMPARE(window->popupTimer.isActive(), popupShown);
        QCOMPARE(window->alertHoldCount, holdAfter);
        QCOMPARE(messages.messages().filter("Session locked").size(), locked ? 1 : 0);
        // Nothing is typed, whatever the boxes say.
        QVERIFY(keys->receive(0, 300).empty());
        // The folder is opened once the bus has answered (here: at once, with
        // an error).
        QTest::qWait(100);
        const QList<QUrl> home{QUrl::fromLocalFile(QDir::homePath())};
        QTRY_COMPARE(opened->urls, folderOpened ? home : QList<QUrl>());
    }

    void waylandSwitchOpensTheFolderOnly()
    {
        qputenv("XDG_SESSION_TYPE", "wayland");
        setBoxes(Switch);
        MessageCapture messages;
        for (int round = 0; round < 2; ++round) {
            window->alertHoldCount = 0;
            window->activateAlert(false);
        }
        qputenv("XDG_SESSION_TYPE", "x11");
        QTRY_COMPARE(opened->urls.size(), 2);
        // Said at the first switch only.
        QCOMPARE(messages.messages().filter("Wayland").size(), 1);
        QVERIFY(keys->receive(0, 300).empty());
    }

    void popupStaysTheFullTimeFromTheLatestAlert()
    {
        window->settings->popupDisplayTime = 1;
        setBoxes(Popup);
        QElapsedTimer clock;
        clock.start();
        window->activateAlert(false);
        QTest::qWait(600);
        window->alertHoldCount = 0;
        const qint64 second = clock.elapsed();
        window->activateAlert(false);
        QTest::qWait(600); // past the first alert's end
        QVERIFY(popup()->isVisible());

        QTimerEvent foreign(window->popupTimer.timerId() + 1);
        QCoreApplication::sendEvent(window.get(), &foreign);
        QVERIFY(popup()->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(!popup()->isVisible(), 3000);
        // A coarse timer may fire up to 5 % early.
        QVERIFY(clock.elapsed() >= second + 950);
        QVERIFY(!window->popupTimer.isActive());
    }

    void slidersShowTheSampleWhileHeld()
    {
        CloseCounter closes;
        popup()->installEventFilter(&closes);
        QSlider* sliders[] = {window->ui->OpacitySlider, window->ui->SizeSlider};
        for (QSlider* slider : sliders) {
            slider->setSliderDown(true);
            QVERIFY(popup()->isVisible());
            QVERIFY(!window->popupTimer.isActive());
            slider->setSliderDown(false);
            QVERIFY(!popup()->isVisible());
        }
        QCOMPARE(closes.count, 2);

        // Releasing a slider hides an alert's popup too; ending a hidden
        // popup, by a release or by the timer, does nothing.
        window->activateAlert(true);
        window->ui->SizeSlider->setSliderDown(true);
        window->ui->SizeSlider->setSliderDown(false);
        QVERIFY(!popup()->isVisible());
        window->ui->SizeSlider->setSliderDown(true);
        popup()->hide();
        window->ui->SizeSlider->setSliderDown(false);
        QTimerEvent expiry(window->popupTimer.timerId());
        QCoreApplication::sendEvent(window.get(), &expiry);
        QCOMPARE(closes.count, 3);
        QVERIFY(!window->popupTimer.isActive());
    }

    // Here with no session bus and no tray: the alert must not be lost.
    void fullScreenProgramWithoutNotificationServer()
    {
        Display* display = keys->display();
        const int screen = DefaultScreen(display);
        const Window root = RootWindow(display, screen);
        const Window game = XCreateSimpleWindow(display, root, 0, 0, DisplayWidth(display, screen),
                                                DisplayHeight(display, screen), 0, 0, 0);
        writeProperty(display, game, "_NET_WM_STATE", XA_ATOM,
                      long(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False)));
        writeProperty(display, root, "_NET_ACTIVE_WINDOW", XA_WINDOW, long(game));
        XSync(display, False);

        setBoxes(Popup);
        window->activateAlert(false);
        const bool shown = popup()->isVisible();
        const bool timed = window->popupTimer.isActive();
        XDeleteProperty(display, root, XInternAtom(display, "_NET_ACTIVE_WINDOW", False));
        XDestroyWindow(display, game);
        XSync(display, False);

        QVERIFY(shown);
        QVERIFY(timed);
        QCOMPARE(window->alertHoldCount, 1);
    }

    void trayMenuAndToolTip()
    {
        QMenu* menu = window->trayIcon->contextMenu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions()[0]->text(), QString("&Settings"));
        QCOMPARE(menu->actions()[1]->text(), QString("Start at &Login"));
        QCOMPARE(menu->actions()[2]->text(), QString("&Quit"));
        QCOMPARE(window->trayIcon->toolTip(), QString("Bralm Tessik Control"));
        QVERIFY(window->trayIcon->isVisible());
        QCOMPARE(window->windowIcon().cacheKey(), window->trayIcon->icon().cacheKey());

        window->hide();
        menu->actions()[0]->trigger();
        QVERIFY(window->isVisible());
    }

    // The session's configuration folders: the user's, and two for the
    // system, the second one with the package's entry when there is one.
    // Every step is read back as the session would at the next login, and
    // as systemd's autostart generator would where it is installed. Odd
    // program paths are run by this test again, from a link at that path.
    void startAtLoginRoundTrip_data()
    {
        QTest::addColumn<bool>("systemEntry");
        QTest::addColumn<QByteArray>("userEntry");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("programFolder");
        const QByteArray gnomeOff = "[Desktop Entry]\nType=Application\nName=Tessik Control\n"
                                    "Exec=tessik-control\nX-GNOME-Autostart-enabled = false\n";
        QTest::newRow("package's entry") << true << QByteArray() << true << "";
        QTest::newRow("no system entry") << false << QByteArray() << true << "";
        QTest::newRow("switched off in GNOME's settings") << true << gnomeOff << true << "";
        QTest::newRow("configuration folder not writable") << false << QByteArray() << false << "";
        QTest::newRow("path with quotes and $")
            << false << QByteArray() << true << "a \"b\" `c` $HOME";
        QTest::newRow("path with %") << false << QByteArray() << true << "100% sure";
        QTest::newRow("path with a line break") << false << QByteArray() << true << "a\nb";
        QTest::newRow("path with a backslash") << false << QByteArray() << true << "a\\nb";
    }
    void startAtLoginRoundTrip()
    {
        QFETCH(bool, systemEntry);
        QFETCH(QByteArray, userEntry);
        QFETCH(bool, writable);
        QFETCH(QString, programFolder);
        const QString program = QCoreApplication::applicationFilePath();
        if (!QCoreApplication::applicationDirPath().endsWith(programFolder)) {
            QTemporaryDir links(QCoreApplication::applicationDirPath() + "/links-XXXXXX");
            const QString link = links.path() + '/' + programFolder + "/testalerts";
            QVERIFY(QDir().mkpath(QFileInfo(link).path()));
            QVERIFY(::link(QFile::encodeName(program), QFile::encodeName(link)) == 0);
            QProcess again;
            again.setProcessChannelMode(QProcess::MergedChannels);
            again.start(link, {QString("startAtLoginRoundTrip:") + QTest::currentDataTag()});
            QVERIFY(again.waitForFinished(60000));
            QVERIFY2(again.exitCode() == 0, again.readAll().constData());
            return;
        }
        const bool refusedPath = programFolder.contains('\n') || programFolder.contains('\\');
        QTemporaryDir config;
        const QString home = config.path() + "/home", system = config.path() + "/xdg2/autostart";
        QFile file(home + "/autostart/tessik-control.desktop");
        qputenv("XDG_CONFIG_HOME", home.toUtf8());
        qputenv("XDG_CONFIG_DIRS", (config.path() + "/xdg1:" + config.path() + "/xdg2").toUtf8());
        QVERIFY(QDir().mkpath(home + "/autostart") && QDir().mkpath(system));
        if (systemEntry)
            QVERIFY(QFile::copy(TESSIK_AUTOSTART_ENTRY, system + "/tessik-control.desktop"));
        if (!userEntry.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(userEntry) > 0);
        file.close();
        if (!writable) // a file where the folder belongs
            QVERIFY(QDir(home).removeRecursively() && QFile(home).open(QIODevice::WriteOnly));

        QMenu* menu = window->trayIcon->contextMenu();
        QAction* action = menu->actions()[1];
        QSignalSpy refused(action, SIGNAL(refused(QString)));
        emit menu->aboutToShow();
        QCOMPARE(action->isChecked(), systemEntry && userEntry.isEmpty());
        for (bool start : {true, false, true}) {
            if (action->isChecked() != start)
                action->trigger();
            if (!writable || refusedPath) {
                // Read again at once, not left as the click set it.
                QVERIFY(!action->isChecked() && !file.exists());
                QVERIFY(refused.size() == 1 &&
                        refused[0][0].toString().contains(writable ? "program whose path" : home));
                return;
            }
            emit menu->aboutToShow();
            QCOMPARE(action->isChecked(), start);
            QCOMPARE(refused.size(), 0);
            // The user's own entry only where the system's says otherwise.
            QCOMPARE(file.exists(), start != systemEntry);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = file.readAll();
            file.close();
            QCOMPARE(text.contains("\nHidden=true\n"), !start);
            if (programFolder.isEmpty())
                QVERIFY2(text.contains(" \"" + program.toUtf8() + "\" --autostart\n"), text);
            QProcess validate;
            validate.start("desktop-file-validate", {file.fileName()});
            QVERIFY2(validate.waitForFinished() && validate.exitCode() == 0, text);
            const QString generator =
                "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";
            if (!start || !QFile::exists(generator))
                continue;
            QTemporaryDir units;
            QProcess generate;
            generate.start(generator, {units.path(), units.path(), units.path()});
            QFile unit(units.path() + "/app-tessik\\x2dcontrol@autostart.service");
            QVERIFY(generate.waitForFinished() && unit.open(QIODevice::ReadOnly));
            // The path as the unit quotes it.
            QString quoted = QString(program).replace('%', "%%");
            for (const char c : {'"', '`', '$'})
                quoted.replace(c, QString('\\') + c);
            QVERIFY2(unit.readAll().contains(quoted.toUtf8()), text);
        }
    }

    void trayActivation_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("showsPanel");
        QTest::newRow("click") << int(QSystemTrayIcon::Trigger) << true;
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true;
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
        QTest::newRow("context") << int(QSystemTrayIcon::Context) << false;
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << false;
    }
    void trayActivation()
    {
        QFETCH(int, reason);
        QFETCH(bool, showsPanel);
        window->hide();
        emit window->trayIcon->activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(window->isVisible(), showsPanel);
    }

    void destroyingTheWindowTakesThePopupAlong()
    {
        window->activateAlert(true);
        QPointer<QWidget> shown = popup();
        window.reset();
        QVERIFY(shown.isNull());
    }
};

QTEST_MAIN(TestAlerts)
#include "testalerts.moc"
