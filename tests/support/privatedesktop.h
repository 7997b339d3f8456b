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
#include <optional>

class QProcess;

// How GNOME Shell runs: as an X11 window manager, or as a Wayland compositor.
enum class Session
{
    X11,
    Wayland
};

// Real desktop parts for one test, every process started here and ended by
// its own id: a private X server (Xvfb), and on request openbox with its
// own rc.xml (Super+D shows the desktop), an XEmbed tray (trayer), and a
// private session bus on which nothing can be started, with dunst as the
// notification server and dbus-monitor watching the notifications, and
// PipeWire as the sound server. Instead of openbox it can run a whole
// desktop: GNOME Shell (on the X server, or headless on Wayland with
// XWayland) or weston with XWayland, or KDE's KWin on the X server.
class PrivateDesktop
{
public:
    using Session = ::Session;

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
    // GNOME Shell as Debian's default session runs it, on this desktop
    // alone: a private system bus and a session bus (instead of startBus())
    // that starts GNOME's own services, its notifications among them.
    // X11 needs startX() first; on Wayland display() is XWayland's
    // afterwards. Ready when the shell answers on the bus, with the
    // Activities overview closed. A first start can hang: one retry. False,
    // with everything it started ended, when it does not come up.
    bool startGnomeShell(Session session);
    // weston, headless, with XWayland as display(); no bus of its own.
    bool startWeston();
    // KDE's window manager on the X server (after startX()), uncomposited,
    // with a bus of its own (instead of startBus()), in Plasma's
    // environment. Ready when it answers on the bus. It can abort at
    // start: one retry.
    bool startKWin();
    // These two need the QCoreApplication: they watch the server's bus name.
    bool startNotificationServer();
    void stopNotificationServer();
    // PipeWire's PulseAudio server on the bus and runtime directory of this
    // desktop (startBus() first), with a null sink as its only output,
    // which parec records from then on.
    bool startSoundServer();
    // The loudest sample recorded so far, 0 to 32767.
    int loudestSoundRecorded();
    // Watches the notifications.
    bool watchNotifications();
    // What dbus-monitor has seen so far: the server's calls, signals and
    // every reply on the bus.
    QByteArray notificationsSeen() const;
    // Runs a short tool (such as xrandr) on this desktop to its end.
    bool run(const QStringList& command);

    QString display() const { return displayName; }
    // Empty unless a Wayland compositor runs.
    QString waylandDisplay() const { return waylandName; }
    QString sessionBusAddress() const { return busAddress; }
    QString runtimeDirectory() const { return home.path() + "/run"; }
    // The screen as the user sees it: the X server's root window (where
    // GNOME composites on X11), or GNOME's own screenshot on Wayland, which
    // needs the QCoreApplication. Null when it cannot be taken.
    QImage screenshot();
    // DISPLAY, the buses, a private HOME, runtime and configuration
    // directory, and what the running desktop tells its programs (Wayland
    // display, session type, X authority).
    QProcessEnvironment environment() const;
    // Points this process at the desktop: before the QApplication exists.
    void enter() const;

private:
    using Process = std::unique_ptr<QProcess>;
    // Read: the caller reads what it writes (a first line, a tool's
    // answer); Log: it goes to the log, as a whole desktop's chatter does.
    enum class Output
    {
        Read,
        Log
    };
    Process spawn(const QStringList& command, const QString& logName, Output output = Output::Read);
    // The first line the process writes, as Xvfb and dbus-daemon do when
    // they are ready.
    static QByteArray firstLine(QProcess& process);
    static void stop(Process& process);
    bool waitForSelectionOwner(const char* selection);
    bool waitForNotificationServer(bool present);
    // Starts a dbus-daemon; its address, or empty.
    QString startBusDaemon(Process& daemon, const QString& name, const QByteArray& config);
    QString logPath(const QString& logName) const;
    bool startGnomeShellOnce(Session session);
    bool startKWinOnce();
    void stopDesktop();
    // A short tool's output, none when it fails.
    std::optional<QByteArray> output(const QStringList& command);
    QByteArray callShell(const QStringList& arguments);
    // The first group of the pattern's last match in a process's log.
    QString fromLog(const QString& logName, const QString& pattern) const;
    QImage rootWindowImage() const;
    QImage gnomeScreenshot();

    QTemporaryDir home;
    QString displayName;
    QString busAddress;
    QString systemBusAddress;
    QString waylandName;
    QString xAuthority;
    QString desktopName;
    QString sessionType;
    mutable QByteArray seen;
    Process xServer;
    Process windowManager;
    Process tray;
    Process systemBus;
    Process bus;
    Process shell;
    Process notificationServer;
    Process busMonitor;
    Process mediaServer;
    Process sessionManager;
    Process soundServer;
    Process soundRecorder;
    QByteArray recorded;
};

#endif
