// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SENSORSOURCE_H
#define TESSIK_SENSORSOURCE_H

// What the panel's status bar says about where the readings come from. The
// program links the real sensor's answer (nothing to say); the demo links its
// recorded sensor's.
const char* sensorSourceNote();

#endif
