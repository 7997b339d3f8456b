// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SINGLEINSTANCE_H
#define TESSIK_SINGLEINSTANCE_H

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// One running program per user: two pollers on one sensor would each raise
// their own alerts. The first start holds a lock file and listens on a
// local socket beside it; a later start connects there, which asks the
// running program to bring its panel forward, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum Claim
    {
        // This process is the one that runs.
        Running,
        // Another process runs and was asked to show its panel.
        Forwarded,
        // Another live process holds the lock but does not answer.
        Unanswered
    };

    // Lock and socket live in the given directory, normally the user's
    // runtime directory.
    explicit SingleInstance(const QString& directory, QObject* parent = nullptr);

    Claim claim();

signals:
    // A later start asked for the panel.
    void showRequested();

private:
    bool askRunningToShow();

    QString directory;
    QString socketPath;
    QLockFile lock;
    QLocalServer server;
};

#endif
