// SPDX-License-Identifier: GPL-3.0-or-later
// The motion detector: Kalman filter, baseline tracker and trigger rule.
#include "app/mainwindow.h"
#include "sensor/dataprocessor.h"
#include "sensor/kalmanfilter.h"
#include "sensor/triggerrule.h"
#include "settings/settingskeeper.h"

#include <algorithm>

int DataProcessor::warmedUp = 0;

namespace {
// The band around mid-scale in which the resting level is learned.
constexpr int bandLow = 500;
constexpr int bandHigh = 523;
constexpr int restingLevel = 511;
// Head start of the nominal resting level in the histogram.
constexpr unsigned int restingLevelPrior = 20;
} // namespace

void DataProcessor::resetHistogram()
{
    std::fill(std::begin(histogram), std::end(histogram), 0u);
    histogram[restingLevel] = restingLevelPrior;
}

int DataProcessor::trackBaseline(int filtered)
{
    if (filtered < bandLow || filtered > bandHigh)
        return baseline;

    const unsigned int count = ++histogram[filtered];
    if (count == 0) {
        resetHistogram();
        return baseline;
    }
    // The running mode: only the bin just counted can overtake the baseline,
    // and a tie does not.
    if (count > baselineCount) {
        baseline = filtered;
        baselineCount = count;
    }
    return baseline;
}

int DataProcessor::detectMotion(int raw)
{
    const int filtered = filter->update(static_cast<unsigned int>(raw));
    baseline = trackBaseline(filtered);

    bool triggered = false;
    if (warmedUp == 1)
        triggered = motionTriggered(filtered, baseline, mainWindow->settings->tessikTrigLevel);
    else if (++warmUpCount >= warmUpSamples)
        warmedUp = 1; // this last warm-up reading is not tested either

    history[historyPos] = filtered;
    historyPos = (historyPos + 1) % historySize;

    if (triggered && mainWindow->alertHoldCount == 0)
        mainWindow->activateAlert(false);
    return filtered;
}
