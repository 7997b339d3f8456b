// SPDX-License-Identifier: GPL-3.0-or-later
// Raising the alerts on a detection or a test.
#include "app/mainwindow.h"
#include "settings/settingskeeper.h"

void MainWindow::activateAlert(bool test)
{
    if (!test && !settings->alertEnabled)
        return;
    // Starts (or restarts) the hold period, during which the detector raises
    // no further alert.
    alertHoldCount = 1;
}
