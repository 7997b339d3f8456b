// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up side of the sensor link: the device listing and the opening.
#include "sensor/sensorlink.h"

#include <QDebug>

#include <cstring>

int SensorLink::listDevices()
{
    hid_device_info* devices = hid_enumerate(0, 0);
    hid_free_enumeration(devices);

    std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    receiveBuffer[0] = 0x01;
    receiveBuffer[1] = 0x81;
    return 0;
}

int SensorLink::openDevice()
{
    device = hid_open(vendorId, productId, nullptr);
    if (!device) {
        qDebug() << "unable to open device";
        return 1;
    }
    // A poll tick must never wait for the sensor.
    hid_set_nonblocking(device, 1);
    return 0;
}
