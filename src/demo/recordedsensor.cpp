// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the hidapi C library that plays the built-in recording as a
// sensor would: one device is listed, the opening exchange is answered, and
// from the moment the device is opened a new reading is waiting every 10 ms.
// A reader that falls behind gets the latest reading, one that comes early
// finds nothing waiting.
#include "app/sensorsource.h"
#include "demo/recording.h"

#include <hidapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>

struct hid_device_
{
    std::chrono::steady_clock::time_point opened = std::chrono::steady_clock::now();
    long long lastSample = -1;
    // The last feature report sent, which the sensor hands back.
    unsigned char featureReport[17] = {};
};

namespace {

constexpr unsigned short vendorId = 0x2047;
constexpr unsigned short productId = 0x0301;
// hid_device_info holds non-const pointers; nothing writes through them.
char devicePath[] = "built-in recording";
wchar_t manufacturer[] = L"Tessik demo";
wchar_t product[] = L"Recorded motion sensor";
wchar_t noSerialNumber[] = L"";

int copyString(const wchar_t* text, wchar_t* out, size_t maxlen)
{
    if (maxlen == 0)
        return -1;
    const size_t n = std::min(std::wcslen(text), maxlen - 1);
    std::wmemcpy(out, text, n);
    out[n] = L'\0';
    return 0;
}

} // namespace

const char* sensorSourceNote()
{
    return recording::demoNote;
}

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    if ((vendor_id && vendor_id != vendorId) || (product_id && product_id != productId))
        return nullptr;
    auto* info = new hid_device_info{};
    info->path = devicePath;
    info->vendor_id = vendorId;
    info->product_id = productId;
    info->serial_number = noSerialNumber;
    info->release_number = 0x0100;
    info->manufacturer_string = manufacturer;
    info->product_string = product;
    return info;
}

void hid_free_enumeration(hid_device_info* devs)
{
    while (devs) {
        hid_device_info* next = devs->next;
        delete devs;
        devs = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t*)
{
    if (vendor_id != vendorId || product_id != productId)
        return nullptr;
    return new hid_device;
}

hid_device* hid_open_path(const char* path)
{
    return path && std::strcmp(path, devicePath) == 0 ? new hid_device : nullptr;
}

void hid_close(hid_device* dev)
{
    delete dev;
}

int hid_set_nonblocking(hid_device*, int)
{
    return 0;
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    using namespace std::chrono;
    const long long due = duration_cast<milliseconds>(steady_clock::now() - dev->opened).count() /
                          recording::sampleMs;
    if (due <= dev->lastSample)
        return 0;
    dev->lastSample = due;
    const int value = recording::reading(due);
    const unsigned char report[] = {0x00, 0x00, static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>((value >> 8) & 0xFF)};
    const size_t n = std::min(sizeof report, length);
    std::memcpy(data, report, n);
    return static_cast<int>(n);
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int)
{
    return hid_read(dev, data, length);
}

int hid_write(hid_device*, const unsigned char*, size_t length)
{
    return static_cast<int>(length);
}

int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length)
{
    std::memcpy(dev->featureReport, data, std::min(length, sizeof dev->featureReport));
    return static_cast<int>(length);
}

int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length)
{
    const size_t n = std::min(length, sizeof dev->featureReport);
    std::memcpy(data, dev->featureReport, n);
    return static_cast<int>(n);
}

int hid_get_manufacturer_string(hid_device*, wchar_t* string, size_t maxlen)
{
    return copyString(manufacturer, string, maxlen);
}

int hid_get_product_string(hid_device*, wchar_t* string, size_t maxlen)
{
    return copyString(product, string, maxlen);
}

int hid_get_serial_number_string(hid_device*, wchar_t* string, size_t maxlen)
{
    return copyString(noSerialNumber, string, maxlen);
}

int hid_get_indexed_string(hid_device*, int string_index, wchar_t* string, size_t maxlen)
{
    return string_index == 1 ? copyString(manufacturer, string, maxlen) : -1;
}

const wchar_t* hid_error(hid_device*)
{
    return L"Success";
}

} // extern "C"
