// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_KALMANFILTER_H
#define TESSIK_KALMANFILTER_H

// Scalar Kalman filter that smooths the raw readings. The state is kept in
// single precision; from the initial state it settles after about 50 steps to
// an exponential average with a gain of about 0.049.
class KalmanFilter
{
public:
    // One filter step for sample z; returns the new estimate truncated
    // toward zero.
    int update(unsigned int z);

    float estimate = 511.0f;
    float errorCovariance = 1.0f;
    const float processNoise = 0.01f;
    const float measurementNoise = 4.0f;
    // No process noise is added on the first step.
    float timeStep = 0.0f;
    float lastGain = 0.0f;
};

#endif
