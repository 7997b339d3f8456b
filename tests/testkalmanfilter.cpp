// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor/kalmanfilter.h"

#include <QtTest>

class TestKalmanFilter : public QObject
{
    Q_OBJECT

private slots:
    void followsFromTheInitialState_data()
    {
        QTest::addColumn<QVector<unsigned int>>("samples");
        QTest::addColumn<QVector<int>>("estimates");

        QTest::newRow("full scale")
            << QVector<unsigned int>(5, 1023) << QVector<int>{613, 681, 731, 768, 797};
        QTest::newRow("600") << QVector<unsigned int>(5, 600)
                             << QVector<int>{528, 540, 549, 555, 560};
        QTest::newRow("zero") << QVector<unsigned int>(5, 0)
                              << QVector<int>{408, 340, 291, 253, 224};
        QTest::newRow("resting") << QVector<unsigned int>(50, 511) << QVector<int>(50, 511);
        // The estimate is 340.99999 in double precision but 341 once stored as
        // a float; the returned value truncates the former.
        QTest::newRow("no float rounding") << QVector<unsigned int>{0, 2} << QVector<int>{408, 340};
        QTest::newRow("beyond 10 bits") << QVector<unsigned int>{65535} << QVector<int>{13515};
    }

    void followsFromTheInitialState()
    {
        QFETCH(QVector<unsigned int>, samples);
        QFETCH(QVector<int>, estimates);

        KalmanFilter filter;
        QVector<int> produced;
        for (unsigned int z : samples)
            produced << filter.update(z);
        QCOMPARE(produced, estimates);
    }

    void settlesToASteadyGain()
    {
        KalmanFilter filter;
        for (int i = 0; i < 200; ++i)
            filter.update(511);
        QVERIFY(qAbs(filter.lastGain - 0.0488f) < 0.0005f);
        QVERIFY(qAbs(filter.errorCovariance - 0.2051f) < 0.0005f);
    }
};

QTEST_APPLESS_MAIN(TestKalmanFilter)
#include "testkalmanfilter.moc"
