// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_TRIGGERRULE_H
#define TESSIK_TRIGGERRULE_H

#include <cstdint>

// The deviation from the baseline that counts as motion: trigLevel percent of
// the headroom above the baseline, rounded down. Computed in 64 bits so that
// no stored level can wrap it around.
inline std::uint64_t triggerThreshold(int baseline, unsigned int trigLevel)
{
    const std::int64_t headroom = 1024 - static_cast<std::int64_t>(baseline);
    if (headroom <= 0)
        return 0;
    return static_cast<std::uint64_t>(headroom) * trigLevel / 100;
}

// Whether a filtered value strays far enough from the baseline. Levels above
// 100 percent (only a damaged store holds them) never trigger.
inline bool motionTriggered(int filtered, int baseline, unsigned int trigLevel)
{
    if (trigLevel > 100)
        return false;
    const std::int64_t deviation = static_cast<std::int64_t>(filtered) - baseline;
    const std::uint64_t distance =
        static_cast<std::uint64_t>(deviation < 0 ? -deviation : deviation);
    return distance >= triggerThreshold(baseline, trigLevel);
}

#endif
