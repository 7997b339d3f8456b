// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/privatedesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int startTimeoutMs = 10000;
// In the desktop's own runtime directory.
constexpr char waylandSocket[] = "wayland-tessik";
// A whole desktop on a busy machine (tests run in parallel) takes longer.
constexpr int desktopTimeoutMs = 40000;

// Super+D shows the desktop, as on the desktops the Window Switch is for.
const char windowManagerConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <keyboard><keybind key="W-d"><action name="ToggleShowDesktop"/></keybind></keyboard>
</openbox_config>
)";

// No service directories: nothing on this bus can be started on demand.
const char busConfig[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Polls until the condition holds or the time is up.
template <typename Condition> bool waitFor(Condition condition, int timeoutMs = startTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// GNOME needs a system bus; one marked "system" makes its clients hang.
QByteArray systemBusConfig()
{
    return QByteArray(busConfig).replace("<type>session</type>", "<type>custom</type>");
}

// A session bus that starts what a GNOME session offers, but not dunst,
// which a stock GNOME lacks and which would answer for its notifications.
QByteArray gnomeBusConfig(const QString& serviceDirectory)
{
    QDir services(serviceDirectory);
    services.mkpath(".");
    const QDir installed("/usr/share/dbus-1/services");
    for (const QString& name : installed.entryList({"*.service"}, QDir::Files)) {
        if (name != "org.knopwob.dunst.service")
            QFile::copy(installed.filePath(name), services.filePath(name));
    }
    QByteArray config(busConfig);
    return config.replace("<auth>", "<servicedir>" + serviceDirectory.toLocal8Bit() +
                                        "</servicedir>\n  <auth>");
}

// Every process below the given one, found through /proc.
std::vector<pid_t> descendants(pid_t root)
{
    std::vector<std::pair<pid_t, pid_t>> parents;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (entry.toInt() <= 0 || !stat.open(QIODevice::ReadOnly))
            continue;
        // The parent follows the name, which may hold spaces and brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents.emplace_back(entry.toInt(), fields[1].toInt());
    }
    std::vector<pid_t> found{root};
    for (std::size_t i = 0; i < found.size(); ++i) {
        for (const auto& [pid, parent] : parents) {
            if (parent == found[i])
                found.push_back(pid);
        }
    }
    found.erase(found.begin());
    return found;
}

} // namespace

