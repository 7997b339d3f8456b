// SPDX-License-Identifier: GPL-3.0-or-later
#include "mock/fakehidapi.h"

#include <hidapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <thread>

// A handle stays allocated for the whole run, so that a call on a closed one
// is counted instead of reading freed memory.
struct hid_device_
{
    int unplugs = 0; // the sensor's unplug count when it was opened
    bool open = true;
};

namespace fakehid {

namespace {
std::deque<hid_device> handles;

constexpr unsigned short sensorVendor = 0x2047;
constexpr unsigned short sensorProduct = 0x0301;

bool isSensor(const DeviceEntry& d)
{
    return d.vendorId == sensorVendor && d.productId == sensorProduct;
}

// Whether a call on the handle reaches a sensor that answers; plays a
// scripted reset first.
bool answers(hid_device* dev, const std::string& function)
{
    if (!dev->open) {
        ++state().callsOnClosedHandles;
        return false;
    }
    if (state().resetDuring == function) {
        state().resetDuring.clear();
        ++state().unplugs;
    }
    return dev->unplugs == state().unplugs;
}

hid_device* openHandle()
{
    if (state().opensToFail > 0) {
        --state().opensToFail;
        return nullptr;
    }
    ++state().openHandles;
    ++state().opens;
    handles.push_back({state().unplugs, true});
    return &handles.back();
}

int log(const char* function, const unsigned char* data, size_t dataLength, size_t length,
        int result)
{
    Call call;
    call.function = function;
    if (data)
        call.data.assign(data, data + dataLength);
    call.length = length;
    call.result = result;
    state().calls.push_back(call);
    return result;
}

wchar_t* duplicate(const std::optional<std::wstring>& text)
{
    if (!text)
        return nullptr;
    wchar_t* copy = new wchar_t[text->size() + 1];
    std::wmemcpy(copy, text->c_str(), text->size() + 1);
    return copy;
}

int copyString(hid_device* dev, const char* function, const std::optional<std::wstring>& text,
               wchar_t* out, size_t maxlen)
{
    if (!answers(dev, function) || !text || maxlen == 0)
        return log(function, nullptr, 0, maxlen, -1);
    const size_t n = std::min(text->size(), maxlen - 1);
    std::wmemcpy(out, text->c_str(), n);
    out[n] = L'\0';
    return log(function, nullptr, 0, maxlen, 0);
}
} // namespace

State& state()
{
    static State s;
    return s;
}

void reset()
{
    state() = State();
}

void queueReport(const Bytes& report)
{
    state().reads.push_back({static_cast<int>(report.size()), report});
}

void queueReading(unsigned int reading)
{
    queueReport({0x00, 0x00, static_cast<unsigned char>(reading & 0xFF),
                 static_cast<unsigned char>((reading >> 8) & 0xFF)});
}

void queueEmptyRead()
{
    state().reads.push_back({0, {}});
}

void queueFailedRead()
{
    state().reads.push_back({-1, {}});
}

void unplug()
{
    State& s = state();
    s.sensorPresent = false;
    s.unplugged = true;
    ++s.unplugs;
    s.devices.erase(std::remove_if(s.devices.begin(), s.devices.end(), isSensor), s.devices.end());
}

void plugIn(const std::string& path)
{
    State& s = state();
    s.sensorPresent = true;
    s.unplugged = false;
    DeviceEntry sensor;
    sensor.path = path;
    sensor.vendorId = sensorVendor;
    sensor.productId = sensorProduct;
    sensor.product = L"Fake Sensor";
    s.devices.push_back(sensor);
}

std::vector<std::string> callNames()
{
    std::vector<std::string> names;
    for (const Call& call : state().calls)
        names.push_back(call.function);
    return names;
}

std::vector<Call> callsTo(const std::string& function)
{
    std::vector<Call> found;
    for (const Call& call : state().calls)
        if (call.function == function)
            found.push_back(call);
    return found;
}

} // namespace fakehid

using fakehid::log;
using fakehid::state;

