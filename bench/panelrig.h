// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_PANELRIG_H
#define TESSIK_PANELRIG_H

#include <QTemporaryDir>

#include <memory>

class DataProcessor;
class MainWindow;

// The program as main() assembles it, against the fake sensor and a
// throwaway settings store: the panel shown, loaded, then hidden to the tray.
struct PanelRig
{
    PanelRig();
    ~PanelRig();

    // Queues one sensor report per future tick, with a quiet signal about
    // the resting level.
    static void queueQuietReadings(int count);
    // One poll tick, through the slot's meta-method as a timer would call it.
    void tick();

    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<DataProcessor> processor;
};

#endif
