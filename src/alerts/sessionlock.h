// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SESSIONLOCK_H
#define TESSIK_SESSIONLOCK_H

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

class QDBusMessage;

// Whether the session is locked, answered at once, from what says so: a
// screen saver service on the session bus (the freedesktop name that KDE
// and Xfce use, and GNOME's, Cinnamon's and MATE's own), logind's
// LockedHint for this session on the system bus, or an X11 screen locker
// on screen (one that holds the keyboard and covers a monitor). The
// services' states are learnt in the background, from their answers at
// start and their change signals, so asking never waits for a bus.
class SessionLock : public QObject
{
    Q_OBJECT

public:
    explicit SessionLock(QObject* parent = nullptr);

    // Why the session counts as locked now; empty when it does not.
    QString reason() const;

private slots:
    void screenSaverChanged(const QDBusMessage& message);
    void loginSessionChanged(const QString& interface, const QVariantMap& changed);

private:
    void watchScreenSavers();
    void watchLoginSession();
    // Follows the session's LockedHint once its object is known.
    void watchLockedHint(const QString& session);
    void setScreenSaverActive(const QString& path, bool active);

    // The object paths of the screen savers that say they are active.
    QSet<QString> activeScreenSavers;
    bool lockedHint = false;
};

#endif
