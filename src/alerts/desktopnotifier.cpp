// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/desktopnotifier.h"

#include "app/constants.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <limits>

namespace {

// The "image-data" hint: raw RGBA rows, so the icon needs no file or theme.
struct NotificationImage
{
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.hasAlpha
             << image.bitsPerSample << image.channels << image.data;
    argument.endStructure();
    return argument;
}

// Required by the type's registration; the program only sends images.
const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage& image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha >>
        image.bitsPerSample >> image.channels >> image.data;
    argument.endStructure();
    return argument;
}

// A server being started by the bus needs a moment; one that has not
// answered by then will not help this alert, which goes elsewhere.
constexpr int answerTimeoutMs = 3000;
// A busy server may still show the notification later, however late: its
// answer is awaited for good, so that the notification can be withdrawn.
constexpr int lateAnswerMs = std::numeric_limits<int>::max();
// How long the program's end waits for answers, and then for the bus.
constexpr int endingWaitMs = 1500;
// The urgency levels of org.freedesktop.Notifications: 0 low, 1 normal, 2 critical.
constexpr uchar critical = 2;

const char service[] = "org.freedesktop.Notifications";
const char path[] = "/org/freedesktop/Notifications";

} // namespace

Q_DECLARE_METATYPE(NotificationImage)

DesktopNotifier::DesktopNotifier(const QImage& icon, QObject* parent)
    : QObject(parent), icon(icon.convertToFormat(QImage::Format_RGBA8888))
{
    qDBusRegisterMetaType<NotificationImage>();
    answerTimer.setSingleShot(true);
    withdrawalTimer.setSingleShot(true);
    connect(&answerTimer, &QTimer::timeout, this,
            [this] { giveUp(QString("no answer within %1 ms").arg(answerTimeoutMs)); });
    connect(&withdrawalTimer, &QTimer::timeout, this, &DesktopNotifier::withdraw);
    // Learnt ahead, so that an alert never waits for it.
    auto* watcher = new QDBusServiceWatcher(service, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                serverName.clear();
                if (!owner.isEmpty())
                    askServerName();
            });
    askServerName();
}

void DesktopNotifier::askServerName()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, service, "GetServerInformation");
    // Only a server that runs: asking must not start one.
    call.setAutoStartService(false);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QString> reply = *w;
        if (reply.isValid())
            serverName = reply.value();
    });
}

bool DesktopNotifier::showsOverFullScreen() const
{
    // Cinnamon stops drawing its notifications while a window is full
    // screen; an unmanaged window is drawn there.
    return serverName != QLatin1String("cinnamon");
}

DesktopNotifier::~DesktopNotifier()
{
    withdraw();
}

void DesktopNotifier::notify(const QString& summary, const QString& body, int visibleMs)
{
    // An alert raised while the program ends would outlive it.
    if (ending != nullptr)
        return;
    NotificationImage image;
    image.width = icon.width();
    image.height = icon.height();
    image.rowStride = icon.bytesPerLine();
    image.data = QByteArray(reinterpret_cast<const char*>(icon.constBits()),
                            static_cast<int>(icon.sizeInBytes()));

    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, "Notify");
    call << QString(appTitle) << lastId << QString() << summary << body << QStringList()
         << QVariantMap{{"urgency", QVariant::fromValue(critical)},
                        {"image-data", QVariant::fromValue(image)}}
         << visibleMs;

    // The notification on screen stays until this alert has its answer:
    // withdrawing it now could remove the one that replaces it.
    withdrawalTimer.stop();
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call, lateAnswerMs);
    // Without a bus the call has failed already, and a watcher would never
    // say so.
    if (pending.isFinished() && pending.isError()) {
        giveUp(pending.error().message());
        return;
    }
    ++unanswered;
    awaited = new QDBusPendingCallWatcher(pending, this);
    connect(awaited, &QDBusPendingCallWatcher::finished, this,
            [this, visibleMs](QDBusPendingCallWatcher* w) { answered(w, visibleMs); });
    answerTimer.start(answerTimeoutMs);
}

void DesktopNotifier::answered(QDBusPendingCallWatcher* call, int visibleMs)
{
    const QDBusPendingReply<unsigned int> reply = *call;
    call->deleteLater();
    if (--unanswered == 0 && ending != nullptr)
        ending->quit();
    if (call != awaited) {
        // Refused, or a newer alert took its place. The one on screen is
        // what a newer alert replaces, so it stays.
        if (reply.isValid() && reply.value() != shownId) {
            qDebug() << "A notification shown too late was withdrawn";
            close(reply.value());
        }
        return;
    }
    if (reply.isError()) {
        giveUp(reply.error().message());
        return;
    }
    awaited = nullptr;
    answerTimer.stop();
    // A server that did not replace the previous notification shows both.
    if (shownId != reply.value())
        withdraw();
    shownId = lastId = reply.value();
    if (ending == nullptr)
        withdrawalTimer.start(visibleMs);
}

void DesktopNotifier::withdrawAll()
{
    answerTimer.stop();
    withdrawalTimer.stop();
    QEventLoop loop;
    ending = &loop;
    // Answers that come meanwhile are withdrawn as they come.
    if (unanswered > 0) {
        QTimer::singleShot(endingWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    withdraw();
    ending = nullptr;
    awaited = nullptr;
    // The bus answers a question only after it has read what was sent
    // before it.
    if (closedWhileEnding) {
        const QDBusMessage question = QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId");
        QDBusConnection::sessionBus().call(question, QDBus::Block, endingWaitMs);
    }
}

void DesktopNotifier::giveUp(const QString& reason)
{
    qDebug() << "No notification server took the alert:" << reason;
    awaited = nullptr;
    answerTimer.stop();
    withdraw();
    // Nothing is shown any more once the program ends.
    if (ending == nullptr)
        emit refused();
}

void DesktopNotifier::withdraw()
{
    close(shownId);
    shownId = 0;
}

void DesktopNotifier::close(unsigned int id)
{
    if (id == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, "CloseNotification");
    call << id;
    // Nothing waits for the answer: a notification already gone is an error
    // that changes nothing.
    QDBusConnection::sessionBus().send(call);
    closedWhileEnding = closedWhileEnding || ending != nullptr;
}
