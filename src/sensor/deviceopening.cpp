// SPDX-License-Identifier: GPL-3.0-or-later
// Opening side of the sensor link: the device listing at start and the opening
// exchange, run at start and whenever the sensor is found again. Everything
// logged here is diagnostic; only the open handle is used later.
#include "sensor/sensorlink.h"

#include <QDebug>
#include <QString>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {
// Reports of the opening exchange: a report number and 16 bytes.
constexpr size_t reportLength = 17;

// A device string as the debug stream quotes it; an absent one prints as "".
QString wideText(const wchar_t* text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// The text in a fixed wide buffer, which a library that fills it completely
// need not terminate.
QString wideText(const wchar_t* buffer, size_t capacity)
{
    const wchar_t* end = std::wmemchr(buffer, L'\0', capacity);
    return QString::fromWCharArray(buffer, static_cast<int>(end ? end - buffer : capacity));
}
} // namespace

int SensorLink::listDevices()
{
    hid_device_info* devices = hid_enumerate(0, 0);
    for (const hid_device_info* d = devices; d; d = d->next) {
        qDebug() << "Device Found\n  type: " << Qt::hex << d->vendor_id << " " << d->product_id
                 << Qt::endl
                 << "path: " << d->path << Qt::endl
                 << "serial_number: " << wideText(d->serial_number);
        qDebug() << "  Manufacturer: " << wideText(d->manufacturer_string);
        qDebug() << "  Product:      " << wideText(d->product_string);
        qDebug() << "  Release:      " << d->release_number;
        qDebug() << "  Interface:    " << d->interface_number;
        qDebug() << "\n";
    }
    hid_free_enumeration(devices);
    prepareReportBuffer();
    return 0;
}

void SensorLink::prepareReportBuffer()
{
    std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    receiveBuffer[0] = 0x01;
    receiveBuffer[1] = 0x81;
}

int SensorLink::openDevice()
{
    device = hid_open(vendorId, productId, nullptr);
    if (!device) {
        qDebug() << "unable to open device";
        return 1;
    }
    exchangeOpeningReports();
    return 0;
}

std::string SensorLink::listedPath()
{
    hid_device_info* found = hid_enumerate(vendorId, productId);
    const std::string path = found && found->path ? found->path : "";
    hid_free_enumeration(found);
    return path;
}

int SensorLink::openPath(const std::string& path)
{
    device = hid_open_path(path.c_str());
    if (!device)
        return 1;
    // Polling leaves the last input report in the buffer; the exchange must
    // send what it sends at start.
    prepareReportBuffer();
    exchangeOpeningReports();
    return 0;
}

void SensorLink::exchangeOpeningReports()
{
    // A failed read still logs the line, with the buffer emptied beforehand.
    const auto logString = [this](auto read, const char* failure, const char* label) {
        textBuffer[0] = 0;
        lastResult = read();
        if (lastResult < 0)
            log() << failure;
        log() << label << wideText(textBuffer, textBufferSize);
    };
    logString([this] { return hid_get_manufacturer_string(device, textBuffer, textBufferSize); },
              "Unable to read manufacturer string", "Manufacturer String: ");
    logString([this] { return hid_get_product_string(device, textBuffer, textBufferSize); },
              "Unable to read product string", "Product String: ");
    logString([this] { return hid_get_serial_number_string(device, textBuffer, textBufferSize); },
              "Unable to read serial number string", "Serial Number String: ");
    log() << "\n";
    logString([this] { return hid_get_indexed_string(device, 1, textBuffer, textBufferSize); },
              "Unable to read indexed string 1", "Indexed String 1: ");

    // A poll tick must never wait for the sensor.
    hid_set_nonblocking(device, 1);

    lastResult = hid_read(device, receiveBuffer, reportLength);

    // Bytes 5 to 16 go out as the probe read left them.
    const unsigned char featureHeader[] = {0x02, 0xA0, 0x0A, 0x00, 0x00};
    std::memcpy(receiveBuffer, featureHeader, sizeof featureHeader);
    lastResult = hid_send_feature_report(device, receiveBuffer, reportLength);
    if (lastResult < 0)
        log() << "Unable to send a feature report.";

    std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    receiveBuffer[0] = 0x02;
    lastResult = hid_get_feature_report(device, receiveBuffer, sizeof receiveBuffer);
    if (lastResult < 0) {
        log() << "Unable to get a feature report.";
        log() << wideText(hid_error(device));
    } else {
        log() << "Feature Report   ";
        const int received = std::min(lastResult, bufferSize);
        for (int i = 0; i < received; ++i)
            log() << static_cast<int>(receiveBuffer[i]);
        log() << "\n";
    }

    // The two output reports differ only in byte 1; the rest stays zero.
    const auto writeOutputReport = [this](unsigned char command, const char* failure) {
        receiveBuffer[0] = 0x01;
        receiveBuffer[1] = command;
        lastResult = hid_write(device, receiveBuffer, reportLength);
        if (lastResult < 0) {
            log() << failure;
            log() << "Error: " << wideText(hid_error(device));
        }
    };
    std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    writeOutputReport(0x80, "Unable to write()");
    writeOutputReport(0x81, "Unable to write() (2)");
}
