// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SENSORLINK_H
#define TESSIK_SENSORLINK_H

#include <hidapi.h>

#include <QDebug>
#include <QString>

#include <cwchar>
#include <string>

// The one hidapi device handle of the motion sensor (vendor 0x2047,
// product 0x0301). This is the only place in the program that calls hidapi.
// Every operation returns a small status, 0 for success; callers log and go on.
class SensorLink
{
public:
    // readSample's outcomes.
    enum ReadStatus
    {
        ReadOk = 0,
        ReadNothingWaiting = 1,
        ReadFailed = 2,   // no device, or hid_read reported an error
        ReadTooShort = 3, // a report without bytes 2 and 3
    };

    static constexpr unsigned short vendorId = 0x2047;
    static constexpr unsigned short productId = 0x0301;
    static constexpr int bufferSize = 256;
    static constexpr int textBufferSize = 255;

    int listDevices();
    int openDevice();
    // The device node of the first sensor listed, "" while none is; says
    // nothing. After a resume the sensor comes back on a new node.
    std::string listedPath();
    // Opens the sensor on that node without a word and runs the opening
    // exchange; returns 0, or 1 when it cannot be opened.
    int openPath(const std::string& path);
    // Takes over the handle another link opened.
    void takeDevice(SensorLink& other);
    // One non-blocking read; on ReadOk, out holds the reading from bytes 2
    // (low) and 3 (high) of the report.
    int readSample(int& out);
    // Closes the handle and then the HID library, at the end.
    int closeDevice();
    // Closes the handle of a sensor that stopped answering; the library stays
    // up for the next look.
    void dropDevice();

    int lastResult = 0;
    unsigned char receiveBuffer[bufferSize] = {};
    wchar_t textBuffer[textBufferSize] = {};
    hid_device* device = nullptr;
    // Set while the sensor keeps failing: the exchange and the reads say
    // nothing, as they already said it all once.
    bool quiet = false;

private:
    // The debug stream, or a discarded one while quiet.
    QDebug log();
    QString discarded;
    // Clears the report buffer and sets its first two bytes to 0x01, 0x81.
    void prepareReportBuffer();
    // Reads the device's strings, sends and reads back the feature report and
    // writes the two output reports, logging each step.
    void exchangeOpeningReports();
};

#endif
