// SPDX-License-Identifier: GPL-3.0-or-later
// A scriptable stand-in for the hidapi C library. Tests link it in place of
// libhidapi, so the real SensorLink runs against reports, failures and
// unplugs that the test chooses, and every call is logged with its bytes.
#ifndef TESSIK_FAKEHIDAPI_H
#define TESSIK_FAKEHIDAPI_H

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace fakehid {

using Bytes = std::vector<unsigned char>;

struct Call
{
    std::string function;
    Bytes data;        // bytes handed to the library (writes, feature reports)
    size_t length = 0; // the length argument, where the function has one
    int result = 0;
};

struct DeviceEntry
{
    std::string path;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    std::optional<std::wstring> serialNumber;
    unsigned short releaseNumber = 0;
    std::optional<std::wstring> manufacturer;
    std::optional<std::wstring> product;
    int interfaceNumber = 0;
};

// What one hid_read returns: a positive result delivers the bytes.
struct ReadStep
{
    int result = 0;
    Bytes bytes;
};

struct State
{
    std::vector<DeviceEntry> devices; // what hid_enumerate lists
    bool sensorPresent = true;        // whether hid_open succeeds
    bool unplugged = false;           // every read fails from now on
    // Hot-plugging (see unplug and plugIn): handles opened before the last
    // unplug are dead; hid_open_path opens only a listed sensor.
    int unplugs = 0;
    int opensToFail = 0; // the next opens fail although the sensor is listed
    // The sensor resets as this function is called: handles opened before
    // die, and it is listed again at once.
    std::string resetDuring;
    int opens = 0;  // handles ever opened ...
    int closes = 0; // ... and closed
    int callsOnClosedHandles = 0;
    std::deque<ReadStep> reads; // empty queue: nothing waiting
    std::optional<std::wstring> manufacturer = std::wstring(L"Fake Maker");
    std::optional<std::wstring> product = std::wstring(L"Fake Sensor");
    std::optional<std::wstring> serialNumber = std::wstring(L"0001");
    std::optional<std::wstring> indexedString1 = std::wstring(L"Fake Index");
    int sendFeatureResult = 17;
    std::optional<Bytes> featureReport = Bytes{0x02, 0x10, 0x00}; // none: the call fails
    int featureReportDelayMs = 0; // how long reading it back takes, as for a sensor that hangs
    std::deque<int> writeResults; // queued results; default 17
    std::wstring errorText = L"fake hidapi error";
    int openHandles = 0;
    int initialised = 0;
    std::vector<Call> calls;
};

State& state();
// Back to a present sensor with nothing waiting and an empty call log.
void reset();

void queueReport(const Bytes& report);
// A four-byte input report carrying the reading in bytes 2 and 3.
void queueReading(unsigned int reading);
void queueEmptyRead();
void queueFailedRead();

// Pulls the sensor out: it leaves the listing, opens fail, and so does every
// call on a handle opened before.
void unplug();
// Plugs the sensor in on the given device node; hid_enumerate lists it there.
void plugIn(const std::string& path);

// Names of the logged calls, in order.
std::vector<std::string> callNames();
// The logged calls of one function.
std::vector<Call> callsTo(const std::string& function);

} // namespace fakehid

#endif
