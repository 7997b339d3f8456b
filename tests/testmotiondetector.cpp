// SPDX-License-Identifier: GPL-3.0-or-later
// The motion detector: trigger rule, baseline tracking, warm-up and hold,
// driven through the real poll loop against the fake sensor.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "sensor/kalmanfilter.h"
#include "sensor/triggerrule.h"
#include "settings/settingskeeper.h"

#include <QLoggingCategory>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

class TestMotionDetector : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<DataProcessor> dp;

    // Polls one reading; returns whether it raised an alert.
    bool pollReading(unsigned int reading)
    {
        fakehid::queueReading(reading);
        const int before = window->alertHoldCount;
        pollOnce(*dp);
        return before == 0 && window->alertHoldCount != 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(configHome.isValid());
        // The opening exchange and every empty read log; none of it matters here.
        QLoggingCategory::setFilterRules("default.debug=false");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
    }

    void init()
    {
        startFreshSensor();
        window = std::make_unique<MainWindow>();
        window->settings->readSettings(DefaultSettings);
        dp = std::make_unique<StartedProcessor>(window.get());
        // Ticks are driven by hand.
        dp->pollTimer->stop();
    }

    void cleanup()
    {
        dp.reset();
        window.reset();
    }

    void thresholdIsAShareOfTheHeadroom_data()
    {
        QTest::addColumn<int>("baseline");
        QTest::addColumn<QVector<unsigned int>>("thresholds");

        QTest::newRow("500") << 500 << QVector<unsigned int>{0, 5, 131, 262, 524};
        QTest::newRow("511") << 511 << QVector<unsigned int>{0, 5, 128, 256, 513};
        QTest::newRow("523") << 523 << QVector<unsigned int>{0, 5, 125, 250, 501};
    }

    void thresholdIsAShareOfTheHeadroom()
    {
        QFETCH(int, baseline);
        QFETCH(QVector<unsigned int>, thresholds);

        const unsigned int levels[] = {0, 1, 25, 50, 100};
        for (int i = 0; i < thresholds.size(); ++i) {
            const unsigned int t = thresholds[i];
            QCOMPARE(triggerThreshold(baseline, levels[i]), std::uint64_t(t));
            // Equal to the threshold triggers, one less does not, both ways.
            QVERIFY(motionTriggered(baseline + int(t), baseline, levels[i]));
            QVERIFY(motionTriggered(baseline - int(t), baseline, levels[i]));
            if (t > 0) {
                QVERIFY(!motionTriggered(baseline + int(t) - 1, baseline, levels[i]));
                QVERIFY(!motionTriggered(baseline - int(t) + 1, baseline, levels[i]));
            }
        }
    }

    void absurdLevelsNeverTrigger_data()
    {
        QTest::addColumn<int>("baseline");
        QTest::addColumn<unsigned int>("level");

        // The first three wrap to a threshold of 0 to 2 in 32-bit arithmetic.
        QTest::newRow("511, wraps to 0") << 511 << 8372256u;
        QTest::newRow("500, wraps to 2") << 500 << 8196503u;
        QTest::newRow("523, wraps to 4") << 523 << 8572790u;
        QTest::newRow("stored -1") << 511 << 0xFFFFFFFFu;
        QTest::newRow("just above 100") << 511 << 101u;
    }

    void absurdLevelsNeverTrigger()
    {
        QFETCH(int, baseline);
        QFETCH(unsigned int, level);

        for (int filtered = 0; filtered <= 65535; ++filtered)
            QVERIFY2(!motionTriggered(filtered, baseline, level),
                     qPrintable(QString::number(filtered)));
    }

    void absurdLevelIsHarmlessInTheLoop()
    {
        DataProcessor::warmedUp = 1;
        window->settings->tessikTrigLevel = 8372256u;
        for (int i = 0; i < 50; ++i)
            QVERIFY(!pollReading(1023));
        // Read afresh for every sample: a sane level fires on the next one.
        window->settings->tessikTrigLevel = 50;
        QVERIFY(pollReading(1023));
    }

    void firstTwentyReadingsAreNeverTested()
    {
        // Level 0: every tested reading triggers.
        window->settings->tessikTrigLevel = 0;
        for (int i = 1; i <= 20; ++i) {
            // Neither an empty read nor a short report advances the warm-up.
            fakehid::queueEmptyRead();
            pollOnce(*dp);
            fakehid::queueReport({0x00, 0x01});
            pollOnce(*dp);
            QVERIFY2(!pollReading(1023), qPrintable(QString::number(i)));
            QCOMPARE(DataProcessor::warmedUp, i == 20 ? 1 : 0);
        }
        QVERIFY(pollReading(1023));
    }

    void jumpFromRestAlertsOncePastTheThreshold()
    {
        KalmanFilter expected;
        for (int i = 0; i < 30; ++i) {
            expected.update(511);
            QVERIFY(!pollReading(511));
        }
        QCOMPARE(dp->baseline, 511);
        // Level 50 at baseline 511: a filtered 767 or more triggers.
        int filtered = 511;
        while (filtered < 767) {
            filtered = expected.update(1023);
            QCOMPARE(pollReading(1023), filtered >= 767);
        }
        QVERIFY(window->alertHoldCount != 0);
    }

    void triggerDuringHoldIsDropped()
    {
        DataProcessor::warmedUp = 1;
        window->settings->tessikTrigLevel = 0;
        window->alertHoldCount = 5;
        dp->detectMotion(511);
        QCOMPARE(window->alertHoldCount, 5);

        // Not queued: once the hold is over, a quiet sample raises nothing.
        window->alertHoldCount = 0;
        window->settings->tessikTrigLevel = 100;
        dp->detectMotion(511);
        QCOMPARE(window->alertHoldCount, 0);

        window->settings->tessikTrigLevel = 0;
        dp->detectMotion(511);
        QCOMPARE(window->alertHoldCount, 1);
    }

    void baselineIsTheRunningMode()
    {
        QCOMPARE(dp->trackBaseline(505), 505);
        QCOMPARE(dp->baselineCount, 1u);
        QCOMPARE(dp->trackBaseline(511), 511);
        QCOMPARE(dp->baselineCount, 21u);
        // 505 reaches 21, a tie, then 22.
        for (int i = 0; i < 20; ++i)
            QCOMPARE(dp->trackBaseline(505), 511);
        QCOMPARE(dp->histogram[505], 21u);
        QCOMPARE(dp->trackBaseline(505), 505);
        QCOMPARE(dp->baselineCount, 22u);
    }

    void onlyTheBandIsCounted_data()
    {
        QTest::addColumn<int>("filtered");
        QTest::addColumn<bool>("counted");

        QTest::newRow("499") << 499 << false;
        QTest::newRow("500") << 500 << true;
        QTest::newRow("523") << 523 << true;
        QTest::newRow("524") << 524 << false;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("beyond the table") << 65535 << false;
    }

    void onlyTheBandIsCounted()
    {
        QFETCH(int, filtered);
        QFETCH(bool, counted);

        std::vector<unsigned int> expected(std::begin(dp->histogram), std::end(dp->histogram));
        if (counted)
            ++expected[filtered];
        QCOMPARE(dp->trackBaseline(filtered), counted ? filtered : 511);
        QCOMPARE(dp->baselineCount, counted ? 1u : 0u);
        QCOMPARE(std::vector<unsigned int>(std::begin(dp->histogram), std::end(dp->histogram)),
                 expected);
    }

    void wrappedBinResetsTheHistogram()
    {
        dp->histogram[505] = 0xFFFFFFFFu;
        dp->histogram[520] = 7;
        dp->baseline = 520;
        dp->baselineCount = 7;

        QCOMPARE(dp->trackBaseline(505), 520);
        QCOMPARE(dp->baselineCount, 7u);
        for (int bin = 0; bin < DataProcessor::histogramSize; ++bin)
            QCOMPARE(dp->histogram[bin], bin == 511 ? 20u : 0u);
    }
};

QTEST_MAIN(TestMotionDetector)
#include "testmotiondetector.moc"
