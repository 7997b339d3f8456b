// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sensorsource.h"

const char* sensorSourceNote()
{
    return "";
}
