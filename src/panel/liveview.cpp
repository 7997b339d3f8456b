// SPDX-License-Identifier: GPL-3.0-or-later
// The live signal view on the Advanced tab.
#include "app/mainwindow.h"

void MainWindow::showSensorValues(unsigned int, unsigned int, unsigned int, int, int) {}
