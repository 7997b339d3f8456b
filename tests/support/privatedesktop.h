// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_PRIVATEDESKTOP_H
#define TESSIK_PRIVATEDESKTOP_H

#include <QByteArray>
#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// Real desktop parts for one test, every process started here and ended by
// its own id: a private X server (Xvfb), and on request openbox with its
// own rc.xml (Super+D shows the desktop), an XEmbed tray (trayer), and a
// private session bus on which nothing can be started, with dunst as the
// notification server and dbus-monitor watching the notifications.
class PrivateDesktop
{
public:
    PrivateDesktop();
    // Ends every process, the newest first.
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    bool startX();
    bool startWindowManager();
    bool startTray();
    void stopTray();
    bool startBus();
    // These two need the QCoreApplication: they watch the server's bus name.
    bool startNotificationServer();
    void stopNotificationServer();
    // Watches the notifications and the requests to a file manager.
    bool watchNotifications();
    // What dbus-monitor has seen so far.
    QByteArray notificationsSeen() const;
    // The screen as the user sees it.
    QImage screenshot();
    // Runs a short tool (such as xrandr) on this desktop to its end.
    bool run(const QStringList& command);

    QString display() const { return displayName; }
    QString runtimeDirectory() const { return home.path() + "/run"; }
    // DISPLAY, the bus, and a private HOME, runtime and configuration
    // directory; no Wayland.
    QProcessEnvironment environment() const;
    // Points this process at the desktop: before the QApplication exists.
    void enter() const;

private:
    using Process = std::unique_ptr<QProcess>;
    Process spawn(const QStringList& command, const QString& logName);
    // The first line the process writes, as Xvfb and dbus-daemon do when
    // they are ready.
    static QByteArray firstLine(QProcess& process);
    static void stop(Process& process);
    bool waitForSelectionOwner(const char* selection);
    bool waitForNotificationServer(bool present);

    QTemporaryDir home;
    QString displayName;
    QString busAddress;
    mutable QByteArray seen;
    Process xServer;
    Process windowManager;
    Process tray;
    Process bus;
    Process notificationServer;
    Process busMonitor;
};

#endif
