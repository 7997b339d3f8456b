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
    return static_cast<int>(static_cast<double>(estimate));
}
