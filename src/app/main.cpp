// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "app/quitonsignals.h"
#include "app/sensorsource.h"
#include "app/singleinstance.h"
#include "app/startatloginaction.h"
#include "app/windowsystem.h"
#include "platform/autostart.h"
#include "platform/platform.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QStatusBar>

#include <cstdio>
#include <cstdlib>

namespace {

// The program from its claim to be the one that runs to the end of its event
// loop; returns the exit code. sensorClosed tells whether the sensor and its
// library could be closed, which a look hanging inside the library prevents.
// Everything built here is destroyed on return: the sensor first, then the
// window (the settings, the notification), then the claim.
int run(int& argc, char* argv[], const QByteArray& launchToken, bool& sensorClosed)
{
    QApplication app(argc, argv);
    // A second start brings the running program's panel forward instead of
    // opening the sensor again.
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    const SingleInstance::Claim claim = instance.claim(launchToken);
    if (claim != SingleInstance::Running)
        return claim == SingleInstance::Forwarded ? 0 : 1;
    setAppStyle();
    // The program lives in the tray: hiding the panel must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setQuitLockEnabled(true);

    MainWindow window;
    // A session's end or a kill ends the program as Quit does.
    QuitOnSignals quitOnSignals;
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &MainWindow::bringForward);
    platform::reportSessionLimits();
    // Started by the session at login: into the tray, not over the desktop.
    if (app.arguments().contains(platform::autostartOption))
        window.hidePanel();
    else
        window.show();
    window.loadControls(StoredSettings);
    // Kept apart from the bar's passing messages.
    window.statusBar()->addPermanentWidget(new QLabel(QString::fromUtf8(sensorSourceNote())));
    // The demo runs from a build folder: a login must never start it.
    if (*sensorSourceNote() != '\0')
        window.findChild<StartAtLoginAction*>()->setEnabled(false);

    DataProcessor dataProcessor(&window);
    const int code = app.exec();
    sensorClosed = dataProcessor.closeSensor();
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    prepareWindowSystem();
    const QByteArray launchToken = SingleInstance::launchToken();
    bool sensorClosed = true;
    const int code = run(argc, argv, launchToken, sensorClosed);
    if (!sensorClosed) {
        // A thread is still inside hidapi: static destructors must not run
        // under it. What matters is done; the system releases the rest.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