PrivateDesktop::PrivateDesktop()
{
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(runtimeDirectory(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(home.path()).mkpath("config");
}

PrivateDesktop::~PrivateDesktop()
{
    for (Process* process : {&soundRecorder, &soundServer, &sessionManager, &mediaServer,
                             &busMonitor, &notificationServer})
        stop(*process);
    stopDesktop();
    for (Process* process : {&tray, &windowManager, &xServer})
        stop(*process);
}

QProcessEnvironment PrivateDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", displayName);
    if (displayName.isEmpty())
        environment.remove("DISPLAY");
    environment.insert("HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", runtimeDirectory());
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    // Sound reaches this desktop's server, if it has one, and no other.
    environment.insert("PULSE_SERVER", "unix:" + runtimeDirectory() + "/pulse/native");
    // GTK's accessibility bridge would look for a bus of its own.
    environment.insert("NO_AT_BRIDGE", "1");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("XDG_SESSION_TYPE");
    // Without a bus of its own no client may start one (D-Bus's X11
    // autolaunch would outlive the test).
    environment.insert("DBUS_SESSION_BUS_ADDRESS",
                       busAddress.isEmpty() ? QStringLiteral("disabled:") : busAddress);
    if (!systemBusAddress.isEmpty())
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", systemBusAddress);
    if (!sessionType.isEmpty()) {
        environment.insert("XDG_SESSION_TYPE", sessionType);
        // No GPU here: Mesa draws in software.
        environment.insert("LIBGL_ALWAYS_SOFTWARE", "1");
    }
    if (!waylandName.isEmpty())
        environment.insert("WAYLAND_DISPLAY", waylandName);
    if (!desktopName.isEmpty()) {
        environment.insert("XDG_CURRENT_DESKTOP", desktopName);
        environment.insert("XDG_SESSION_DESKTOP", desktopName.toLower());
    }
    if (desktopName == "KDE") {
        environment.insert("KDE_FULL_SESSION", "true");
        environment.insert("KDE_SESSION_VERSION", "5");
        // Drawing in software on a few cores costs more than it shows here.
        environment.insert("KWIN_COMPOSE", "N");
    }
    if (!xAuthority.isEmpty())
        environment.insert("XAUTHORITY", xAuthority);
    return environment;
}

void PrivateDesktop::enter() const
{
    const QProcessEnvironment wanted = environment();
    for (const char* name :
         {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY"})
        qunsetenv(name);
    for (const QString& name : wanted.keys())
        qputenv(name.toLocal8Bit(), wanted.value(name).toLocal8Bit());
}

QString PrivateDesktop::logPath(const QString& logName) const
{
    return home.path() + "/" + logName + ".log";
}

PrivateDesktop::Process PrivateDesktop::spawn(const QStringList& command, const QString& logName,
                                              Output output)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    // Their chatter goes to a log beside the test's files.
    process->setStandardErrorFile(logPath(logName), QIODevice::Append);
    if (output == Output::Log)
        process->setStandardOutputFile(logPath(logName), QIODevice::Append);
    process->start(command.first(), command.mid(1));
    if (!process->waitForStarted())
        process.reset();
    return process;
}

QByteArray PrivateDesktop::firstLine(QProcess& process)
{
    QByteArray line;
    while (!line.endsWith('\n') && process.waitForReadyRead(startTimeoutMs))
        line += process.readAll();
    return line.trimmed();
}

void PrivateDesktop::stop(Process& process)
{
    if (!process)
        return;
    // What it started (XWayland, services started on demand by a bus) would
    // outlive it.
    const std::vector<pid_t> started = descendants(pid_t(process->processId()));
    // Asked first, servers remove their sockets and lock files.
    process->terminate();
    if (!process->waitForFinished(2000)) {
        process->kill();
        process->waitForFinished();
    }
    for (pid_t pid : started)
        ::kill(pid, SIGKILL);
    process.reset();
}

bool PrivateDesktop::startX()
{
    // -noreset: the server keeps its monitors when a tool such as xrandr
    // disconnects as the last client. 96 dpi: a desktop at 100 %.
    xServer = spawn({"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-dpi", "96",
                     "-screen", "0", "1920x1080x24"},
                    "xvfb");
    const QByteArray number = xServer ? firstLine(*xServer) : QByteArray();
    displayName = ":" + QString::fromLatin1(number);
    return !number.isEmpty();
}

bool PrivateDesktop::waitForSelectionOwner(const char* selection)
{
    Display* display = XOpenDisplay(displayName.toLocal8Bit().constData());
    if (display == nullptr)
        return false;
    const Atom atom = XInternAtom(display, selection, False);
    const bool owned = waitFor([&] { return XGetSelectionOwner(display, atom) != None; });
    XCloseDisplay(display);
    return owned;
}

bool PrivateDesktop::startWindowManager()
{
    const QString config = home.path() + "/rc.xml";
    windowManager = writeFile(config, windowManagerConfig)
                        ? spawn({"openbox", "--config-file", config}, "openbox")
                        : nullptr;
    return windowManager && waitForSelectionOwner("WM_S0");
}

bool PrivateDesktop::startTray()
{
    tray = spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                  "120", "--height", "24", "--SetDockType", "true"},
                 "trayer");
    return tray && waitForSelectionOwner("_NET_SYSTEM_TRAY_S0");
}

void PrivateDesktop::stopTray()
{
    stop(tray);
}

QString PrivateDesktop::startBusDaemon(Process& daemon, const QString& name,
                                       const QByteArray& config)
{
    const QString path = home.path() + "/" + name + ".conf";
    daemon =
        writeFile(path, config)
            ? spawn({"dbus-daemon", "--nofork", "--config-file=" + path, "--print-address=1"}, name)
            : nullptr;
    return daemon ? QString::fromLocal8Bit(firstLine(*daemon)) : QString();
}

bool PrivateDesktop::startBus()
{
    busAddress = startBusDaemon(bus, "dbus-daemon", busConfig);
    return !busAddress.isEmpty();
}

bool PrivateDesktop::waitForNotificationServer(bool present)
{
    bool reached = false;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(busAddress, "privatedesktop");
        reached = connection.isConnected() && waitFor([&] {
                      return connection.interface()->isServiceRegistered(
                                 "org.freedesktop.Notifications") == present;
                  });
    }
    QDBusConnection::disconnectFromBus("privatedesktop");
    return reached;
}

bool PrivateDesktop::startSoundServer()
{
    mediaServer = spawn({"pipewire"}, "pipewire", Output::Log);
    sessionManager = spawn({"wireplumber"}, "pipewire", Output::Log);
    soundServer = spawn({"pipewire-pulse"}, "pipewire", Output::Log);
    QDeadlineTimer deadline(10000);
    while (!run({"pactl", "info"}) && !deadline.hasExpired())
        QThread::msleep(100);
    if (!run({"pactl", "load-module", "module-null-sink", "sink_name=alert"}))
        return false;
    // The session manager makes it the default once it has seen it.
    while (!run({"pactl", "set-default-sink", "alert"}) && !deadline.hasExpired())
        QThread::msleep(100);
    soundRecorder =
        spawn({"parec", "--device", "alert.monitor", "--raw", "--format=s16le"}, "parec");
    return soundRecorder && !deadline.hasExpired();
}

