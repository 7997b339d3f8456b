// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_LIVEVIEW_H
#define TESSIK_LIVEVIEW_H

class QCPItemLine;

// State of the live signal view. There is one control panel per process, so
// it is kept process-wide; the x axis counts poll ticks.
namespace liveview {

// Ticks shown at once: five seconds at the 10 ms poll period.
constexpr double visibleKeys = 500.0;

extern double plotKey;
extern double lastPointKey;
extern bool plotRunning;
extern QCPItemLine* upperTriggerLine;
extern QCPItemLine* lowerTriggerLine;

// Half-height of the trigger band preview drawn about the baseline.
inline double triggerBandHalfHeight(double baseline, int sliderPosition)
{
    return baseline * (sliderPosition / 100.0);
}

} // namespace liveview

#endif
