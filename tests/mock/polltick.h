// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_POLLTICK_H
#define TESSIK_POLLTICK_H

#include "mock/fakehidapi.h"
#include "sensor/dataprocessor.h"
#include "sensor/sensorlook.h"

#include <QMetaMethod>

// One poll tick driven by hand, through the slot's meta-method as the poll
// timer calls it (the slot is private). A look for the sensor that the tick
// starts is over before the test goes on, as the fake answers at once: the
// next tick takes its outcome, as it would 10 ms later, and the test never
// scripts the fake while a look uses it.
inline void pollOnce(DataProcessor& processor)
{
    static const QMetaMethod poll = DataProcessor::staticMetaObject.method(
        DataProcessor::staticMetaObject.indexOfSlot("pollUSB()"));
    poll.invoke(&processor, Qt::DirectConnection);
    processor.look->wait();
}

// A DataProcessor as main builds it, once the first look that it starts is
// over: the test scripts the fake only afterwards, and the first tick takes
// the look's outcome.
class StartedProcessor : public DataProcessor
{
public:
    explicit StartedProcessor(MainWindow* window) : DataProcessor(window) { look->wait(); }
};

// A present sensor with nothing waiting, and a detector that has not warmed
// up yet, as at program start.
inline void startFreshSensor()
{
    fakehid::reset();
    DataProcessor::warmedUp = 0;
}

#endif
