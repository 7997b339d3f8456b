// SPDX-License-Identifier: GPL-3.0-or-later
// The device listing and the opening exchange: the exact debug texts and the
// reports the sensor receives.
#include "mock/fakehidapi.h"
#include "sensor/sensorlink.h"
#include "support/messagecapture.h"

#include <QStringList>
#include <QtTest>

#include <memory>

namespace {
fakehid::Bytes report(std::initializer_list<unsigned char> head, size_t length = 17)
{
    fakehid::Bytes bytes(head);
    bytes.resize(length, 0x00);
    return bytes;
}

// The fake's default sensor strings and its three-byte feature report.
const QStringList stringLines = {
    "Manufacturer String:  \"Fake Maker\"", "Product String:  \"Fake Sensor\"",
    "Serial Number String:  \"0001\"", "\n", "Indexed String 1:  \"Fake Index\""};
const QStringList featureLines = {"Feature Report   ", "2", "16", "0", "\n"};

enum Failure
{
    ManufacturerFails = 1,
    ProductFails = 2,
    SerialFails = 4,
    IndexedFails = 8,
    SendFeatureFails = 16,
    GetFeatureFails = 32,
    FirstWriteFails = 64,
    SecondWriteFails = 128,
};
} // namespace

class TestDeviceOpening : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> log;

