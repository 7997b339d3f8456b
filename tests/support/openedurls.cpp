// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/openedurls.h"

#include <QDesktopServices>

OpenedUrls::OpenedUrls()
    : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                        "opened urls " + QString::number(quintptr(this))))
{
    QDesktopServices::setUrlHandler("file", this, "open");
    // Without a bus, the program goes to the default programs alone.
    bus.registerService("org.freedesktop.FileManager1");
    bus.registerObject("/org/freedesktop/FileManager1", this,
                       QDBusConnection::ExportScriptableSlots);
}

OpenedUrls::~OpenedUrls()
{
    QDesktopServices::unsetUrlHandler("file");
    QDBusConnection::disconnectFromBus(bus.name());
}

void OpenedUrls::ShowFolders(const QStringList& uris, const QString&)
{
    for (const QString& uri : uris)
        urls.append(QUrl(uri));
}
