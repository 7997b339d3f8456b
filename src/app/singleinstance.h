// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SINGLEINSTANCE_H
#define TESSIK_SINGLEINSTANCE_H

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

class QLocalSocket;

// One running program per user: two pollers on one sensor would each raise
// their own alerts. The first start holds a lock file and listens on a
// local socket beside it; a later start connects there, which asks the
// running program to bring its panel forward, and ends. The request is the
// later start's launch token on one line (the desktop's proof that the user
// asked for it, without which focus-stealing prevention keeps the panel
// back); an empty request, as older versions send, asks all the same. Any
// local client may connect: requests, connections and the time they stay
// open are bounded, and a token that no desktop makes is not passed on.
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

    // A later start hands the given launch token on with its request.
    Claim claim(const QByteArray& launchToken = QByteArray());

    // The token the desktop launched this process with (XDG activation, else
    // X11 startup notification); without one, a startup id made now from
    // the X server's time; empty without an X display. Qt's xcb plugin takes
    // DESKTOP_STARTUP_ID out of the environment: read it before the
    // QApplication exists.
    static QByteArray launchToken();

signals:
    // A later start asked for the panel, with its launch token or none.
    void showRequested(const QByteArray& launchToken);

private:
    bool askRunningToShow(const QByteArray& launchToken);
    void listen();
    void takeConnections();
    void readRequest(QLocalSocket* socket);
    // Closes a connection that has not been answered, without an answer.
    void endConnection(QLocalSocket* socket);

    QString directory;
    QString socketPath;
    QLockFile lock;
    QLocalServer server;
    // Open connections, oldest first.
    QList<QLocalSocket*> connections;
    // Qt closes the server when it fails to accept a connection, for
    // instance out of open files; this listens again, also when the socket
    // was deleted.
    QTimer serverWatch;
};

#endif
