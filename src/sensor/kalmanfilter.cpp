// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/kalmanfilter.h"

int KalmanFilter::update(unsigned int z)
{
    const double p = errorCovariance;
    const double gain = p / (p + measurementNoise);
    const double x = estimate + gain * (static_cast<double>(z) - estimate);

    errorCovariance = static_cast<float>((1.0 - gain) * p + timeStep * processNoise);
    estimate = static_cast<float>(x);
    lastGain = static_cast<float>(gain);
    timeStep = 1.0f;
    // The double-precision estimate, not its single-precision copy: rounding
    // to float can lift 511.99999 to 512.
    return static_cast<int>(x);
}
