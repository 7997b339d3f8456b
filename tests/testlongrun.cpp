// SPDX-License-Identifier: GPL-3.0-or-later
// Weeks in the tray, compressed: a million poll ticks straight through the
// slot against a noisy sensor with bursts of motion, empty reads, short
// reports, read failures that make it look for the sensor again, and finally
// an unplug.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "sensor/sensorlink.h"
#include "settings/settingskeeper.h"

#include <QLoggingCategory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <algorithm>
#include <array>
#include <random>

namespace {
constexpr int ticks = 1000000;
} // namespace

class TestLongRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
    }

    void alertsOnlyOutsideHoldPeriodsAndGraphsStayBounded()
    {
        startFreshSensor();
        fakehid::plugIn("/dev/hidraw0");
        MainWindow window;
        window.loadControls(StoredSettings);
        constexpr int holdTicks = 200;
        window.settings->alertHoldWindow = holdTicks / 100;
        StartedProcessor dp(&window);
        dp.pollTimer->stop();
        const QCustomPlot* plot = window.findChild<QCustomPlot*>("customPlot");
        // A million ticks log a great many "waiting..." lines; only warnings
        // matter here.
        QLoggingCategory::setFilterRules("default.debug=false");

        const int unplugAt = ticks - ticks / 20;
        std::mt19937 random(20240611);
        std::uniform_int_distribution<int> percent(0, 999);
        std::uniform_int_distribution<int> noise(-6, 6);
        int burstLeft = 0;
        int burstLevel = 0;
        int bursts = 0;
        int alerts = 0;
        for (int t = 0; t < ticks; ++t) {
            bool reading = false;
            if (t == unplugAt)
                fakehid::unplug();
            const int roll = percent(random);
            if (burstLeft == 0 && roll == 0 && t < unplugAt) {
                burstLeft = 20 + percent(random) / 4;
                burstLevel = std::array<int, 4>{0, 120, 950, 65535}[percent(random) % 4];
                ++bursts;
            }
            if (t >= unplugAt || !dp.link->device) {
                // nothing to read until the sensor is back
            } else if (roll < 20) {
                fakehid::queueEmptyRead();
            } else if (roll < 30) {
                fakehid::queueReport(fakehid::Bytes(1 + roll % 3, 0x02));
            } else if (roll == 30) {
                // The sensor is closed and looked for again a second later.
                fakehid::queueFailedRead();
            } else {
                fakehid::queueReading(burstLeft > 0 ? burstLevel : 511 + noise(random));
                reading = true;
            }
            burstLeft = std::max(0, burstLeft - 1);

            const int before = window.alertHoldCount;
            pollOnce(dp);
            const int after = window.alertHoldCount;
            // activateAlert restarts the hold at 1 and the tick advances it.
            const bool alerted = before == 0 && after == 2;
            const bool held = before > 0 && before < holdTicks && after == before + 1;
            const bool released = before == holdTicks && after == 0;
            if (!(alerted || held || released || (before == 0 && after == 0)))
                QFAIL(qPrintable(
                    QString("tick %1: hold count %2 -> %3").arg(t).arg(before).arg(after)));
            if (alerted && !reading)
                QFAIL(qPrintable(QString("tick %1: alert without a reading").arg(t)));
            alerts += alerted;

            if (t % 4096 == 0) {
                fakehid::state().calls.clear();
                QVERIFY(plot->graph(0)->dataCount() <= 501);
                QVERIFY(plot->graph(1)->dataCount() <= 501);
            }
        }
        QLoggingCategory::setFilterRules(QString());
        // The plot catches up with the ticks it missed when it comes into view.
        window.findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        qInfo("%d ticks, %d bursts of motion, %d alerts", ticks, bursts, alerts);
        // Motion that outlasts the hold period alerts again, so a long burst
        // may raise more than one.
        QVERIFY(alerts > bursts / 2);
        QCOMPARE(dp.rawValue, DataProcessor::noReading);
        QVERIFY(dp.historyPos < unsigned(DataProcessor::historySize));
        QVERIFY(dp.baseline >= 500 && dp.baseline <= 523);
        QVERIFY(plot->graph(0)->dataCount() <= 501);
        QCOMPARE(plot->xAxis->range().size(), 500.0);
        QCOMPARE(fakehid::state().reads.size(), size_t(0));
    }
};

QTEST_MAIN(TestLongRun)
#include "testlongrun.moc"