int PrivateDesktop::loudestSoundRecorded()
{
    recorded += soundRecorder->readAllStandardOutput();
    int loudest = 0;
    for (int i = 0; i + 1 < recorded.size(); i += 2) {
        const qint16 sample = qint16(quint8(recorded[i]) | quint8(recorded[i + 1]) << 8);
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    return loudest;
}

bool PrivateDesktop::startNotificationServer()
{
    notificationServer = spawn({"dunst"}, "dunst");
    return notificationServer && waitForNotificationServer(true);
}

void PrivateDesktop::stopNotificationServer()
{
    stop(notificationServer);
    // Until the bus has seen the name go, a call would still be routed.
    waitForNotificationServer(false);
}

bool PrivateDesktop::watchNotifications()
{
    // Replies carry no interface: their rule lets the ids the server hands
    // out be seen too.
    busMonitor = spawn({"dbus-monitor", "--address", busAddress,
                        "interface='org.freedesktop.Notifications'", "type='method_return'"},
                       "dbus-monitor-errors");
    // It reports losing its own name once it has become a monitor.
    return busMonitor && waitFor([&] { return notificationsSeen().contains("NameLost"); });
}

QByteArray PrivateDesktop::notificationsSeen() const
{
    if (busMonitor) {
        // Pulls in what has arrived also where no event loop runs; what an
        // event loop has pulled in already waits in the buffer.
        while (busMonitor->waitForReadyRead(0)) {
        }
        seen += busMonitor->readAllStandardOutput();
    }
    return seen;
}

bool PrivateDesktop::run(const QStringList& command)
{
    return output(command).has_value();
}

std::optional<QByteArray> PrivateDesktop::output(const QStringList& command)
{
    Process tool = spawn(command, "tools");
    if (tool && tool->waitForFinished() && tool->exitStatus() == QProcess::NormalExit &&
        tool->exitCode() == 0)
        return tool->readAllStandardOutput();
    return std::nullopt;
}

QByteArray PrivateDesktop::callShell(const QStringList& arguments)
{
    return output(QStringList{"gdbus", "call", "--session", "--timeout", "10", "--dest",
                              "org.gnome.Shell", "--object-path", "/org/gnome/Shell", "--method"} +
                  arguments)
        .value_or(QByteArray());
}

QString PrivateDesktop::fromLog(const QString& logName, const QString& pattern) const
{
    QFile log(logPath(logName));
    QString found;
    if (log.open(QIODevice::ReadOnly)) {
        // The latest start's, after those of any earlier attempt.
        auto matches =
            QRegularExpression(pattern).globalMatch(QString::fromLocal8Bit(log.readAll()));
        while (matches.hasNext())
            found = matches.next().captured(1);
    }
    return found;
}

bool PrivateDesktop::startGnomeShell(Session session)
{
    // A first start can hang in a child the shell forks.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (startGnomeShellOnce(session))
            return true;
        // The log goes with the temporary home.
        QFile log(logPath("gnome-shell"));
        const QByteArray text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        qWarning("GNOME Shell has not come up; its log ends:\n%s", text.right(3000).constData());
        stopDesktop();
    }
    return false;
}