extern "C" {

int hid_init(void)
{
    ++state().initialised;
    return log("hid_init", nullptr, 0, 0, 0);
}

int hid_exit(void)
{
    state().initialised = 0;
    return log("hid_exit", nullptr, 0, 0, 0);
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    log("hid_enumerate", nullptr, 0, 0, static_cast<int>(state().devices.size()));
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const fakehid::DeviceEntry& d : state().devices) {
        if ((vendor_id && vendor_id != d.vendorId) || (product_id && product_id != d.productId))
            continue;
        auto* info = new hid_device_info{};
        info->path = new char[d.path.size() + 1];
        std::memcpy(info->path, d.path.c_str(), d.path.size() + 1);
        info->vendor_id = d.vendorId;
        info->product_id = d.productId;
        info->serial_number = fakehid::duplicate(d.serialNumber);
        info->release_number = d.releaseNumber;
        info->manufacturer_string = fakehid::duplicate(d.manufacturer);
        info->product_string = fakehid::duplicate(d.product);
        info->interface_number = d.interfaceNumber;
        *tail = info;
        tail = &info->next;
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devs)
{
    log("hid_free_enumeration", nullptr, 0, 0, 0);
    while (devs) {
        hid_device_info* next = devs->next;
        delete[] devs->path;
        delete[] devs->serial_number;
        delete[] devs->manufacturer_string;
        delete[] devs->product_string;
        delete devs;
        devs = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t*)
{
    hid_device* dev = nullptr;
    if (state().sensorPresent && vendor_id == fakehid::sensorVendor &&
        product_id == fakehid::sensorProduct)
        dev = fakehid::openHandle();
    log("hid_open", nullptr, 0, 0, dev ? 0 : -1);
    return dev;
}

hid_device* hid_open_path(const char* path)
{
    const std::vector<fakehid::DeviceEntry>& listed = state().devices;
    const bool isListedSensor = std::any_of(listed.begin(), listed.end(), [path](const auto& d) {
        return fakehid::isSensor(d) && d.path == path;
    });
    hid_device* dev = nullptr;
    if (state().sensorPresent && isListedSensor)
        dev = fakehid::openHandle();
    log("hid_open_path", reinterpret_cast<const unsigned char*>(path), std::strlen(path), 0,
        dev ? 0 : -1);
    return dev;
}

void hid_close(hid_device* dev)
{
    if (dev->open) {
        dev->open = false;
        --state().openHandles;
        ++state().closes;
    } else {
        ++state().callsOnClosedHandles;
    }
    log("hid_close", nullptr, 0, 0, 0);
}

int hid_set_nonblocking(hid_device* dev, int nonblock)
{
    const int result = fakehid::answers(dev, "hid_set_nonblocking") ? 0 : -1;
    return log("hid_set_nonblocking", nullptr, 0, static_cast<size_t>(nonblock), result);
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    if (!fakehid::answers(dev, "hid_read") || state().unplugged)
        return log("hid_read", nullptr, 0, length, -1);
    if (state().reads.empty())
        return log("hid_read", nullptr, 0, length, 0);
    fakehid::ReadStep step = state().reads.front();
    state().reads.pop_front();
    if (step.result > 0) {
        const size_t n = std::min({step.bytes.size(), length, static_cast<size_t>(step.result)});
        std::memcpy(data, step.bytes.data(), n);
        step.result = static_cast<int>(n);
    }
    return log("hid_read", nullptr, 0, length, step.result);
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int)
{
    return hid_read(dev, data, length);
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    int result = static_cast<int>(length);
    if (!state().writeResults.empty()) {
        result = state().writeResults.front();
        state().writeResults.pop_front();
    }
    if (!fakehid::answers(dev, "hid_write"))
        result = -1;
    return log("hid_write", data, length, length, result);
}

int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length)
{
    const int result =
        fakehid::answers(dev, "hid_send_feature_report") ? state().sendFeatureResult : -1;
    return log("hid_send_feature_report", data, length, length, result);
}

int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length)
{
    const unsigned char reportNumber = length > 0 ? data[0] : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(state().featureReportDelayMs));
    if (!fakehid::answers(dev, "hid_get_feature_report") || !state().featureReport)
        return log("hid_get_feature_report", &reportNumber, 1, length, -1);
    const fakehid::Bytes& report = *state().featureReport;
    const size_t n = std::min(report.size(), length);
    std::memcpy(data, report.data(), n);
    return log("hid_get_feature_report", &reportNumber, 1, length, static_cast<int>(n));
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return fakehid::copyString(dev, "hid_get_manufacturer_string", state().manufacturer, string,
                               maxlen);
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return fakehid::copyString(dev, "hid_get_product_string", state().product, string, maxlen);
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return fakehid::copyString(dev, "hid_get_serial_number_string", state().serialNumber, string,
                               maxlen);
}

int hid_get_indexed_string(hid_device* dev, int string_index, wchar_t* string, size_t maxlen)
{
    const std::optional<std::wstring> none;
    return fakehid::copyString(dev, "hid_get_indexed_string",
                               string_index == 1 ? state().indexedString1 : none, string, maxlen);
}

const wchar_t* hid_error(hid_device*)
{
    log("hid_error", nullptr, 0, 0, 0);
    return state().errorText.c_str();
}

} // extern "C"
