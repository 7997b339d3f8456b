// SPDX-License-Identifier: GPL-3.0-or-later
// The popup's size, corner and visible time, from the panel's values and
// the screen's available area.
#include "alerts/popupgeometry.h"

#include <QtTest>

namespace {
const QSize picture(684, 528);
}

class TestPopupGeometry : public QObject
{
    Q_OBJECT

private slots:
    void size_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("expected");
        const QRect wide(0, 0, 1920, 1040);
        QTest::newRow("10 %") << 10 << wide << picture << QSize(134, 104);
        QTest::newRow("20 %") << 20 << wide << picture << QSize(269, 208);
        QTest::newRow("100 %") << 100 << wide << picture << QSize(1347, 1040);
        QTest::newRow("1366x728") << 20 << QRect(0, 0, 1366, 728) << picture << QSize(188, 145);
        QTest::newRow("1920x1080") << 50 << QRect(0, 0, 1920, 1080) << picture << QSize(699, 540);
        // 0.7 in single precision is just below 0.7.
        QTest::newRow("70 % of 1000")
            << 70 << QRect(0, 0, 1000, 1000) << QSize(1000, 1000) << QSize(699, 699);
        // Only the area's size counts, not where it starts.
        QTest::newRow("offset area")
            << 20 << QRect(-300, 40, 1920, 1040) << picture << QSize(269, 208);
        QTest::newRow("unreadable picture") << 20 << wide << QSize(-1, -1) << QSize(0, 208);
        QTest::newRow("flat picture") << 20 << wide << QSize(684, 0) << QSize(0, 208);
        QTest::newRow("empty screen") << 20 << QRect() << picture << QSize(0, 0);
    }
    void size()
    {
        QFETCH(int, slider);
        QFETCH(QRect, available);
        QFETCH(QSize, picture);
        QFETCH(QSize, expected);
        QCOMPARE(popupSize(slider, available, picture), expected);
    }

    void corner_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");
        const QRect wide(0, 0, 1920, 1040);
        QTest::newRow("bottom left") << 0 << wide << QPoint(0, 832);
        QTest::newRow("bottom right") << 1 << wide << QPoint(1651, 832);
        QTest::newRow("center") << 2 << wide << QPoint(825, 416);
        QTest::newRow("top left") << 3 << wide << QPoint(0, 0);
        QTest::newRow("top right") << 4 << wide << QPoint(1651, 0);
        QTest::newRow("no current item") << -1 << wide << QPoint(1651, 832);
        QTest::newRow("past the list") << 5 << wide << QPoint(1651, 832);
        // A task bar on the top and left moves every corner with the area.
        const QRect shifted(60, 30, 1860, 1050);
        QTest::newRow("shifted bottom left") << 0 << shifted << QPoint(60, 872);
        QTest::newRow("shifted center") << 2 << shifted << QPoint(855, 451);
        QTest::newRow("shifted top right") << 4 << shifted << QPoint(1651, 30);
    }
    void corner()
    {
        QFETCH(int, index);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(popupTopLeft(index, available, QSize(269, 208)), expected);
    }

    void visibleTime_data()
    {
        QTest::addColumn<uint>("seconds");
        QTest::addColumn<int>("expected");
        QTest::newRow("3 s") << 3u << 3000;
        QTest::newRow("longest on the panel") << 120u << 120000;
        QTest::newRow("longest that fits") << 2147483u << 2147483000;
        QTest::newRow("one more") << 2147484u << 2147483000;
        QTest::newRow("damaged store") << 4294967295u << 2147483000;
    }
    void visibleTime()
    {
        QFETCH(uint, seconds);
        QFETCH(int, expected);
        QCOMPARE(popupVisibleMs(seconds), expected);
    }
};

QTEST_APPLESS_MAIN(TestPopupGeometry)
#include "testpopupgeometry.moc"
