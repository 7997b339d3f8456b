// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/filemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

void openUnlessShown(const QDBusPendingCall& answer, const QUrl& folder)
{
    if (!answer.isError())
        return;
    qDebug() << "No file manager service answered:" << answer.error().message() << "- opening"
             << folder.toLocalFile() << "directly";
    QDesktopServices::openUrl(folder);
}

} // namespace

void openHomeFolder(QObject* context)
{
    const QUrl home = QUrl::fromLocalFile(QDir::homePath());
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowFolders");
    call << QStringList{home.toString()} << QString();
    const QDBusPendingCall answer = QDBusConnection::sessionBus().asyncCall(call);
    // Without a bus the call has failed already, and a watcher would never
    // say so.
    if (answer.isFinished()) {
        openUnlessShown(answer, home);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(answer, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [home](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         openUnlessShown(*w, home);
                     });
}
