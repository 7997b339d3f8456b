// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/dataprocessor.h"

#include "app/mainwindow.h"
#include "sensor/kalmanfilter.h"
#include "sensor/sensorlink.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <limits>

DataProcessor::DataProcessor(MainWindow* window)
    : QObject(nullptr), link(new SensorLink), mainWindow(window)
{
    connect(this, &DataProcessor::sensorConnectionChanged, window,
            &MainWindow::showSensorConnection);
    link->listDevices();
    if (link->openDevice() != 0) {
        qDebug() << "USB open error";
        loseSensor();
    } else {
        announceSensor();
    }
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
    link->closeDevice();
    delete filter;
    delete link;
}

void DataProcessor::startPolling()
{
    pollTimer = new QTimer(this);
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(pollUSB()));
    pollTimer->start(pollIntervalMs);
}

void DataProcessor::pollUSB()
{
    int raw = noReading;
    int filtered = noReading;
    const bool open = link->device != nullptr;
    const int status = link->readSample(rawValue);
    if (status == SensorLink::ReadOk) {
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
    qDebug() << "Sensor not connected; looking for it every second";
    ticksUntilLook = ticksBetweenLooks;
    emit sensorConnectionChanged(false);
}

void DataProcessor::lookForSensor()
{
    if (--ticksUntilLook > 0)
        return;
    ticksUntilLook = ticksBetweenLooks;
    if (link->findDevice() != 0)
        return;
    // The first readings after a replug must not alert; the learned
    // baseline stays.
    warmedUp = 0;
    warmUpCount = 0;
    announceSensor();
}

void DataProcessor::announceSensor()
{
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
