// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/sessionlock.h"

#include "platform/platform.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

#include <functional>

namespace {

struct ScreenSaverService
{
    const char* name;
    const char* path;
};

// Cinnamon's freedesktop name answers NotSupported; its own name tells.
constexpr ScreenSaverService services[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver"},
};

const char login[] = "org.freedesktop.login1";
const char loginSession[] = "org.freedesktop.login1.Session";
const char properties[] = "org.freedesktop.DBus.Properties";

// Calls without starting the service: one that does not run says nothing
// about the lock. The answer goes to the handler when it comes.
void callInBackground(QDBusConnection bus, QDBusMessage call, QObject* owner,
                      std::function<void(const QDBusMessage&)> handler)
{
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [handler](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         if (!w->isError())
                             handler(w->reply());
                     });
}

// The monitors as the X server counts them, in its pixels.
std::vector<platform::Monitor> monitors()
{
    std::vector<platform::Monitor> list;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const qreal scale = screen->devicePixelRatio();
        list.push_back({qRound(area.x() * scale), qRound(area.y() * scale),
                        qRound(area.width() * scale), qRound(area.height() * scale)});
    }
    return list;
}

} // namespace

SessionLock::SessionLock(QObject* parent) : QObject(parent)
{
    watchScreenSavers();
    watchLoginSession();
}

void SessionLock::watchScreenSavers()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const ScreenSaverService& service : services) {
        bus.connect(QString(), service.path, service.name, "ActiveChanged", this,
                    SLOT(screenSaverChanged(QDBusMessage)));
        const QString path = service.path;
        callInBackground(
            bus, QDBusMessage::createMethodCall(service.name, path, service.name, "GetActive"),
            this, [this, path](const QDBusMessage& reply) {
                setScreenSaverActive(path, reply.arguments().value(0).toBool());
            });
    }
}

void SessionLock::screenSaverChanged(const QDBusMessage& message)
{
    setScreenSaverActive(message.path(), message.arguments().value(0).toBool());
}

void SessionLock::setScreenSaverActive(const QString& path, bool active)
{
    if (active)
        activeScreenSavers.insert(path);
    else
        activeScreenSavers.remove(path);
}

// The session is the one logind names XDG_SESSION_ID after, or else the
// one this process belongs to.
void SessionLock::watchLoginSession()
{
    const QString manager = "org.freedesktop.login1.Manager";
    const QByteArray id = qgetenv("XDG_SESSION_ID");
    QDBusMessage call = QDBusMessage::createMethodCall(
        login, "/org/freedesktop/login1", manager, id.isEmpty() ? "GetSessionByPID" : "GetSession");
    if (id.isEmpty())
        call << uint(QCoreApplication::applicationPid());
    else
        call << QString::fromUtf8(id);
    callInBackground(QDBusConnection::systemBus(), call, this, [this](const QDBusMessage& reply) {
        watchLockedHint(reply.arguments().value(0).value<QDBusObjectPath>().path());
    });
}

void SessionLock::watchLockedHint(const QString& session)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(login, session, properties, "PropertiesChanged", this,
                SLOT(loginSessionChanged(QString, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(login, session, properties, "Get");
    call << QString(loginSession) << QString("LockedHint");
    callInBackground(bus, call, this, [this](const QDBusMessage& reply) {
        lockedHint = reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
    });
}

void SessionLock::loginSessionChanged(const QString& interface, const QVariantMap& changed)
{
    if (interface == loginSession && changed.contains("LockedHint"))
        lockedHint = changed.value("LockedHint").toBool();
}

QString SessionLock::reason() const
{
    if (!activeScreenSavers.isEmpty())
        return QStringLiteral("the screen saver is active");
    if (lockedHint)
        return QStringLiteral("logind says the session is locked");
    // The program's own connection: its own menus' grabs are no lock.
    const auto connection = QX11Info::isPlatformX11() ? QX11Info::connection() : nullptr;
    if (platform::screenLockerShown(connection, monitors()))
        return QStringLiteral("a screen locker holds the keyboard and covers the screen");
    return QString();
}
