// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/sensorlook.h"

#include <chrono>

SensorLook::~SensorLook()
{
    wait();
    finder.dropDevice();
}

void SensorLook::start(std::function<Outcome(SensorLink&)> steps)
{
    pending = std::async(std::launch::async, [this, steps] { return steps(finder); });
}

void SensorLook::start(const std::string& heldBack, bool retryDue)
{
    start([heldBack, retryDue](SensorLink& finder) {
        Outcome outcome;
        outcome.path = finder.listedPath();
        const bool retry = !heldBack.empty() && outcome.path == heldBack;
        if (outcome.path.empty() || (retry && !retryDue))
            return outcome;
        finder.quiet = retry;
        outcome.opened = finder.openPath(outcome.path) == 0;
        return outcome;
    });
}

bool SensorLook::over() const
{
    return started() && pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void SensorLook::wait() const
{
    if (started())
        pending.wait();
}

bool SensorLook::waitFor(std::chrono::milliseconds bound) const
{
    return !started() || pending.wait_for(bound) == std::future_status::ready;
}

SensorLook::Outcome SensorLook::take(SensorLink& link)
{
    const Outcome outcome = pending.get();
    if (outcome.opened) {
        link.takeDevice(finder);
        link.quiet = finder.quiet;
    }
    return outcome;
}
