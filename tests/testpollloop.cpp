// SPDX-License-Identifier: GPL-3.0-or-later
// The 10 ms poll loop against the fake sensor: what one tick reads, what it
// passes on, and how it runs the alert hold counter.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "sensor/kalmanfilter.h"
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestPollLoop : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
    }

    void init()
    {
        startFreshSensor();
        window = std::make_unique<MainWindow>();
        window->settings->readSettings(DefaultSettings);
    }

    void missingSensorShowsNoReadingAndStillHoldsTestAlerts()
    {
        fakehid::state().sensorPresent = false;
        MessageCapture log;
        StartedProcessor dp(window.get());
        QCOMPARE(log.messages(),
                 (QStringList{"unable to open device", "USB open error",
                              "Sensor not connected; looking for it every second"}));

        log.clear();
        for (int i = 0; i < 5; ++i) {
            pollOnce(dp);
            QCOMPARE(dp.rawValue, 9999);
        }
        QVERIFY(log.messages().isEmpty());
        QVERIFY(fakehid::callsTo("hid_read").empty());
        QCOMPARE(dp.historyPos, 0u);
        QCOMPARE(dp.filter->estimate, 511.0f);

        window->activateAlert(true);
        pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 2);
    }

    void ticksWithoutAReadingLeaveTheDetectorAlone_data()
    {
        QTest::addColumn<int>("readResult");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("nothing waiting") << 0 << QStringList{"waiting...\n"};
        QTest::newRow("read failed")
            << -1
            << QStringList{"Unable to read()\n",
                           "Sensor not connected; looking for it every second"};
    }
    void ticksWithoutAReadingLeaveTheDetectorAlone()
    {
        QFETCH(int, readResult);
        QFETCH(QStringList, messages);
        StartedProcessor dp(window.get());
        fakehid::queueReading(700);
        fakehid::state().reads.push_back({readResult, {}});

        pollOnce(dp);
        QCOMPARE(dp.rawValue, 700);
        const unsigned int position = dp.historyPos;
        const float estimate = dp.filter->estimate;

        MessageCapture log;
        pollOnce(dp);
        QCOMPARE(dp.rawValue, 9999);
        QCOMPARE(log.messages(), messages);
        QCOMPARE(dp.historyPos, position);
        QCOMPARE(dp.filter->estimate, estimate);
    }

    // A lost sensor is closed and reported once, not on every tick.
    void unpluggedSensorIsReportedOnce()
    {
        StartedProcessor dp(window.get());
        fakehid::queueReading(511);
        pollOnce(dp);
        fakehid::unplug();
        MessageCapture log;
        for (int i = 0; i < 3 * DataProcessor::ticksBetweenLooks; ++i) {
            pollOnce(dp);
            QCOMPARE(dp.rawValue, 9999);
        }
        QCOMPARE(log.messages(),
                 (QStringList{"Unable to read()\n",
                              "Sensor not connected; looking for it every second"}));
        QCOMPARE(fakehid::callsTo("hid_read").size(), size_t(3)); // probe, reading, failed read
        QCOMPARE(fakehid::state().openHandles, 0);
    }

    void readingComesFromBytesTwoAndThree_data()
    {
        QTest::addColumn<fakehid::Bytes>("report");
        QTest::addColumn<int>("reading");
        QTest::newRow("low FF high 01") << fakehid::Bytes{9, 9, 0xFF, 0x01} << 511;
        QTest::newRow("no sign extension") << fakehid::Bytes{0, 0, 0xFF, 0xFF} << 65535;
        QTest::newRow("longer report") << fakehid::Bytes{1, 2, 0x34, 0x12, 0x77, 0x88} << 0x1234;
    }
    void readingComesFromBytesTwoAndThree()
    {
        QFETCH(fakehid::Bytes, report);
        QFETCH(int, reading);
        StartedProcessor dp(window.get());
        fakehid::queueReport(report);
        pollOnce(dp);
        QCOMPARE(dp.rawValue, reading);
        QCOMPARE(dp.historyPos, 1u);
    }

    // A report too short to carry bytes 2 and 3 must not pass off the
    // previous report's reading as a new one.
    void shortReportIsATickWithoutAReading()
    {
        StartedProcessor dp(window.get());
        fakehid::queueReading(800);
        fakehid::queueReport({0x00, 0x01, 0x02});
        pollOnce(dp);
        MessageCapture log;
        pollOnce(dp);
        QCOMPARE(dp.rawValue, 9999);
        QCOMPARE(dp.historyPos, 1u);
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages().first().contains("Short report"));
    }

    void genuineReadingOf9999ReachesTheDetector()
    {
        StartedProcessor dp(window.get());
        fakehid::queueReading(9999);
        pollOnce(dp);
        QCOMPARE(dp.rawValue, 9999);
        QCOMPARE(dp.historyPos, 1u);
        QVERIFY(dp.filter->estimate > 511.0f);
    }

    // An alert on tick t sets the count to 1; the same tick makes it 2.
    void holdCounterRunsTickByTick()
    {
        window->settings->alertHoldWindow = 1;
        fakehid::state().sensorPresent = false; // quiet ticks: the count runs regardless
        StartedProcessor dp(window.get());
        window->alertHoldCount = 1; // as an alert raised during this tick would
        pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 2);
        for (int t = 1; t <= 98; ++t)
            pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 100);
        pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 0);
        pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 0);
    }

    void zeroHoldTimeClearsInTheAlertTick()
    {
        window->settings->alertHoldWindow = 0;
        fakehid::state().sensorPresent = false; // quiet ticks: the count runs regardless
        StartedProcessor dp(window.get());
        window->alertHoldCount = 1;
        pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 0);
    }

    // 3,000,000 s times 1000 does not fit 32 bits; the hold must still hold.
    void hugeHoldTimeDoesNotOverflow()
    {
        window->settings->alertHoldWindow = 3000000;
        fakehid::state().sensorPresent = false; // quiet ticks: the count runs regardless
        StartedProcessor dp(window.get());
        window->alertHoldCount = 1;
        for (int t = 0; t < 1000; ++t)
            pollOnce(dp);
        QCOMPARE(window->alertHoldCount, 1001);
    }

    void destructionClosesTheSensorThenTheLibrary()
    {
        {
            StartedProcessor dp(window.get());
            fakehid::state().calls.clear();
        }
        QCOMPARE(fakehid::callNames(), (std::vector<std::string>{"hid_close", "hid_exit"}));
        QCOMPARE(fakehid::state().openHandles, 0);
    }

    void openingLeavesTheSensorNonBlocking()
    {
        StartedProcessor dp(window.get());
        const auto calls = fakehid::callsTo("hid_set_nonblocking");
        QVERIFY(!calls.empty());
        QCOMPARE(calls.back().length, size_t(1));
    }
};

QTEST_MAIN(TestPollLoop)
#include "testpollloop.moc"
