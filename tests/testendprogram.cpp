// SPDX-License-Identifier: GPL-3.0-or-later
// "End Program" leaves through the event loop, so the sensor is closed
// after it returns.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestEndProgram : public QObject
{
    Q_OBJECT

private slots:
    void endProgramReturnsZeroThenClosesTheSensor()
    {
        QTemporaryDir configHome;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        QApplication::setQuitOnLastWindowClosed(false);
        fakehid::reset();

        // As main builds them.
        auto window = std::make_unique<MainWindow>();
        window->show();
        window->loadControls(StoredSettings);
        auto dataProcessor = std::make_unique<DataProcessor>(window.get());
        QTimer::singleShot(100, window.get(), [&window] {
            QTest::mouseClick(window->ui->EndProgramButton, Qt::LeftButton);
        });
        // Should the button not end the loop, fail instead of hanging.
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(fakehid::state().openHandles, 1);

        fakehid::state().calls.clear();
        dataProcessor.reset();
        QCOMPARE(fakehid::callNames(), (std::vector<std::string>{"hid_close", "hid_exit"}));
        QCOMPARE(fakehid::state().openHandles, 0);
    }
};

QTEST_MAIN(TestEndProgram)
#include "testendprogram.moc"
