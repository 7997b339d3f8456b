// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/filemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

void openHomeFolder(QObject* context)
{
    const QUrl home = QUrl::fromLocalFile(QDir::homePath());
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowFolders");
    call << QStringList{home.toString()} << QString();
    // Without a bus the call fails at once and the watcher still reports it.
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [home](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         if (!w->isError())
                             return;
                         qDebug() << "No file manager service answered:" << w->error().message()
                                  << "- opening" << home.toLocalFile() << "directly";
                         QDesktopServices::openUrl(home);
                     });
}
