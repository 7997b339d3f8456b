// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "app/sensorsource.h"
#include "app/windowsystem.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>

int main(int argc, char* argv[])
{
    prepareWindowSystem();
    enableDisplayScaling();
    QApplication app(argc, argv);
    setAppStyle();
    // The program lives in the tray: hiding the panel must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setQuitLockEnabled(true);

    MainWindow window;
    window.show();
    window.loadControls(StoredSettings);
    // Kept apart from the bar's passing messages.
    window.statusBar()->addPermanentWidget(new QLabel(QString::fromUtf8(sensorSourceNote())));

    // Destroyed before the window when the event loop returns, which closes
    // the sensor.
    DataProcessor dataProcessor(&window);
    return app.exec();
}
