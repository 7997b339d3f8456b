// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_DESKTOPNOTIFIER_H
#define TESSIK_DESKTOPNOTIFIER_H

#include <QImage>
#include <QObject>
#include <QString>

// Hands alerts to the session's notification server
// (org.freedesktop.Notifications on the session bus), which shows them on
// every desktop that has one, over full-screen programs too.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(const QImage& icon, QObject* parent = nullptr);

    // Asynchronous: the answer comes back through the event loop. A new
    // notification replaces the one this object sent before.
    void notify(const QString& summary, const QString& body, int expireMs);

signals:
    // No server took the notification: none runs or can be started, it
    // refused, or it did not answer in time.
    void refused();

private:
    QImage icon;
    unsigned int shownId = 0;
};

#endif
