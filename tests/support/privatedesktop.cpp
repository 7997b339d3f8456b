// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/privatedesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int startTimeoutMs = 10000;

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

bool writeFile(const QString& path, const char* text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) >= 0;
}

// Polls until the condition holds or the start time is up.
template <typename Condition> bool waitFor(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > startTimeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
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
    for (Process* process :
         {&busMonitor, &notificationServer, &bus, &tray, &windowManager, &xServer})
        stop(*process);
}

QProcessEnvironment PrivateDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", displayName);
    environment.insert("HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", runtimeDirectory());
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    // GTK's accessibility bridge would look for a bus of its own.
    environment.insert("NO_AT_BRIDGE", "1");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("XDG_SESSION_TYPE");
    // Without a bus of its own no client may start one (D-Bus's X11
    // autolaunch would outlive the test).
    environment.insert("DBUS_SESSION_BUS_ADDRESS",
                       busAddress.isEmpty() ? QStringLiteral("disabled:") : busAddress);
    return environment;
}

void PrivateDesktop::enter() const
{
    const QProcessEnvironment wanted = environment();
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS"})
        qunsetenv(name);
    for (const QString& name : wanted.keys())
        qputenv(name.toLocal8Bit(), wanted.value(name).toLocal8Bit());
}

PrivateDesktop::Process PrivateDesktop::spawn(const QStringList& command, const QString& logName)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    // Their chatter goes to a log beside the test's files.
    process->setStandardErrorFile(home.path() + "/" + logName + ".log", QIODevice::Append);
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
    process->kill();
    process->waitForFinished();
    process.reset();
}

bool PrivateDesktop::startX()
{
    // -noreset: the server keeps its monitors when a tool such as xrandr
    // disconnects as the last client.
    xServer = spawn(
        {"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1920x1080x24"},
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

bool PrivateDesktop::startBus()
{
    const QString config = home.path() + "/bus.conf";
    bus = writeFile(config, busConfig)
              ? spawn({"dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=1"},
                      "dbus-daemon")
              : nullptr;
    busAddress = bus ? QString::fromLocal8Bit(firstLine(*bus)) : QString();
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
    busMonitor =
        spawn({"dbus-monitor", "--address", busAddress, "interface='org.freedesktop.Notifications'",
               "interface='org.freedesktop.FileManager1'"},
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
    Process tool = spawn(command, "tools");
    return tool && tool->waitForFinished() && tool->exitStatus() == QProcess::NormalExit &&
           tool->exitCode() == 0;
}

QImage PrivateDesktop::screenshot()
{
    QImage shot;
    Display* display = XOpenDisplay(displayName.toLocal8Bit().constData());
    if (display == nullptr)
        return shot;
    const int screen = DefaultScreen(display);
    // A compositing window manager draws into the same frame buffer.
    XImage* image = XGetImage(display, RootWindow(display, screen), 0, 0,
                              unsigned(DisplayWidth(display, screen)),
                              unsigned(DisplayHeight(display, screen)), AllPlanes, ZPixmap);
    if (image != nullptr) {
        shot = QImage(image->width, image->height, QImage::Format_RGB32);
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                shot.setPixel(x, y, uint(XGetPixel(image, x, y)));
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return shot;
}
