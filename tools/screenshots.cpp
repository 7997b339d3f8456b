// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's pictures of the real panel and popup. The demo's
// recorded sensor stands in for hidapi: it rests near mid-scale and then sees
// someone walk past, so the Advanced tab shows a live signal.
#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "app/windowsystem.h"
#include "demo/recording.h"
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

#include <cstdio>

namespace {

void waitFor(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
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
    prepareWindowSystem();
    QApplication app(argc, argv);
    setAppStyle();
    QApplication::setQuitOnLastWindowClosed(false);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");

    // First-run settings, kept away from the user's own.
    QTemporaryDir configHome;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());

    MainWindow window;
    window.move(40, 40);
    window.show();
    window.loadControls(StoredSettings);
    DataProcessor dataProcessor(&window);
    QElapsedTimer playing; // the recording starts as the sensor is opened
    playing.start();

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
    // The plot shows the last five seconds: catch the walk past in it.
    const int walkEndMs = (recording::walkStart + recording::walkSamples) * recording::sampleMs;
    waitFor(walkEndMs + 1200 - static_cast<int>(playing.elapsed()));
    ok = save(window.grab(), out, "advanced-tab.png") && ok;

    window.activateAlert(true);
    waitFor(500);
    ok = save(window.popup->grab(), out, "alert-popup.png") && ok;
    return ok ? 0 : 1;
}
