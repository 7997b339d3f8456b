// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_STARTATLOGINACTION_H
#define TESSIK_STARTATLOGINACTION_H

#include <QAction>

// The tray menu's "Start at Login" entry: checked while the session starts
// the program at login; switching it changes that for this user.
class StartAtLoginAction : public QAction
{
    Q_OBJECT

public:
    explicit StartAtLoginAction(QObject* parent);

public slots:
    // Reads the state again: the desktop's own startup settings may have
    // changed it since.
    void refresh();

signals:
    // The change could not be made; the message says why.
    void refused(const QString& message);

private:
    void change(bool start);
};

#endif
