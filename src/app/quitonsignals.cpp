// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/quitonsignals.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QSocketNotifier>

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent)
{
    const int descriptor = platform::routeQuitSignals();
    if (descriptor < 0)
        return;
    notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    // The program is on its way out after the first: the bytes stay unread.
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
}

QuitOnSignals::~QuitOnSignals()
{
    platform::stopRoutingQuitSignals();
}
