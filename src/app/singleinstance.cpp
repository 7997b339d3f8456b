// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include "platform/platform.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>

namespace {

// A running program's socket takes the connection even while it is busy,
// so this only covers a start that races the first one between its lock
// and its socket.
constexpr int answerWaitMs = 3000;

// Launch tokens are a few dozen bytes; a longer request is refused.
constexpr qint64 longestRequest = 4096;
constexpr int longestToken = 512;
// A later start sends its request as it connects.
constexpr int requestWaitMs = 2000;
// A new connection beyond these ends the oldest, so that no client can use
// up the program's open files.
constexpr int mostConnections = 16;
constexpr int serverWatchMs = 1000;

// What desktops make: printable ASCII. Anything else must not reach the
// window's properties, which hold UTF-8.
QByteArray plausibleToken(const QByteArray& token)
{
    const bool plausible =
        token.size() <= longestToken &&
        std::all_of(token.begin(), token.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
    if (plausible)
        return token;
    qDebug() << "A later start sent a malformed launch token; the panel is shown without it";
    return QByteArray();
}

} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent), directory(directory), socketPath(directory + "/tessik-control.socket"),
      lock(directory + "/tessik-control.lock")
{
    // Only a dead holder makes the lock stale, never its age: a program
    // runs for weeks.
    lock.setStaleLockTime(0);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
    serverWatch.setInterval(serverWatchMs);
    // Closing removes the socket; its descriptor cannot be asked for then.
    connect(&serverWatch, &QTimer::timeout, this, [this] {
        if (!QFileInfo::exists(socketPath))
            listen();
    });
}

void SingleInstance::listen()
{
    server.close();
    // A killed program leaves its socket behind; the lock says that nobody
    // listens there any more.
    QLocalServer::removeServer(socketPath);
    if (server.listen(socketPath))
        serverWatch.start();
    else
        qDebug() << "Cannot listen for later starts on" << socketPath << ":"
                 << server.errorString();
}

void SingleInstance::takeConnections()
{
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        if (connections.size() >= mostConnections)
            endConnection(connections.first());
        connections.append(socket);
        readRequest(socket);
    }
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
    // Reading stops there: a request that fills it is too long.
    socket->setReadBufferSize(longestRequest);
    // A request ends with its line, or with the connection when an older
    // version sent none; either answers it, once.
    const auto answer = [this, socket] {
        const QByteArray token = socket->readLine(longestRequest).trimmed();
        endConnection(socket);
        emit showRequested(plausibleToken(token));
    };
    connect(socket, &QLocalSocket::readyRead, this, [socket, answer, this] {
        if (socket->canReadLine()) {
            answer();
        } else if (socket->bytesAvailable() >= longestRequest) {
            qDebug() << "Refused a request of more than" << longestRequest << "bytes";
            endConnection(socket);
        }
    });
    connect(socket, &QLocalSocket::disconnected, this, answer);
    QTimer::singleShot(requestWaitMs, socket, [this, socket] { endConnection(socket); });
    if (socket->canReadLine() || socket->state() != QLocalSocket::ConnectedState)
        answer();
}

void SingleInstance::endConnection(QLocalSocket* socket)
{
    if (!connections.removeOne(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

SingleInstance::Claim SingleInstance::claim(const QByteArray& launchToken)
{
    QElapsedTimer clock;
    clock.start();
    do {
        // QLockFile removes a lock whose process has died.
        if (lock.tryLock(0)) {
            listen();
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
