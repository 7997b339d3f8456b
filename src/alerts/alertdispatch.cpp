// SPDX-License-Identifier: GPL-3.0-or-later
// Raising the alerts on a detection or a test, and ending the popup alert.
#include "alerts/popupgeometry.h"
#include "app/mainwindow.h"
#include "platform/platform.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QSound>
#include <QTimerEvent>

void MainWindow::activateAlert(bool test)
{
    if (!test && !settings->alertEnabled)
        return;
    // The check boxes count as shown, applied or not.
    if (ui->PopupBox->isChecked())
        showPopupAlert();
    if (ui->SoundBox->isChecked())
        alertSound->play();
    if (ui->WindowSwitchBox->isChecked())
        windowSwitch();
    // Starts (or restarts) the hold period, during which the detector raises
    // no further alert.
    alertHoldCount = 1;
}

void MainWindow::testActivateAlert()
{
    activateAlert(true);
}

void MainWindow::showPopupAlert()
{
    const int visibleMs = popupVisibleMs(settings->popupDisplayTime);
    // A popup would be hidden behind a full-screen program; the tray's
    // balloon is not.
    if (platform::foregroundIsFullScreen()) {
        trayIcon->showMessage(QStringLiteral("Bralm Tessik"), QStringLiteral("Motion Alert!"),
                              QSystemTrayIcon::Information, visibleMs);
        return;
    }
    popup->show();
    // Restarting replaces the running period: the popup stays up for the
    // full time counted from the latest alert.
    popupTimer.start(visibleMs, this);
}

void MainWindow::endPopup()
{
    // Closing only hides it; the same popup serves the next alert.
    if (popup->isVisible())
        popup->close();
}

void MainWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == popupTimer.timerId()) {
        endPopup();
        popupTimer.stop();
        return;
    }
    QMainWindow::timerEvent(event);
}
