// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_POLLTICK_H
#define TESSIK_POLLTICK_H

#include "mock/fakehidapi.h"
#include "sensor/dataprocessor.h"

#include <QMetaMethod>

// One poll tick driven by hand, through the slot's meta-method as the poll
// timer calls it (the slot is private).
inline void pollOnce(DataProcessor& processor)
{
    static const QMetaMethod poll = DataProcessor::staticMetaObject.method(
        DataProcessor::staticMetaObject.indexOfSlot("pollUSB()"));
    poll.invoke(&processor, Qt::DirectConnection);
}

// A present sensor with nothing waiting, and a detector that has not warmed
// up yet, as at program start.
inline void startFreshSensor()
{
    fakehid::reset();
    DataProcessor::warmedUp = 0;
}

#endif
