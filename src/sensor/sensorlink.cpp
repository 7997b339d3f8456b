// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/sensorlink.h"

int SensorLink::readSample(int& out)
{
    if (!device)
        return ReadFailed;

    lastResult = hid_read(device, receiveBuffer, bufferSize);
    if (lastResult == 0) {
        log() << "waiting...\n";
        return ReadNothingWaiting;
    }
    if (lastResult < 0) {
        log() << "Unable to read()\n";
        return ReadFailed;
    }
    // Bytes 2 and 3 beyond a short report would still hold an earlier
    // report's reading; never pass that off as a new one.
    if (lastResult < 4) {
        log() << "Short report ignored, bytes:" << lastResult;
        return ReadTooShort;
    }
    out = receiveBuffer[2] + 256 * receiveBuffer[3];
    return ReadOk;
}

int SensorLink::closeDevice()
{
    dropDevice();
    hid_exit();
    return 0;
}

void SensorLink::takeDevice(SensorLink& other)
{
    dropDevice();
    device = other.device;
    other.device = nullptr;
}

QDebug SensorLink::log()
{
    if (!quiet)
        return qDebug();
    discarded.clear();
    return QDebug(&discarded);
}

void SensorLink::dropDevice()
{
    if (device) {
        hid_close(device);
        device = nullptr;
    }
}
