// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_DESKTOPNOTIFIER_H
#define TESSIK_DESKTOPNOTIFIER_H

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

class QDBusPendingCallWatcher;
class QEventLoop;

// Hands alerts to the session's notification server
// (org.freedesktop.Notifications on the session bus). They are critical, the
// urgency that servers such as GNOME Shell show over full-screen programs
// too, and that GNOME never lets expire: this object withdraws them itself.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(const QImage& icon, QObject* parent = nullptr);
    // Withdraws the notification on screen: GNOME would keep it after the
    // program has ended.
    ~DesktopNotifier() override;

    // False while the server is one that draws nothing over full-screen
    // programs (Cinnamon's), so that the alert goes another road there.
    bool showsOverFullScreen() const;

    // Asynchronous: the answer comes back through the event loop. The
    // notification replaces the one this object sent before and is withdrawn
    // visibleMs after the server has shown it. One the server shows only
    // after the alert was refused (or a newer alert took its place) is
    // withdrawn at once, so that no alert is seen twice.
    void notify(const QString& summary, const QString& body, int visibleMs);

    // As the program ends: waits up to a moment for the answers still
    // awaited, withdraws every notification shown, and sends the requests
    // before returning. Later answers are not awaited.
    void withdrawAll();

signals:
    // No server took the notification: none runs or can be started, it
    // refused, or it did not answer in time.
    void refused();

private:
    void askServerName();
    void answered(QDBusPendingCallWatcher* call, int visibleMs);
    // The latest alert goes to the fallback; what it replaced goes too.
    void giveUp(const QString& reason);
    void withdraw();
    void close(unsigned int id);

    QImage icon;
    // As the server names itself; empty while unknown.
    QString serverName;
    // Calls whose answers have not come yet, the latest alert's and any
    // that a newer alert or the fallback took the place of.
    int unanswered = 0;
    // Runs while withdrawAll waits for them.
    QEventLoop* ending = nullptr;
    // Something was withdrawn meanwhile: the bus must have it before the
    // program ends.
    bool closedWhileEnding = false;
    // The call of the latest alert while it waits for its answer.
    QDBusPendingCallWatcher* awaited = nullptr;
    // The id the server gave the latest alert it took; the next one
    // replaces it.
    unsigned int lastId = 0;
    // The notification on screen, 0 when none.
    unsigned int shownId = 0;
    QTimer answerTimer;
    QTimer withdrawalTimer;
};

#endif
