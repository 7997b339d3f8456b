// SPDX-License-Identifier: GPL-3.0-or-later
// Raising the alerts on a detection or a test, and ending the popup alert.
#include "alerts/desktopnotifier.h"
#include "alerts/popupgeometry.h"
#include "alerts/sessionlock.h"
#include "alerts/windowswitch.h"
#include "app/constants.h"
#include "app/mainwindow.h"
#include "platform/platform.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QSound>
#include <QTimerEvent>

namespace {

constexpr char alertTitle[] = "Bralm Tessik";
constexpr char alertText[] = "Motion Alert!";

} // namespace

void MainWindow::activateAlert(bool test)
{
    if (!test && !settings->alertEnabled)
        return;
    // The check boxes count as shown, applied or not.
    const bool picture = ui->PopupBox->isChecked();
    const bool hideWindows = ui->WindowSwitchBox->isChecked();
    // A locked screen is left alone: the locker is in front, the user away.
    const QString locked = picture || hideWindows ? sessionLock->reason() : QString();
    if (!locked.isEmpty()) {
        qDebug().noquote() << "Session locked (" + locked + "): the alert shows no picture"
                           << "and no Window Switch";
    } else {
        // Asked before the switch changes what is in front.
        const bool overFullScreen = picture && platform::foregroundIsFullScreen();
        // The windows are hidden before the picture appears: GNOME Shell
        // hid an unmanaged window that was mapped while it handled a
        // show-desktop request, and kept it hidden (mapped, never drawn)
        // until it was mapped again.
        if (hideWindows)
            windowSwitch->perform();
        if (picture)
            showPopupAlert(overFullScreen);
    }
    if (ui->SoundBox->isChecked())
        playChime();
    // Starts (or restarts) the hold period, during which the detector raises
    // no further alert.
    alertHoldCount = 1;
}

void MainWindow::playChime()
{
    // Qt's sound connects to the sound server once, when the first sound is
    // made, and never again after that failed: the chime is made only once
    // a server answers. Started with the session, the program may come up
    // before its sound server.
    if (alertSound == nullptr) {
        if (!platform::soundServerAnswers()) {
            qDebug() << "No sound server answers yet: the chime is not played";
            return;
        }
        alertSound = new QSound(alertSoundPath);
    }
    alertSound->play();
}

void MainWindow::testActivateAlert()
{
    activateAlert(true);
}

void MainWindow::showPopupAlert(bool overFullScreen)
{
    // Over a full-screen program the popup would be in the way or out of
    // sight: the desktop's notification server takes the alert, where it
    // draws over full-screen programs.
    if (overFullScreen && notifier->showsOverFullScreen()) {
        notifier->notify(alertTitle, alertText, popupVisibleMs(settings->popupDisplayTime));
        return;
    }
    showPopupForItsTime();
}

void MainWindow::alertWithoutNotificationServer()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        trayIcon->showMessage(alertTitle, alertText, QSystemTrayIcon::Information,
                              popupVisibleMs(settings->popupDisplayTime));
        return;
    }
    // Neither a server nor a tray: the popup is the only road left.
    showPopupForItsTime();
}

void MainWindow::showPopupForItsTime()
{
    popup->show();
    // Restarting replaces the running period: the popup stays up for the
    // full time counted from the latest alert.
    popupTimer.start(popupVisibleMs(settings->popupDisplayTime), this);
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
