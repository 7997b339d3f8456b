// SPDX-License-Identifier: GPL-3.0-or-later
// What one poll tick costs: the detector step alone, the whole tick with the
// panel in the tray, and the whole tick with the live plot on screen.
#include "app/mainwindow.h"
#include "app/windowsystem.h"
#include "mock/fakehidapi.h"
#include "panelrig.h"
#include "sensor/dataprocessor.h"

#include <QApplication>
#include <QMetaMethod>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
std::unique_ptr<PanelRig> rig;

// Reports are queued in batches outside the timed region, so the figures
// hold the fake sensor's read but not the scripting of it.
constexpr int batch = 4096;

void refill(benchmark::State& state)
{
    state.PauseTiming();
    fakehid::state().calls.clear();
    fakehid::state().reads.clear();
    PanelRig::queueQuietReadings(batch);
    state.ResumeTiming();
}

void showPanelOnAdvancedTab(bool shown)
{
    rig->window->findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(1);
    rig->window->setVisible(shown);
    if (shown && !QTest::qWaitForWindowExposed(rig->window.get()))
        qFatal("the panel did not appear");
    QApplication::processEvents();
}

void detectorStep(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rig->processor->detectMotion(505 + (i++ * 7) % 13));
}

// The price of calling a slot through its meta-method, which every tick
// below pays on top of pollUSB itself.
class EmptySlot : public QObject
{
    Q_OBJECT
public slots:
    void run() {}
};

void slotCallOverhead(benchmark::State& state)
{
    EmptySlot target;
    const QMetaMethod run = target.metaObject()->method(target.metaObject()->indexOfSlot("run()"));
    for (auto _ : state)
        run.invoke(&target, Qt::DirectConnection);
}

// Ticks against a sensor that always has a report waiting. With the panel
// shown the queued repaint is handed to the X server, as the event loop does
// after every tick.
void runTicks(benchmark::State& state, bool panelShown)
{
    showPanelOnAdvancedTab(panelShown);
    int left = 0;
    for (auto _ : state) {
        if (left-- == 0) {
            refill(state);
            left = batch - 1;
        }
        rig->tick();
        if (panelShown)
            QApplication::processEvents();
    }
    showPanelOnAdvancedTab(false);
}

void pollTickPanelHidden(benchmark::State& state)
{
    runTicks(state, false);
}

void pollTickAdvancedTabShown(benchmark::State& state)
{
    runTicks(state, true);
}

} // namespace

BENCHMARK(detectorStep);
BENCHMARK(slotCallOverhead);
BENCHMARK(pollTickPanelHidden);
BENCHMARK(pollTickAdvancedTabShown)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    prepareWindowSystem();
    QApplication app(argc, argv);
    rig = std::make_unique<PanelRig>();
    // Ticks come from the benchmark loop only.
    rig->processor->pollTimer->stop();
    // Past the warm-up, so that every step is tested against the trigger.
    PanelRig::queueQuietReadings(100);
    for (int i = 0; i < 100; ++i)
        rig->tick();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rig.reset();
    return 0;
}

#include "tickbench.moc"
