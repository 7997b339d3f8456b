// SPDX-License-Identifier: GPL-3.0-or-later
// A sensor that is missing, unplugged, reset or moved to a new device node by
// a suspend is found again by the poll loop, about once a second.
#include "app/constants.h"
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "sensor/sensorlink.h"
#include "sensor/sensorlook.h"
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <random>

namespace {
const QString lostLine = "Sensor not connected; looking for it every second";
constexpr int look = DataProcessor::ticksBetweenLooks;
} // namespace

class TestReconnection : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;

    // Ticks until a reading gets through; returns how many it took.
    static int ticksUntilReading(DataProcessor& dp, int limit)
    {
        for (int t = 1; t <= limit; ++t) {
            if (dp.link->device || dp.look->over())
                fakehid::queueReading(511);
            pollOnce(dp);
            if (dp.rawValue == 511)
                return t;
        }
        return -1;
    }

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

    void sensorIsFoundAgain_data()
    {
        QTest::addColumn<bool>("presentAtStart");
        QTest::addColumn<int>("ticksAway");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("opensToFail");
        QTest::addColumn<QString>("resetDuring");
        QTest::addColumn<int>("failingSeconds"); // opened but never read before the unplug
        QTest::addColumn<int>("firstReadingTick");

        // A present sensor is lost on the first tick, looked for from then on.
        QTest::newRow("missing at start")
            << false << 0 << "/dev/hidraw0" << 0 << "" << 0 << look + 1;
        QTest::newRow("unplugged for 3 s")
            << true << 3 * look << "/dev/hidraw0" << 0 << "" << 0 << 3 * look + 2;
        QTest::newRow("resume, new node")
            << true << 0 << "/dev/hidraw4" << 0 << "" << 0 << look + 2;
        QTest::newRow("open fails once")
            << false << 0 << "/dev/hidraw0" << 1 << "" << 0 << 2 * look + 1;
        QTest::newRow("reset in the exchange")
            << false << 0 << "/dev/hidraw0" << 0 << "hid_send_feature_report" << 0 << 2 * look + 2;
        // However long a sensor that fails is held back, a replug is found
        // at the next look, 8 ticks after it here.
        QTest::newRow("replugged while held back")
            << true << look << "/dev/hidraw0" << 0 << "" << 70 << look + 8;
        QTest::newRow("held back, back on a new node")
            << true << 0 << "/dev/hidraw6" << 0 << "" << 70 << 8;
    }
    void sensorIsFoundAgain()
    {
        QFETCH(bool, presentAtStart);
        QFETCH(int, ticksAway);
        QFETCH(QString, path);
        QFETCH(int, opensToFail);
        QFETCH(QString, resetDuring);
        QFETCH(int, failingSeconds);
        QFETCH(int, firstReadingTick);
        fakehid::state().sensorPresent = presentAtStart;
        if (failingSeconds > 0) {
            fakehid::plugIn("/dev/hidraw0");
            fakehid::state().unplugged = true; // listed and opened, but every read fails
        }
        StartedProcessor dp(window.get());
        for (int t = 0; t < failingSeconds * look; ++t)
            pollOnce(dp);
        fakehid::unplug();
        for (int t = 0; t < ticksAway; ++t)
            pollOnce(dp);
        fakehid::plugIn(path.toStdString());
        fakehid::state().opensToFail = opensToFail;
        fakehid::state().resetDuring = resetDuring.toStdString();

        QCOMPARE(ticksAway + ticksUntilReading(dp, 5 * look), firstReadingTick);
        const fakehid::Call open = fakehid::callsTo("hid_open_path").back();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(open.data.data()), open.data.size()),
                 path.toUtf8());
        QCOMPARE(fakehid::state().openHandles, 1);
        QCOMPARE(fakehid::state().callsOnClosedHandles, 0);
    }

    // Found again: the exchange as at start, bytes included, without the
    // device listing; one line for the loss and one for the return.
    void returnRepeatsTheOpeningExchange()
    {
        fakehid::DeviceEntry mouse;
        mouse.path = "/dev/hidraw1";
        fakehid::state().devices = {mouse};
        MessageCapture log;
        StartedProcessor dp(window.get());
        const QStringList atStart = log.messages();

        // Connected with its first reading. A long report leaves bytes 5 to
        // 16 in the buffer.
        fakehid::queueReport(fakehid::Bytes(20, 0x77));
        pollOnce(dp);
        QCOMPARE(log.messages(), atStart + QStringList{"Sensor connected"});
        fakehid::unplug();
        fakehid::plugIn("/dev/hidraw0");
        log.clear();
        pollOnce(dp);
        for (int t = 0; t < look && !dp.look->over(); ++t)
            pollOnce(dp);
        // The exchange without the six lines that list the mouse.
        QCOMPARE(log.messages(), (QStringList{"Unable to read()\n", lostLine} + atStart.mid(6)));
        const auto featureReports = fakehid::callsTo("hid_send_feature_report");
        QCOMPARE(featureReports.back().data, featureReports.front().data);
    }

    // A sensor that takes 5 s to hand back its feature report, as one that does
    // not answer does up to the USB timeout: the GUI thread keeps its beat
    // from construction on, and End Program does not wait for the sensor.
    void aSlowSensorNeverHoldsUpThePoll_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("endProgram");
        QTest::newRow("found again") << false << false;
        QTest::newRow("at start") << true << false;
        QTest::newRow("End Program while it hangs") << true << true;
    }
    void aSlowSensorNeverHoldsUpThePoll()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, endProgram);
        fakehid::state().sensorPresent = atStart;
        fakehid::state().featureReportDelayMs = 5000;
        QElapsedTimer clock;
        clock.start();
        DataProcessor dp(window.get());
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        connect(dp.pollTimer, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - lastTick);
            lastTick = clock.elapsed();
        });
        if (!atStart) {
            dp.look->wait();
            fakehid::plugIn("/dev/hidraw0");
        }
        if (endProgram) {
            QTimer::singleShot(500, qApp, &QCoreApplication::quit);
            QApplication::exec();
            const qint64 ended = clock.elapsed();
            QVERIFY(!dp.closeSensor());
            QVERIFY(clock.elapsed() - ended < 1000);
            // Left behind; the test waits it out to end cleanly itself.
            dp.look->wait();
            QVERIFY(fakehid::callsTo("hid_exit").empty());
            delete dp.look;
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(dp.link->device, 10000);
        }
        qInfo("longest gap between ticks: %lld ms", longestGap);
        QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
    }

    // A sensor that opens but never gives a reading: tried again after 1, 2,
    // 4 ... 30 s, in one line each time, and never shown as connected; once
    // it answers, a new failure is tried again after 1 s.
    void aSensorThatNeverAnswersIsTriedLessAndLess()
    {
        fakehid::plugIn("/dev/hidraw0");
        fakehid::state().unplugged = true; // listed and opened, but every read fails
        StartedProcessor dp(window.get());
        QSignalSpy changes(&dp, &DataProcessor::sensorConnectionChanged);
        MessageCapture log;
        std::vector<int> openedAt;
        for (int t = 1; t <= 200 * look; ++t) {
            const int opens = fakehid::state().opens;
            pollOnce(dp);
            if (fakehid::state().opens != opens)
                openedAt.push_back(t);
        }
        const QList<int> waits{1, 2, 4, 8, 16, 30, 30, 30, 30, 30, 30};
        QStringList said{"Unable to read()\n"};
        for (int wait : waits)
            said << QString("Sensor gives no reading; trying it again in %1 s").arg(wait);
        QCOMPARE(log.messages(), said);
        QCOMPARE(openedAt.size(), size_t(10));
        QCOMPARE(openedAt.front(), look + 1);
        for (size_t i = 1; i < openedAt.size(); ++i)
            QCOMPARE(openedAt[i] - openedAt[i - 1], waits[int(i)] * look + 1);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(window->trayIcon->toolTip(),
                 QString("Bralm Tessik Control\nSensor not connected"));

        fakehid::state().unplugged = false;
        QVERIFY(ticksUntilReading(dp, 31 * look) > 0);
        QCOMPARE(changes.count(), 1);
        fakehid::state().unplugged = true;
        for (int t = 0; t < look + 2; ++t)
            pollOnce(dp);
        QCOMPARE(log.messages().last(), QString("Sensor gives no reading; trying it again in 1 s"));
    }

    void warmUpRestartsButTheBaselineStays()
    {
        window->settings->alertHoldWindow = 1;
        StartedProcessor dp(window.get());
        for (int i = 0; i < 30; ++i) {
            fakehid::queueReading(505);
            pollOnce(dp);
        }
        QCOMPARE(DataProcessor::warmedUp, 1);
        const int baseline = dp.baseline;

        fakehid::unplug();
        fakehid::plugIn("/dev/hidraw1");
        QCOMPARE(ticksUntilReading(dp, 2 * look), look + 2);
        QCOMPARE(dp.baseline, baseline);
        window->settings->tessikTrigLevel = 0; // every tested reading alerts
        // That reading was the first of twenty untested ones.
        for (int i = 2; i <= 20; ++i) {
            fakehid::queueReading(1023);
            pollOnce(dp);
            QCOMPARE(window->alertHoldCount, 0);
        }
        fakehid::queueReading(1023);
        pollOnce(dp);
        QVERIFY(window->alertHoldCount != 0);
    }

    void trayShowsWhetherTheSensorIsConnected()
    {
        fakehid::state().sensorPresent = false;
        StartedProcessor dp(window.get());
        const QIcon icon = window->windowIcon();
        const QSize size = icon.availableSizes().value(0);
        QVERIFY(!size.isEmpty());
        QCOMPARE(window->trayIcon->toolTip(),
                 QString("Bralm Tessik Control\nSensor not connected"));
        const QImage shown = window->trayIcon->icon().pixmap(size).toImage();
        QCOMPARE(shown, icon.pixmap(size, QIcon::Disabled).toImage());
        QVERIFY(shown != icon.pixmap(size).toImage());

        // Open but not read yet is not connected.
        fakehid::plugIn("/dev/hidraw0");
        for (int t = 0; t <= look; ++t)
            pollOnce(dp);
        QVERIFY(dp.link->device);
        QCOMPARE(window->trayIcon->toolTip(),
                 QString("Bralm Tessik Control\nSensor not connected"));
        fakehid::queueReading(511);
        pollOnce(dp);
        QCOMPARE(window->trayIcon->toolTip(), QString(appTitle));
        QCOMPARE(window->trayIcon->icon().cacheKey(), icon.cacheKey());
    }

    // Hours of a loose cable: unplugs, replugs on new nodes, failed opens,
    // resets in the middle of the exchange. Every open is closed once, the
    // library is released once at the end, each loss logs one line.
    void flappingSensorLeaksNothing()
    {
        const std::vector<std::string> exchangeSteps = {
            "hid_get_manufacturer_string", "hid_set_nonblocking",    "hid_read",
            "hid_send_feature_report",     "hid_get_feature_report", "hid_write"};
        std::mt19937 random(13);
        std::uniform_int_distribution<int> percent(0, 999);
        int losses = 0;
        int lostLines = 0;
        {
            MessageCapture log;
            StartedProcessor dp(window.get());
            QSignalSpy changes(&dp, &DataProcessor::sensorConnectionChanged);
            for (int t = 0; t < 10000; ++t) {
                const int roll = percent(random);
                fakehid::State& fake = fakehid::state();
                if (fake.sensorPresent && roll < 5)
                    fakehid::unplug();
                else if (!fake.sensorPresent && roll < 20)
                    fakehid::plugIn("/dev/hidraw" + std::to_string(t % 7));
                else if (roll == 20)
                    fake.opensToFail = 1;
                else if (roll == 21)
                    fake.resetDuring = exchangeSteps[t % exchangeSteps.size()];
                else if (dp.link->device && roll > 100)
                    fakehid::queueReading(505 + roll % 13);
                pollOnce(dp);
            }
            for (const QList<QVariant>& change : changes)
                losses += change.at(0).toBool() ? 0 : 1;
            QVERIFY2(losses > 20, qPrintable(QString::number(losses)));
            QVERIFY(fakehid::callsTo("hid_enumerate").size() <= size_t(10000 / look + 2));
            lostLines = log.messages().count(lostLine);
        }
        const fakehid::State& fake = fakehid::state();
        qInfo("%d losses, %d opens", losses, fake.opens);
        QCOMPARE(fake.opens, fake.closes);
        QCOMPARE(fake.openHandles, 0);
        QCOMPARE(fake.callsOnClosedHandles, 0);
        QCOMPARE(lostLines, losses);
        QCOMPARE(fakehid::callsTo("hid_init").size(), size_t(0));
        QCOMPARE(fakehid::callsTo("hid_exit").size(), size_t(1));
        QCOMPARE(fakehid::callNames().back(), std::string("hid_exit"));
    }
};

QTEST_MAIN(TestReconnection)
#include "testreconnection.moc"
