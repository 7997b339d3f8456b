// SPDX-License-Identifier: GPL-3.0-or-later
// The window switch: the desktop's show-desktop chord, then its file-manager
// chord, typed on the user's behalf.
#include "app/mainwindow.h"
#include "platform/platform.h"

void MainWindow::windowSwitch()
{
    // Failures are reported by the platform layer; the alert carries on.
    platform::sendKeyStrokes(platform::windowSwitchKeys.data(),
                             static_cast<int>(platform::windowSwitchKeys.size()));
}
