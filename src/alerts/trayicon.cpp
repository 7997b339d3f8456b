// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon: the way back to the hidden panel, the choice to start at
// login, and the way out.
#include "app/constants.h"
#include "app/mainwindow.h"
#include "app/startatloginaction.h"
#include "platform/platform.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>

void MainWindow::createTrayActions()
{
    settingsAction = new QAction(tr("&Settings"), this);
    connect(settingsAction, &QAction::triggered, this, &MainWindow::showPanel);
    quitAction = new QAction(tr("&Quit"), this);
    connect(quitAction, SIGNAL(triggered()), this, SLOT(close()));
}

void MainWindow::createTrayIcon()
{
    trayMenu = new QMenu(this);
    trayMenu->addAction(settingsAction);
    auto* startAtLogin = new StartAtLoginAction(this);
    connect(trayMenu, &QMenu::aboutToShow, startAtLogin, &StartAtLoginAction::refresh);
    connect(startAtLogin, &StartAtLoginAction::refused, this, [this](const QString& message) {
        trayIcon->showMessage(appTitle, message, QSystemTrayIcon::Warning);
    });
    trayMenu->addAction(startAtLogin);
    trayMenu->addAction(quitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayMenu);
    const QIcon icon(trayIconPath);
    trayIcon->setIcon(icon);
    setWindowIcon(icon);
    trayIcon->setToolTip(appTitle);
}

void MainWindow::showSensorConnection(bool connected)
{
    const QIcon icon = windowIcon();
    if (connected) {
        trayIcon->setIcon(icon);
        trayIcon->setToolTip(appTitle);
        return;
    }
    QIcon greyed;
    for (const QSize& size : icon.availableSizes())
        greyed.addPixmap(icon.pixmap(size, QIcon::Disabled));
    trayIcon->setIcon(greyed);
    trayIcon->setToolTip(QString(appTitle) + "\nSensor not connected");
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A right click opens the menu by itself; a middle click does nothing.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        showPanel();
}

void MainWindow::showPanel()
{
    bringForward(QByteArray());
}

void MainWindow::bringForward(const QByteArray& launchToken)
{
    // Wayland lets no program raise its own window or take it out of the
    // minimised state; shown anew, the panel comes back as a new window on
    // top.
    if (onWayland())
        hide();
    // showNormal() alone leaves a panel that other windows cover where it is.
    showNormal();
    raise();
    // Focus-stealing prevention lets the panel take the focus from the
    // user's work only for the user's own request: the launch the user asked
    // for, or a click on the tray just now (also when a tray's click comes
    // over the bus, with no input event that Qt could date it by). A native
    // Wayland window is no X11 one.
    const bool activated =
        !onWayland() &&
        (launchToken.isEmpty() ? platform::activateAtUserRequest(winId())
                               : platform::activateForLaunch(winId(), launchToken.constData()));
    if (!activated)
        activateWindow();
}

bool MainWindow::onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void MainWindow::hidePanel()
{
    // A hidden panel without a tray icon is lost to the user; a minimised one
    // stays in the task bar or the overview. Where the panel cannot be
    // minimised, or the program cannot restore it (Wayland), or nothing would
    // list it (weston), it hides instead, and starting the program again
    // shows it.
    if (QSystemTrayIcon::isSystemTrayAvailable() || onWayland() ||
        platform::windowManagerLacks("_NET_WM_STATE_HIDDEN"))
        hide();
    else
        showMinimized();
}
