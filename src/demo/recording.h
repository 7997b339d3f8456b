// SPDX-License-Identifier: GPL-3.0-or-later
// The demo's built-in recording of the motion sensor, one reading every
// 10 ms: resting noise near mid-scale, then someone walking past for about a
// second, over and over. The demo program plays it in place of a sensor; the
// screenshots and the tests use the same signal.
#ifndef TESSIK_RECORDING_H
#define TESSIK_RECORDING_H

#include <cmath>

namespace recording {

constexpr int sampleMs = 10;
constexpr long long loopSamples = 2000; // 20 s
constexpr long long walkStart = 1900;   // after 19 s at rest
constexpr long long walkSamples = 100;  // about a second
constexpr double pi = 3.14159265358979323846;

// What the demo's panel says in its status bar.
constexpr char demoNote[] = "Demo: a recorded sensor; someone walks past every 20 s";

// The reading of a sample, counted from the start of playback.
inline int reading(long long sample)
{
    const long long t = sample % loopSamples;
    double value = 511 + 3 * std::sin(t * 0.7) + 2 * std::sin(t * 1.9);
    if (t >= walkStart && t < walkStart + walkSamples)
        value += 380 * std::sin((t - walkStart) * pi / walkSamples);
    return static_cast<int>(value);
}

} // namespace recording

#endif
