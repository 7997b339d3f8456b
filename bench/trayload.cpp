// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own CPU load while it sits in the tray: the real event loop,
// poll timer, detector and panel, with a sensor report waiting on every
// 10 ms tick. Usage: tessik-tray-load [seconds] [bare], 20 s by default;
// "bare" runs an empty 10 ms timer instead, the floor that the wake-ups
// alone cost.
#include "app/windowsystem.h"
#include "mock/fakehidapi.h"
#include "panelrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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
    prepareWindowSystem();
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const bool bare = argc > 2 && std::strcmp(argv[2], "bare") == 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: tessik-tray-load [seconds] [bare]\n");
        return 2;
    }

    long long emptyTicks = 0;
    QTimer emptyTimer;
    std::unique_ptr<PanelRig> rig;
    if (bare) {
        QObject::connect(&emptyTimer, &QTimer::timeout, [&] { ++emptyTicks; });
        emptyTimer.start(10);
    } else {
        rig = std::make_unique<PanelRig>();
        PanelRig::queueQuietReadings((seconds + 2) * 100);
    }
    // Every tick either counts or takes one queued reading.
    const auto ticksSoFar = [&] {
        return emptyTicks - static_cast<long long>(fakehid::state().reads.size());
    };

    // Start-up settles during the first second, which is not counted.
    constexpr int settleMs = 1000;
    QElapsedTimer wall;
    double cpuAtStart = 0;
    long long ticksAtStart = 0;
    QTimer::singleShot(settleMs, [&] {
        wall.start();
        cpuAtStart = cpuSeconds();
        ticksAtStart = ticksSoFar();
    });
    QTimer::singleShot(settleMs + seconds * 1000, [&] {
        const double cpu = cpuSeconds() - cpuAtStart;
        const double elapsed = wall.nsecsElapsed() / 1e9;
        const long long ticks = ticksSoFar() - ticksAtStart;
        std::printf("%s: %.1f s, %lld ticks: %.3f s CPU, %.2f %% of one core, %.1f us per tick\n",
                    bare ? "empty 10 ms timer" : "in the tray", elapsed, ticks, cpu,
                    100.0 * cpu / elapsed, ticks ? 1e6 * cpu / ticks : 0.0);
        QCoreApplication::quit();
    });
    return app.exec();
}
