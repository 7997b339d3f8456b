// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/dataprocessor.h"

#include "app/mainwindow.h"
#include "sensor/kalmanfilter.h"
#include "sensor/sensorlink.h"
#include "sensor/sensorlook.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>

namespace {
const char lostLine[] = "Sensor not connected; looking for it every second";
} // namespace

DataProcessor::DataProcessor(MainWindow* window)
    : QObject(nullptr), link(new SensorLink), look(new SensorLook), mainWindow(window)
{
    connect(this, &DataProcessor::sensorConnectionChanged, window,
            &MainWindow::showSensorConnection);
    startFirstLook();
    // Counted down only once the first look has found no sensor.
    ticksUntilLook = ticksBetweenLooks;
    // Connected only from its first good reading.
    emit sensorConnectionChanged(false);
    startPolling();

    historyPos = 0;
    filter = new KalmanFilter;
    std::fill(std::begin(history), std::end(history), 511);
    resetHistogram();
    baseline = 511;
    baselineCount = 0;
}

DataProcessor::~DataProcessor()
{
    closeSensor();
    delete filter;
    delete link;
}

bool DataProcessor::closeSensor()
{
    if (!closed) {
        closed = true;
        pollTimer->stop();
        // A look that hangs is never destroyed: its future would wait for it.
        lookLeftBehind = !look->waitFor(std::chrono::milliseconds(lookWaitAtEndMs));
        if (!lookLeftBehind) {
            delete look;
            look = nullptr;
            link->closeDevice();
        }
    }
    return !lookLeftBehind;
}

void DataProcessor::startFirstLook()
{
    // Run as it always was at start, with the whole listing and its log.
    look->start([](SensorLink& finder) {
        SensorLook::Outcome outcome;
        finder.listDevices();
        outcome.opened = finder.openDevice() == 0;
        if (outcome.opened) {
            // Where to hold it back should it give no reading.
            outcome.path = finder.listedPath();
        } else {
            qDebug() << "USB open error";
            qDebug() << lostLine;
        }
        return outcome;
    });
}

void DataProcessor::startPolling()
{
    pollTimer = new QTimer(this);
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(pollUSB()));
    pollTimer->start(pollIntervalMs);
}

void DataProcessor::pollUSB()
{
    if (look->over())
        takeLook();
    int raw = noReading;
    int filtered = noReading;
    const bool open = link->device != nullptr;
    const int status = link->readSample(rawValue);
    if (status == SensorLink::ReadOk) {
        if (!connected)
            announceSensor();
        raw = rawValue;
        filtered = detectMotion(rawValue);
    } else {
        rawValue = noReading;
        if (!open)
            lookForSensor();
        else if (status == SensorLink::ReadFailed)
            loseSensor();
    }
    mainWindow->showSensorValues(baseline, raw, filtered, 0, 0);
    advanceAlertHold();
}

void DataProcessor::loseSensor()
{
    link->dropDevice();
    ticksUntilLook = ticksBetweenLooks;
    if (!connected) {
        backOff();
        return;
    }
    connected = false;
    qDebug() << lostLine;
    emit sensorConnectionChanged(false);
}

void DataProcessor::backOff()
{
    failingNode = openNode;
    ++failedAttempts;
    looksUntilRetry = std::min(1 << std::min(failedAttempts - 1, 5), longestRetryLooks);
    qDebug().noquote()
        << QString("Sensor gives no reading; trying it again in %1 s").arg(looksUntilRetry);
}

void DataProcessor::lookForSensor()
{
    if (look->started() || --ticksUntilLook > 0)
        return;
    ticksUntilLook = ticksBetweenLooks;
    looksUntilRetry = std::max(looksUntilRetry - 1, 0);
    look->start(failingNode, looksUntilRetry == 0);
}

void DataProcessor::takeLook()
{
    const SensorLook::Outcome found = look->take(*link);
    // Gone from the listing, or back on another node: a replug, tried at once
    // and described in full.
    if (found.path != failingNode)
        forgetFailures();
    if (!found.opened)
        return;
    openNode = found.path;
    // The first readings after a replug must not alert; the learned
    // baseline stays.
    warmedUp = 0;
    warmUpCount = 0;
}

void DataProcessor::forgetFailures()
{
    failingNode.clear();
    failedAttempts = 0;
    looksUntilRetry = 0;
}

void DataProcessor::announceSensor()
{
    connected = true;
    forgetFailures();
    link->quiet = false;
    qDebug() << "Sensor connected";
    emit sensorConnectionChanged(true);
}

void DataProcessor::advanceAlertHold()
{
    int& count = mainWindow->alertHoldCount;
    if (count <= 0)
        count = 0;
    else if (count < std::numeric_limits<int>::max())
        ++count;
    // 64-bit so that an absurd stored hold time cannot overflow.
    const std::int64_t heldMs = static_cast<std::int64_t>(count) * pollIntervalMs;
    const std::int64_t holdMs = static_cast<std::int64_t>(mainWindow->getAlertHoldWindow()) * 1000;
    if (heldMs > holdMs)
        count = 0;
}
