// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SESSIONLOCK_H
#define TESSIK_SESSIONLOCK_H

#include <QObject>
#include <QString>

// Whether the session is locked, answered at once: another program holds the
// keyboard, as every X11 screen locker does, or the session's screen saver
// service (org.freedesktop.ScreenSaver, org.gnome.ScreenSaver) says it is
// active. The service's state is learnt in the background, from its answer
// at start and its ActiveChanged signal, so asking never waits for the bus.
class SessionLock : public QObject
{
    Q_OBJECT

public:
    explicit SessionLock(QObject* parent = nullptr);

    // Why the session counts as locked now; empty when it does not.
    QString reason() const;

private slots:
    void setScreenSaverActive(bool active);

private:
    bool screenSaverActive = false;
};

#endif
