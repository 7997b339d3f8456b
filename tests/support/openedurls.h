// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_OPENEDURLS_H
#define TESSIK_OPENEDURLS_H

#include <QList>
#include <QObject>
#include <QUrl>

// While in scope, records the files and folders the program hands to the
// desktop's default programs (QDesktopServices) instead of starting one: a
// file manager started by a test would outlive it and hold its output open.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    OpenedUrls();
    ~OpenedUrls() override;

    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

#endif
