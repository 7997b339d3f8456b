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

DataProcessor::DataProcessor(MainWindow* window) : QObject(nullptr), link(new SensorLink)
{
    link->listDevices();
    if (link->openDevice() != 0)
        qDebug() << "USB open error";
    startPolling();

    historyPos = 0;
    mainWindow = window;
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
    if (link->readSample(rawValue) == SensorLink::ReadOk) {
        raw = rawValue;
        filtered = detectMotion(rawValue);
    } else {
        rawValue = noReading;
    }
    mainWindow->showSensorValues(baseline, raw, filtered, 0, 0);
    advanceAlertHold();
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
