// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own CPU load while it sits in the tray, against the floor
// that waking 100 times a second costs any Qt program. Two processes run side
// by side, so that both meet the same machine: the program's rig (the real
// event loop, poll timer, detector and panel, with a sensor report waiting on
// every 10 ms tick) and a bare Qt widgets program with a hidden window and an
// empty 10 ms timer. One pair runs with the panel hidden, one with the
// Advanced tab shown.
// Usage: tessik-tray-load [seconds], 20 s per pair by default.
#include "app/mainwindow.h"
#include "app/windowsystem.h"
#include "mock/fakehidapi.h"
#include "panelrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr char measureFlag[] = "--measure";

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One process's side of a pair: "rig-hidden", "rig-advanced" or "bare".
// Prints its CPU seconds, wall seconds and ticks on one line.
int measure(int argc, char** argv, const char* mode, int seconds)
{
    prepareWindowSystem();
    QApplication app(argc, argv);
    // Only warnings reach the terminal of the run.
    QLoggingCategory::setFilterRules("*.debug=false");
    const bool bare = std::strcmp(mode, "bare") == 0;
    long long emptyTicks = 0;
    QTimer emptyTimer;
    QWidget hiddenWindow;
    std::unique_ptr<PanelRig> rig;
    if (bare) {
        hiddenWindow.show();
        hiddenWindow.hide();
        QObject::connect(&emptyTimer, &QTimer::timeout, [&] { ++emptyTicks; });
        emptyTimer.start(10);
    } else {
        rig = std::make_unique<PanelRig>();
        PanelRig::queueQuietReadings((seconds + 2) * 100);
        if (std::strcmp(mode, "rig-advanced") == 0) {
            rig->window->findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(1);
            rig->window->show();
        }
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
        std::printf("%.6f %.6f %lld\n", cpuSeconds() - cpuAtStart, wall.nsecsElapsed() / 1e9,
                    ticksSoFar() - ticksAtStart);
        QCoreApplication::quit();
    });
    return app.exec();
}

struct Share
{
    double cpu = 0;
    double elapsed = 0;
    long long ticks = 0;
    double percent() const { return 100.0 * cpu / elapsed; }
};

bool finish(QProcess& process, Share& share)
{
    process.waitForFinished(-1);
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (process.exitCode() != 0 || fields.size() != 3)
        return false;
    share = {fields[0].toDouble(), fields[1].toDouble(), fields[2].toLongLong()};
    return share.elapsed > 0;
}

void print(const char* name, const Share& share)
{
    std::printf("  %-22s %5lld ticks  %6.3f s CPU  %5.2f %% of one core  %6.1f us per tick\n", name,
                share.ticks, share.cpu, share.percent(),
                share.ticks ? 1e6 * share.cpu / share.ticks : 0.0);
}

// Runs the rig in the given mode and the bare timer at the same time.
bool runPair(const char* title, const char* rigMode, int seconds)
{
    const QString self = QCoreApplication::applicationFilePath();
    QProcess rig;
    QProcess bare;
    for (QProcess* process : {&rig, &bare})
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    rig.start(self, {measureFlag, rigMode, QString::number(seconds)});
    bare.start(self, {measureFlag, "bare", QString::number(seconds)});
    Share rigShare;
    Share bareShare;
    const bool rigOk = finish(rig, rigShare);
    const bool bareOk = finish(bare, bareShare);
    if (!rigOk || !bareOk) {
        std::fprintf(stderr, "%s: a measuring process failed\n", title);
        return false;
    }
    std::printf("%s, %.1f s side by side:\n", title, rigShare.elapsed);
    print("the program's rig", rigShare);
    print("bare 10 ms timer", bareShare);
    std::printf("  ratio %.2f\n", rigShare.percent() / bareShare.percent());
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], measureFlag) == 0)
        return measure(argc, argv, argv[2], std::atoi(argv[3]));

    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (argc > 2 || seconds <= 0) {
        std::fprintf(stderr, "usage: tessik-tray-load [seconds]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const bool hiddenOk = runPair("panel hidden", "rig-hidden", seconds);
    const bool shownOk = runPair("Advanced tab shown", "rig-advanced", seconds);
    return hiddenOk && shownOk ? 0 : 1;
}
