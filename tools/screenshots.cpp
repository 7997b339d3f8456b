// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's pictures of the real panel and popup. A scripted sensor
// (the tests' stand-in for hidapi) rests near mid-scale and then sees a
// movement, so the Advanced tab shows a live signal.
#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <cstdio>

namespace {

void waitFor(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Resting noise around 511, a person walking past for about a second, and
// rest again.
void scriptSensor(int ticks)
{
    for (int t = 0; t < ticks; ++t) {
        double value = 511 + 3 * std::sin(t * 0.7) + 2 * std::sin(t * 1.9);
        if (t > 420 && t < 520)
            value += 380 * std::sin((t - 420) * 3.14159 / 100);
        fakehid::queueReading(static_cast<unsigned int>(value));
    }
}

bool save(const QPixmap& picture, const QDir& dir, const char* name)
{
    if (picture.save(dir.filePath(name)))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    enableDisplayScaling();
    QApplication app(argc, argv);
    setAppStyle();
    QApplication::setQuitOnLastWindowClosed(false);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");

    // First-run settings, kept away from the user's own.
    QTemporaryDir configHome;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());

    fakehid::reset();
    MainWindow window;
    window.move(40, 40);
    window.show();
    window.loadControls(StoredSettings);
    DataProcessor dataProcessor(&window);
    scriptSensor(2000);

    waitFor(800);
    bool ok = save(window.grab(), out, "settings-tab.png");

    // The Window Switch box's tool tip, over the panel.
    QWidget* box = window.ui->WindowSwitchBox;
    QToolTip::showText(box->mapToGlobal(QPoint(20, 10)), box->toolTip(), box);
    waitFor(300);
    QRect area = window.frameGeometry();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel") && top->isVisible())
            area |= top->geometry();
    ok = save(QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                           area.height()),
              out, "tool-tip.png") &&
         ok;
    QToolTip::hideText();

    window.ui->ControlTabs->setCurrentIndex(1);
    waitFor(5400); // the plot shows the last five seconds
    ok = save(window.grab(), out, "advanced-tab.png") && ok;

    window.activateAlert(true);
    waitFor(500);
    ok = save(window.popup->grab(), out, "alert-popup.png") && ok;
    return ok ? 0 : 1;
}
