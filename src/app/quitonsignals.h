// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_QUITONSIGNALS_H
#define TESSIK_QUITONSIGNALS_H

#include <QObject>

class QSocketNotifier;

// While alive, SIGTERM (a session ending, kill), SIGINT and SIGHUP end the
// program as its Quit does, through the event loop, so that nothing it
// shows outlives it.
class QuitOnSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    QSocketNotifier* notifier = nullptr;
};

#endif
