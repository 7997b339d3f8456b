// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/desktopnotifier.h"

#include "app/constants.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

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
// answered by then will not help this alert.
constexpr int answerTimeoutMs = 3000;

} // namespace

Q_DECLARE_METATYPE(NotificationImage)

DesktopNotifier::DesktopNotifier(const QImage& icon, QObject* parent)
    : QObject(parent), icon(icon.convertToFormat(QImage::Format_RGBA8888))
{
    qDBusRegisterMetaType<NotificationImage>();
}

void DesktopNotifier::notify(const QString& summary, const QString& body, int expireMs)
{
    NotificationImage image;
    image.width = icon.width();
    image.height = icon.height();
    image.rowStride = icon.bytesPerLine();
    image.data = QByteArray(reinterpret_cast<const char*>(icon.constBits()),
                            static_cast<int>(icon.sizeInBytes()));

    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    call << QString(appTitle) << shownId << QString() << summary << body << QStringList()
         << QVariantMap{{"image-data", QVariant::fromValue(image)}} << expireMs;

    // Without a bus the call fails at once and the watcher still reports it.
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, answerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<unsigned int> reply = *w;
        w->deleteLater();
        if (reply.isError()) {
            qDebug() << "No notification server took the alert:" << reply.error().message();
            emit refused();
            return;
        }
        shownId = reply.value();
    });
}
