// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include "platform/platform.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace {

// A running program may be busy for a moment (opening the sensor blocks);
// its socket still takes the connection, so this only covers a start that
// races the first one between its lock and its socket.
constexpr int answerWaitMs = 3000;

// Launch tokens are a few dozen bytes; a longer line is cut here.
constexpr qint64 longestRequest = 4096;

} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent), directory(directory), socketPath(directory + "/tessik-control.socket"),
      lock(directory + "/tessik-control.lock")
{
    // Only a dead holder makes the lock stale, never its age: a program
    // runs for weeks.
    lock.setStaleLockTime(0);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server.nextPendingConnection())
            readRequest(socket);
    });
}

QByteArray SingleInstance::launchToken()
{
    // Where both are set they are the same launch; the running panel is an
    // X11 window, for which the startup id is meant.
    for (const char* name : {"DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN"}) {
        const QByteArray token = qgetenv(name);
        if (!token.isEmpty())
            return token;
    }
    // Started from a terminal: a start the user asked for now, as a
    // launcher would announce it, without which focus-stealing prevention
    // keeps the panel behind the terminal.
    return QByteArray::fromStdString(platform::startupIdNow("tessik-control"));
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    // A request ends with its line, or with the connection when an older
    // version sent none; either answers it, once.
    const auto answer = [this, socket] {
        socket->disconnect(this);
        const QByteArray token = socket->readLine(longestRequest).trimmed();
        socket->disconnectFromServer();
        socket->deleteLater();
        emit showRequested(token);
    };
    connect(socket, &QLocalSocket::readyRead, this, [socket, answer] {
        if (socket->canReadLine())
            answer();
    });
    connect(socket, &QLocalSocket::disconnected, this, answer);
    if (socket->canReadLine() || socket->state() != QLocalSocket::ConnectedState)
        answer();
}

SingleInstance::Claim SingleInstance::claim(const QByteArray& launchToken)
{
    QElapsedTimer clock;
    clock.start();
    do {
        // QLockFile removes a lock whose process has died.
        if (lock.tryLock(0)) {
            // A killed program leaves its socket behind; the lock says that
            // nobody listens there any more.
            QLocalServer::removeServer(socketPath);
            if (!server.listen(socketPath))
                qDebug() << "Cannot listen for later starts on" << socketPath << ":"
                         << server.errorString();
            return Running;
        }
        if (lock.error() != QLockFile::LockFailedError) {
            // Better two pollers than none.
            qDebug() << "Cannot create a lock file in" << directory
                     << "; starting without the check for a running Tessik Control";
            return Running;
        }
        if (askRunningToShow(launchToken))
            return Forwarded;
        QThread::msleep(50);
    } while (clock.elapsed() < answerWaitMs);

    qint64 pid = 0;
    QString host, application;
    lock.getLockInfo(&pid, &host, &application);
    qDebug() << "Tessik Control is already running (process" << pid << ") but does not answer on"
             << socketPath;
    return Unanswered;
}

bool SingleInstance::askRunningToShow(const QByteArray& launchToken)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(500))
        return false;
    socket.write(launchToken.split('\n').value(0) + '\n');
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    qDebug() << "Tessik Control is already running; its panel is brought forward.";
    return true;
}
