// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_OPENEDURLS_H
#define TESSIK_OPENEDURLS_H

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QUrl>

// While in scope, records the files and folders the program hands to the
// desktop's default programs (QDesktopServices) or, where there is a session
// bus, to its file manager (org.freedesktop.FileManager1), instead of
// starting one: a file manager started by a test would outlive it and hold
// its output open.
class OpenedUrls : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    OpenedUrls();
    ~OpenedUrls() override;

    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
    // The interface takes URIs: a plain path is kept as a URL without a
    // scheme, which a file manager would not open and no test expects.
    Q_SCRIPTABLE void ShowFolders(const QStringList& uris, const QString& startupId);

private:
    QDBusConnection bus;
};

#endif
