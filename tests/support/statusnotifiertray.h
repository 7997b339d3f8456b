// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_STATUSNOTIFIERTRAY_H
#define TESSIK_STATUSNOTIFIERTRAY_H

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

// A stand-in for a StatusNotifier tray such as Plasma's, on the session bus:
// the watcher that tray icons register with, saying that a host shows them,
// and the host's click on an icon, which is the D-Bus call Activate with no
// input event behind it. It answers on a connection and a thread of its
// own, so that a tray icon in the same process gets answers to its blocking
// calls. Create it before the first tray icon: Qt chooses between this kind
// of tray and the XEmbed one once per process.
class StatusNotifierTray : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    StatusNotifierTray();
    ~StatusNotifierTray() override;

    QStringList items() const;
    // A left click on the icon registered last, as Plasma passes it on.
    void clickLast();

    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString& service);

private:
    QThread thread;
    QDBusConnection connection;
    mutable QMutex mutex;
    QStringList registered;
};

#endif
