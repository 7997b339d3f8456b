// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel's actions on the settings.
#include "app/mainwindow.h"
#include "settings/settingskeeper.h"

void MainWindow::loadControls(int source)
{
    if (source == DefaultSettings || source == StoredSettings)
        settings->readSettings(source);
}
