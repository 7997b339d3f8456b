// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SENSORLOOK_H
#define TESSIK_SENSORLOOK_H

#include "sensor/sensorlink.h"

#include <chrono>
#include <functional>
#include <future>
#include <string>

// One look for the sensor on a thread of its own, at start and whenever it is
// missing: the device listing and, where wanted, the open and the opening
// exchange, which a sensor that does not answer stretches to the USB timeout
// of several seconds. The poll timer beats on meanwhile and takes the opened
// handle when the look is over. The poll loop starts a look only while it
// holds no handle and closes the library only once the look is over, so
// hidapi is never called from two threads at once.
class SensorLook
{
public:
    struct Outcome
    {
        std::string path; // where the sensor is listed; "" when it is not
        bool opened = false;
    };

    SensorLook() = default;
    SensorLook(const SensorLook&) = delete;
    SensorLook& operator=(const SensorLook&) = delete;
    // Waits for a look still running and closes a handle nobody took.
    ~SensorLook();

    // Starts a look that runs the given steps on a link of its own.
    void start(std::function<Outcome(SensorLink&)> steps);
    // Starts a look that opens the listed sensor, unless it is listed on
    // heldBack, a node whose sensor keeps failing and is not due again yet.
    // A sensor that is due again on that node is opened without a word.
    void start(const std::string& heldBack, bool retryDue);
    // Whether a look was started and its outcome not yet taken.
    bool started() const { return pending.valid(); }
    // Whether a started look is over; never blocks.
    bool over() const;
    // Blocks until a started look is over.
    void wait() const;
    // Blocks at most for the given time; returns whether no look is running.
    bool waitFor(std::chrono::milliseconds bound) const;
    // The outcome of a look that is over; a handle it opened moves to link,
    // which then stays as quiet as the look was.
    Outcome take(SensorLink& link);

private:
    SensorLink finder;
    std::future<Outcome> pending;
};

#endif