bool PrivateDesktop::startGnomeShellOnce(Session session)
{
    if (session == Session::X11 && !xServer)
        return false;
    desktopName = "GNOME";
    sessionType = session == Session::X11 ? "x11" : "wayland";
    systemBusAddress = startBusDaemon(systemBus, "system-bus", systemBusConfig());
    busAddress =
        systemBusAddress.isEmpty()
            ? QString()
            : startBusDaemon(bus, "dbus-daemon", gnomeBusConfig(home.path() + "/services"));
    if (busAddress.isEmpty())
        return false;

    shell = spawn(session == Session::X11
                      ? QStringList{"gnome-shell", "--x11", "--replace"}
                      : QStringList{"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                                    "1920x1080", QString("--wayland-display=") + waylandSocket},
                  "gnome-shell", Output::Log);
    const QStringList mode{"org.freedesktop.DBus.Properties.Get", "org.gnome.Shell", "Mode"};
    if (!shell || !waitFor([&] { return !callShell(mode).isEmpty(); }, desktopTimeoutMs))
        return false;
    if (session == Session::X11 && !waitForSelectionOwner("WM_S0"))
        return false;
    if (session == Session::Wayland) {
        // The shell names the display; XWayland starts when the first X11
        // client connects to it.
        displayName = fromLog("gnome-shell", "Using public X11 display (:\\d+)");
        const QFileInfoList authorities =
            QDir(runtimeDirectory())
                .entryInfoList({".mutter-Xwaylandauth.*"}, QDir::Files | QDir::Hidden, QDir::Time);
        if (displayName.isEmpty() || authorities.isEmpty())
            return false;
        xAuthority = authorities.first().filePath();
        waylandName = waylandSocket;
        // Programs the bus starts from now on (the file manager) find them.
        const QProcessEnvironment now = environment();
        QStringList variables;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
            variables << QString("'%1': '%2'").arg(name, now.value(name));
        if (!run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                  "/org/freedesktop/DBus", "--method",
                  "org.freedesktop.DBus.UpdateActivationEnvironment",
                  "{" + variables.join(", ") + "}"}))
            return false;
    }
    // The shell opens the Activities overview as the last step of its
    // start: closed before, it would open again.
    const QStringList overview{"org.freedesktop.DBus.Properties.Get", "org.gnome.Shell",
                               "OverviewActive"};
    if (!waitFor([&] { return callShell(overview).contains("true"); }))
        qWarning("GNOME Shell has not opened its overview at start");
    callShell(
        {"org.freedesktop.DBus.Properties.Set", "org.gnome.Shell", "OverviewActive", "<false>"});
    return waitFor([&] { return callShell(overview).contains("false"); });
}

bool PrivateDesktop::startWeston()
{
    sessionType = "wayland";
    // No idle time: its lock screen would cover everything.
    shell = spawn({"weston", "--backend=headless-backend.so", "--xwayland", "--idle-time=0",
                   QString("--socket=") + waylandSocket},
                  "weston", Output::Log);
    QString xDisplay;
    const bool ready = shell && waitFor([&] {
                           xDisplay = fromLog("weston", "xserver listening on display (:\\d+)");
                           return !xDisplay.isEmpty();
                       });
    if (!ready) {
        stopDesktop();
        return false;
    }
    displayName = xDisplay;
    waylandName = waylandSocket;
    return true;
}

bool PrivateDesktop::startKWin()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (startKWinOnce())
            return true;
        QFile log(logPath("kwin"));
        const QByteArray text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        qWarning("KWin has not come up; its log ends:\n%s", text.right(3000).constData());
        stopDesktop();
    }
    return false;
}

bool PrivateDesktop::startKWinOnce()
{
    desktopName = "KDE";
    sessionType = "x11";
    if (!xServer || !startBus())
        return false;
    shell = spawn({"kwin_x11", "--replace"}, "kwin", Output::Log);
    return shell && waitForSelectionOwner("WM_S0") &&
           waitFor(
               [&] {
                   return run({"gdbus", "call", "--session", "--dest", "org.kde.KWin",
                               "--object-path", "/Scripting", "--method",
                               "org.kde.kwin.Scripting.isScriptLoaded", "none"});
               },
               desktopTimeoutMs);
}

void PrivateDesktop::stopDesktop()
{
    for (Process* process : {&shell, &bus, &systemBus})
        stop(*process);
    if (!xServer)
        displayName.clear();
    for (QString* value :
         {&busAddress, &systemBusAddress, &waylandName, &xAuthority, &desktopName, &sessionType})
        value->clear();
}

QImage PrivateDesktop::screenshot()
{
    if (waylandName.isEmpty())
        return rootWindowImage();
    return desktopName == "GNOME" ? gnomeScreenshot() : QImage();
}

QImage PrivateDesktop::rootWindowImage() const
{
    Display* display = XOpenDisplay(displayName.toLocal8Bit().constData());
    if (display == nullptr)
        return QImage();
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* pixels =
        XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    QImage image;
    if (pixels != nullptr && pixels->bits_per_pixel == 32) {
        image = QImage(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            memcpy(image.scanLine(y), pixels->data + y * pixels->bytes_per_line, width * 4);
    }
    if (pixels != nullptr)
        XDestroyImage(pixels);
    XCloseDisplay(display);
    return image;
}

QImage PrivateDesktop::gnomeScreenshot()
{
    const QString file = home.path() + "/screenshot.png";
    QImage image;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(busAddress, "screenshot");
        // GNOME hands the screen only to a few of its own callers.
        if (connection.registerService("org.gnome.Screenshot")) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                "org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                "org.gnome.Shell.Screenshot", "Screenshot");
            call << false << false << file;
            const QDBusMessage reply = connection.call(call);
            if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool())
                image.load(file);
        }
    }
    QDBusConnection::disconnectFromBus("screenshot");
    QFile::remove(file);
    return image;
}
