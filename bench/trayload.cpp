// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own CPU load while it sits in the tray: the real event loop,
// poll timer, detector and panel, with a sensor report waiting on every
// 10 ms tick. Usage: tessik-tray-load [seconds], 20 by default.
#include "mock/fakehidapi.h"
#include "panelrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: tessik-tray-load [seconds]\n");
        return 2;
    }
    // Start-up settles during the first second, which is not counted.
    constexpr int settleMs = 1000;
    const int queued = (seconds + 2) * 100;
    PanelRig rig;
    PanelRig::queueQuietReadings(queued);

    QElapsedTimer wall;
    double cpuAtStart = 0;
    size_t readsAtStart = 0;
    QTimer::singleShot(settleMs, [&] {
        wall.start();
        cpuAtStart = cpuSeconds();
        readsAtStart = fakehid::state().reads.size();
    });
    QTimer::singleShot(settleMs + seconds * 1000, [&] {
        const double cpu = cpuSeconds() - cpuAtStart;
        const double elapsed = wall.nsecsElapsed() / 1e9;
        const size_t ticks = readsAtStart - fakehid::state().reads.size();
        std::printf("%.1f s in the tray, %zu readings: %.3f s CPU, %.2f %% of one core, "
                    "%.1f us per tick\n",
                    elapsed, ticks, cpu, 100.0 * cpu / elapsed, 1e6 * cpu / ticks);
        QCoreApplication::quit();
    });
    return app.exec();
}
