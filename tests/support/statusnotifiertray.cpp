// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/statusnotifiertray.h"

#include <QDBusMessage>
#include <QMutexLocker>

StatusNotifierTray::StatusNotifierTray()
    : connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in tray"))
{
    thread.start();
    // Calls to it are answered in its thread.
    moveToThread(&thread);
    connection.registerObject("/StatusNotifierWatcher", this,
                              QDBusConnection::ExportAllSlots |
                                  QDBusConnection::ExportAllProperties);
    connection.registerService("org.kde.StatusNotifierWatcher");
}

StatusNotifierTray::~StatusNotifierTray()
{
    QDBusConnection::disconnectFromBus(connection.name());
    thread.quit();
    thread.wait();
}

QStringList StatusNotifierTray::items() const
{
    QMutexLocker lock(&mutex);
    return registered;
}

void StatusNotifierTray::RegisterStatusNotifierItem(const QString& service)
{
    QMutexLocker lock(&mutex);
    registered << service;
}

void StatusNotifierTray::clickLast()
{
    QDBusMessage click =
        QDBusMessage::createMethodCall(items().value(items().size() - 1), "/StatusNotifierItem",
                                       "org.kde.StatusNotifierItem", "Activate");
    click << 0 << 0;
    connection.send(click);
}
