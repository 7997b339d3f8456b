// SPDX-License-Identifier: GPL-3.0-or-later
// The live signal view: read-outs, the scrolling plot and its trigger band,
// pausing, bounded memory, and no drawing while nobody can see the plot.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "panel/liveview.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"

#include <QLCDNumber>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <memory>

class TestLiveView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;
    QCustomPlot* plot = nullptr;

    void tick(unsigned int baseline, unsigned int raw, unsigned int filtered)
    {
        window->showSensorValues(baseline, raw, filtered, 0, 0);
    }

    void showAdvancedTab()
    {
        window->findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(1);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Continues one fixed sequence of ticks, with the odd missing reading.
    int ticksFed = 0;
    void feed(int count)
    {
        for (int end = ticksFed + count; ticksFed < end; ++ticksFed) {
            const unsigned int filtered = ticksFed % 97 == 0 ? 9999 : (ticksFed * 53) % 1024;
            tick(500 + (ticksFed / 37) % 24, filtered == 9999 ? 9999 : filtered + 3, filtered);
        }
    }

    // Everything the live view puts on screen, as one list of numbers.
    QList<double> picture() const
    {
        QList<double> p;
        for (int graph : {0, 1})
            for (const QCPGraphData& d : *plot->graph(graph)->data())
                p << d.key << d.value;
        p << plot->xAxis->range().lower << plot->xAxis->range().upper;
        for (const QCPItemLine* line : {liveview::upperTriggerLine, liveview::lowerTriggerLine})
            for (const QCPItemPosition* end : {line->start, line->end})
                p << end->coords().x() << end->coords().y();
        for (const char* readOut : {"USBoutraw", "FilterOut"})
            p << window->findChild<QLCDNumber*>(readOut)->value();
        return p;
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
    }

    void init()
    {
        ticksFed = 0;
        liveview::plotKey = 0.0;
        liveview::plotRunning = true;
        window = std::make_unique<MainWindow>();
        window->loadControls(StoredSettings);
        plot = window->findChild<QCustomPlot*>("customPlot");
        QVERIFY(plot);
    }

    void cleanup() { window.reset(); }

    void firstTickDrawsKeyOneWithTheMirror()
    {
        showAdvancedTab();
        tick(511, 640, 600);
        QCOMPARE(window->findChild<QLCDNumber*>("USBoutraw")->intValue(), 640);
        QCOMPARE(window->findChild<QLCDNumber*>("FilterOut")->intValue(), 600);
        QCOMPARE(plot->graph(0)->dataCount(), 1);
        QCOMPARE(plot->graph(0)->data()->at(0)->key, 1.0);
        QCOMPARE(plot->graph(0)->data()->at(0)->value, 600.0);
        QCOMPARE(plot->graph(1)->data()->at(0)->value, 422.0);
        QCOMPARE(plot->xAxis->range().lower, -499.0);
        QCOMPARE(plot->xAxis->range().upper, 1.0);
    }

    void triggerBandFollowsTheSliderLive_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("lower");
        QTest::newRow("60") << 60 << 817.6 << 204.4;
        QTest::newRow("100") << 100 << 1022.0 << 0.0;
        QTest::newRow("1") << 1 << 516.11 << 505.89;
    }
    void triggerBandFollowsTheSliderLive()
    {
        QFETCH(int, slider);
        QFETCH(double, upper);
        QFETCH(double, lower);
        window->findChild<QSlider*>("TrigLevelSlider")->setValue(slider);
        showAdvancedTab();
        tick(511, 511, 511);
        tick(511, 511, 511);
        QCOMPARE(liveview::upperTriggerLine->start->coords(), QPointF(-498.0, upper));
        QCOMPARE(liveview::upperTriggerLine->end->coords(), QPointF(2.0, upper));
        QCOMPARE(liveview::lowerTriggerLine->start->coords(), QPointF(-498.0, lower));
        QCOMPARE(liveview::lowerTriggerLine->end->coords(), QPointF(2.0, lower));
    }

    void pressesOnThePlotPauseAndResumeWithoutAGap()
    {
        showAdvancedTab();
        QSignalSpy replots(plot, &QCustomPlot::afterReplot);
        QTest::mousePress(plot, Qt::LeftButton);
        QVERIFY(!liveview::plotRunning);
        for (int i = 0; i < 10; ++i)
            tick(511, 530, 520);
        QCOMPARE(replots.count(), 0);
        QCOMPARE(window->findChild<QLCDNumber*>("FilterOut")->intValue(), 520);
        QTest::mousePress(plot, Qt::RightButton);
        QVERIFY(liveview::plotRunning);
        tick(511, 530, 520);
        QCOMPARE(plot->graph(0)->dataCount(), 11);
        QVERIFY(replots.count() >= 1);
    }

    void noReadingShowsOnBothReadOuts()
    {
        showAdvancedTab();
        fakehid::reset();
        StartedProcessor dp(window.get());
        fakehid::queueFailedRead();
        pollOnce(dp);
        QCOMPARE(window->findChild<QLCDNumber*>("USBoutraw")->intValue(), 9999);
        QCOMPARE(window->findChild<QLCDNumber*>("FilterOut")->intValue(), 9999);
        QCOMPARE(plot->graph(0)->data()->at(0)->value, 9999.0);
    }

    void graphsStayBoundedOverLongRuns()
    {
        for (int i = 0; i < 100000; ++i)
            tick(511, 511, 500 + i % 30);
        showAdvancedTab();
        QVERIFY(plot->graph(0)->dataCount() <= 501);
        QVERIFY(plot->graph(1)->dataCount() <= 501);
        QCOMPARE(plot->graph(0)->data()->at(plot->graph(0)->dataCount() - 1)->key, 100000.0);
        QVERIFY(plot->graph(0)->data()->at(0)->key <= 100000.0 - 500.0);
    }

    // Drawing costs far more than the rest of a tick; nobody sees it while the
    // panel is hidden or the Settings tab is in front.
    void drawsOnlyWhileThePlotCanBeSeen()
    {
        QSignalSpy replots(plot, &QCustomPlot::afterReplot);
        for (int i = 0; i < 5; ++i)
            tick(511, 511, 511);
        QCOMPARE(replots.count(), 0);

        showAdvancedTab();
        QTRY_VERIFY(replots.count() >= 1); // drawn once on being shown
        replots.clear();
        tick(511, 600, 600);
        QCOMPARE(replots.count(), 1);

        window->findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(0);
        replots.clear();
        tick(511, 600, 600);
        QCOMPARE(replots.count(), 0);

        window->findChild<QTabWidget*>("ControlTabs")->setCurrentIndex(1);
        QCOMPARE(plot->xAxis->range().upper, liveview::plotKey); // caught up on showing
        QTRY_VERIFY(replots.count() >= 1);
        window->hide();
        replots.clear();
        tick(511, 600, 600);
        QCOMPARE(replots.count(), 0);
    }

    // Unseen ticks only keep their values; whenever the plot comes into view
    // it shows what updating it on every tick would have drawn.
    void unseenTicksLeaveThePictureOfEveryTickUpdates_data()
    {
        QTest::addColumn<int>("unseen");
        QTest::newRow("a few") << 7;
        QTest::newRow("a whole window") << 501;
        QTest::newRow("many") << 1234;
    }
    void unseenTicksLeaveThePictureOfEveryTickUpdates()
    {
        QFETCH(int, unseen);
        QTabWidget* tabs = window->findChild<QTabWidget*>("ControlTabs");
        QSlider* slider = window->findChild<QSlider*>("TrigLevelSlider");

        // On screen throughout. Both runs are paused only to save the drawing.
        showAdvancedTab();
        liveview::plotRunning = false;
        QList<QList<double>> expected;
        feed(300 + unseen);
        slider->setValue(37);
        feed(unseen);
        expected << picture();
        feed(unseen);
        expected << picture();
        feed(unseen);
        expected << picture();

        cleanup();
        init();
        tabs = window->findChild<QTabWidget*>("ControlTabs");
        slider = window->findChild<QSlider*>("TrigLevelSlider");
        showAdvancedTab();
        liveview::plotRunning = false;
        feed(300);
        window->hide();
        feed(unseen);
        slider->setValue(37);
        feed(unseen);
        window->show();
        QCOMPARE(picture(), expected[0]);

        window->showMinimized();
        QVERIFY(window->isMinimized());
        feed(unseen);
        window->showNormal();
        QCOMPARE(picture(), expected[1]);

        tabs->setCurrentIndex(0);
        window->showMinimized();
        feed(unseen);
        window->showNormal();
        tabs->setCurrentIndex(1);
        QCOMPARE(picture(), expected[2]);
    }
};

QTEST_MAIN(TestLiveView)
#include "testliveview.moc"
