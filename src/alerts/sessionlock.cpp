// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/sessionlock.h"

#include "platform/platform.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

struct ScreenSaverService
{
    const char* name;
    const char* path;
};

// The freedesktop name (KDE, Xfce and others) and GNOME Shell's own.
constexpr ScreenSaverService services[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
};

} // namespace

SessionLock::SessionLock(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const ScreenSaverService& service : services) {
        bus.connect(QString(), service.path, service.name, "ActiveChanged", this,
                    SLOT(setScreenSaverActive(bool)));
        QDBusMessage call =
            QDBusMessage::createMethodCall(service.name, service.path, service.name, "GetActive");
        // A screen saver that does not run is not active: none is started.
        call.setAutoStartService(false);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* w) {
                    const QDBusPendingReply<bool> reply = *w;
                    w->deleteLater();
                    // One service saying "inactive" must not hide the other's "active".
                    if (reply.isValid() && reply.value())
                        screenSaverActive = true;
                });
    }
}

void SessionLock::setScreenSaverActive(bool active)
{
    screenSaverActive = active;
}

QString SessionLock::reason() const
{
    if (screenSaverActive)
        return QStringLiteral("the screen saver is active");
    // An open menu of this program holds the keyboard too.
    if (QApplication::activePopupWidget() == nullptr && platform::keyboardGrabbedElsewhere())
        return QStringLiteral("another program holds the keyboard, as screen lockers do");
    return QString();
}