private slots:
    void init()
    {
        fakehid::reset();
        log = std::make_unique<MessageCapture>();
    }

    void cleanup() { log.reset(); }

    void listsEachDeviceInSixMessages()
    {
        fakehid::DeviceEntry sensor;
        sensor.path = "/dev/hidraw3";
        sensor.vendorId = 0x2047;
        sensor.productId = 0x0301;
        sensor.serialNumber = L"A1B2";
        sensor.releaseNumber = 0x0100;
        sensor.manufacturer = L"Maker Inc.";
        sensor.product = L"Motion Sensor";
        sensor.interfaceNumber = 0;

        fakehid::DeviceEntry mouse;
        mouse.path = "/dev/hidraw0";
        mouse.vendorId = 0x046d;
        mouse.productId = 0xc52b;
        mouse.releaseNumber = 0x1211;
        mouse.manufacturer = L"Logi";
        mouse.product = std::nullopt;
        mouse.interfaceNumber = 2;

        fakehid::DeviceEntry quoted;
        quoted.path = "/dev/hidraw7";
        quoted.vendorId = 0x0001;
        quoted.productId = 0xffff;
        quoted.serialNumber = L"x\\y";
        quoted.manufacturer = L"The \"Best\" Co";
        quoted.product = L"Pad \u00e9";
        quoted.interfaceNumber = -1;

        fakehid::state().devices = {sensor, mouse, quoted};
        SensorLink link;
        QCOMPARE(link.listDevices(), 0);

        const QStringList expected = {
            "Device Found\n  type:  2047   301 \npath:  /dev/hidraw3 \nserial_number:  \"A1B2\"",
            "  Manufacturer:  \"Maker Inc.\"",
            "  Product:       \"Motion Sensor\"",
            "  Release:       256",
            "  Interface:     0",
            "\n",
            "Device Found\n  type:  46d   c52b \npath:  /dev/hidraw0 \nserial_number:  \"\"",
            "  Manufacturer:  \"Logi\"",
            "  Product:       \"\"",
            "  Release:       4625",
            "  Interface:     2",
            "\n",
            "Device Found\n  type:  1   ffff \npath:  /dev/hidraw7 \nserial_number:  \"x\\\\y\"",
            "  Manufacturer:  \"The \\\"Best\\\" Co\"",
            QString::fromUtf8("  Product:       \"Pad \u00e9\""),
            "  Release:       0",
            "  Interface:     -1",
            "\n",
        };
        QCOMPARE(log->messages(), expected);
        QCOMPARE(fakehid::callNames(),
                 (std::vector<std::string>{"hid_enumerate", "hid_free_enumeration"}));
    }

    void listingPreparesTheBufferEvenWithoutDevices()
    {
        SensorLink link;
        std::fill(std::begin(link.receiveBuffer), std::end(link.receiveBuffer), 0xEE);
        QCOMPARE(link.listDevices(), 0);

        QVERIFY(log->messages().isEmpty());
        QCOMPARE(fakehid::callsTo("hid_free_enumeration").size(), size_t(1));
        QCOMPARE(int(link.receiveBuffer[0]), 0x01);
        QCOMPARE(int(link.receiveBuffer[1]), 0x81);
        QVERIFY(std::all_of(link.receiveBuffer + 2, std::end(link.receiveBuffer),
                            [](unsigned char b) { return b == 0; }));
    }

    void missingSensorOnlyReportsTheOpen()
    {
        fakehid::state().sensorPresent = false;
        SensorLink link;
        QCOMPARE(link.openDevice(), 1);
        QCOMPARE(log->messages(), QStringList{"unable to open device"});
        QCOMPARE(fakehid::callNames(), std::vector<std::string>{"hid_open"});
        QVERIFY(!link.device);
    }

    void exchangeSendsTheReports()
    {
        SensorLink link;
        link.listDevices();
        fakehid::state().calls.clear();
        QCOMPARE(link.openDevice(), 0);

        QCOMPARE(log->messages(), stringLines + featureLines);
        QCOMPARE(fakehid::callNames(),
                 (std::vector<std::string>{"hid_open", "hid_get_manufacturer_string",
                                           "hid_get_product_string", "hid_get_serial_number_string",
                                           "hid_get_indexed_string", "hid_set_nonblocking",
                                           "hid_read", "hid_send_feature_report",
                                           "hid_get_feature_report", "hid_write", "hid_write"}));
        for (const char* name : {"hid_get_manufacturer_string", "hid_get_product_string",
                                 "hid_get_serial_number_string", "hid_get_indexed_string"})
            QCOMPARE(fakehid::callsTo(name).at(0).length, size_t(255));
        QCOMPARE(fakehid::callsTo("hid_set_nonblocking").at(0).length, size_t(1));
        QCOMPARE(fakehid::callsTo("hid_read").at(0).length, size_t(17));

        const fakehid::Call featureOut = fakehid::callsTo("hid_send_feature_report").at(0);
        QCOMPARE(featureOut.length, size_t(17));
        QCOMPARE(featureOut.data, report({0x02, 0xA0, 0x0A, 0x00, 0x00}));

        const fakehid::Call featureIn = fakehid::callsTo("hid_get_feature_report").at(0);
        QCOMPARE(featureIn.length, size_t(256));
        QCOMPARE(featureIn.data, fakehid::Bytes{0x02});

        const std::vector<fakehid::Call> writes = fakehid::callsTo("hid_write");
        QCOMPARE(writes.at(0).data, report({0x01, 0x80}));
        QCOMPARE(writes.at(1).data, report({0x01, 0x81}));
        QVERIFY(link.device);
    }

    void featureReportCarriesWhatTheProbeReadLeft()
    {
        fakehid::Bytes probe(17);
        for (size_t i = 0; i < probe.size(); ++i)
            probe[i] = static_cast<unsigned char>(0x30 + i);
        fakehid::queueReport(probe);
        // The feature report read back fills the buffer beyond the write's 17
        // bytes; the writes must still carry zeros after their two bytes.
        fakehid::state().featureReport = fakehid::Bytes(256, 0x5A);

        SensorLink link;
        link.openDevice();

        fakehid::Bytes expected = probe;
        std::copy_n(fakehid::Bytes{0x02, 0xA0, 0x0A, 0x00, 0x00}.begin(), 5, expected.begin());
        QCOMPARE(fakehid::callsTo("hid_send_feature_report").at(0).data, expected);
        QCOMPARE(fakehid::callsTo("hid_write").at(0).data, report({0x01, 0x80}));
        QCOMPARE(fakehid::callsTo("hid_write").at(1).data, report({0x01, 0x81}));
        // One message per received byte between the heading and the line break.
        QCOMPARE(log->messages().size(), stringLines.size() + 1 + 256 + 1);
        QCOMPARE(log->messages().at(stringLines.size() + 1), QString("90"));
    }

    void eachFailureIsLoggedAndTheExchangeGoesOn_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<QStringList>("expected");

        const QString errorLine = "Error:  \"fake hidapi error\"";
        QTest::newRow("manufacturer")
            << int(ManufacturerFails)
            << QStringList{"Unable to read manufacturer string", "Manufacturer String:  \"\""} +
                   stringLines.mid(1) + featureLines;
        QTest::newRow("product") << int(ProductFails)
                                 << stringLines.mid(0, 1) +
                                        QStringList{"Unable to read product string",
                                                    "Product String:  \"\""} +
                                        stringLines.mid(2) + featureLines;
        QTest::newRow("serial number") << int(SerialFails)
                                       << stringLines.mid(0, 2) +
                                              QStringList{"Unable to read serial number string",
                                                          "Serial Number String:  \"\""} +
                                              stringLines.mid(3) + featureLines;
        QTest::newRow("indexed string")
            << int(IndexedFails)
            << stringLines.mid(0, 4) +
                   QStringList{"Unable to read indexed string 1", "Indexed String 1:  \"\""} +
                   featureLines;
        QTest::newRow("send feature")
            << int(SendFeatureFails)
            << stringLines + QStringList{"Unable to send a feature report."} + featureLines;
        QTest::newRow("get feature") << int(GetFeatureFails)
                                     << stringLines + QStringList{"Unable to get a feature report.",
                                                                  "\"fake hidapi error\""};
        QTest::newRow("first write")
            << int(FirstWriteFails)
            << stringLines + featureLines + QStringList{"Unable to write()", errorLine};
        QTest::newRow("second write")
            << int(SecondWriteFails)
            << stringLines + featureLines + QStringList{"Unable to write() (2)", errorLine};
        QTest::newRow("everything") << 0xFF
                                    << QStringList{"Unable to read manufacturer string",
                                                   "Manufacturer String:  \"\"",
                                                   "Unable to read product string",
                                                   "Product String:  \"\"",
                                                   "Unable to read serial number string",
                                                   "Serial Number String:  \"\"",
                                                   "\n",
                                                   "Unable to read indexed string 1",
                                                   "Indexed String 1:  \"\"",
                                                   "Unable to send a feature report.",
                                                   "Unable to get a feature report.",
                                                   "\"fake hidapi error\"",
                                                   "Unable to write()",
                                                   errorLine,
                                                   "Unable to write() (2)",
                                                   errorLine};
    }

    void eachFailureIsLoggedAndTheExchangeGoesOn()
    {
        QFETCH(int, failures);
        QFETCH(QStringList, expected);

        fakehid::State& fake = fakehid::state();
        if (failures & ManufacturerFails)
            fake.manufacturer = std::nullopt;
        if (failures & ProductFails)
            fake.product = std::nullopt;
        if (failures & SerialFails)
            fake.serialNumber = std::nullopt;
        if (failures & IndexedFails)
            fake.indexedString1 = std::nullopt;
        if (failures & SendFeatureFails)
            fake.sendFeatureResult = -1;
        if (failures & GetFeatureFails)
            fake.featureReport = std::nullopt;
        fake.writeResults = {(failures & FirstWriteFails) ? -1 : 17,
                             (failures & SecondWriteFails) ? -1 : 17};

        SensorLink link;
        // Leftovers of an earlier string must not show through a failed read.
        std::fill(std::begin(link.textBuffer), std::end(link.textBuffer), L'?');
        QCOMPARE(link.openDevice(), 0);
        QCOMPARE(log->messages(), expected);
        QCOMPARE(fakehid::callsTo("hid_set_nonblocking").size(), size_t(1));
        QCOMPARE(fakehid::callsTo("hid_write").size(), size_t(2));
        QVERIFY(link.device);
    }
};

QTEST_GUILESS_MAIN(TestDeviceOpening)
#include "testdeviceopening.moc"
