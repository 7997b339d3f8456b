// SPDX-License-Identifier: GPL-3.0-or-later
// The application's look and the frameless window dragged by its background.
#include "app/appstyle.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// A press or a move with the left button held, at a point of the widget.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint local)
{
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        setAppStyle();
    }

    void init()
    {
        window = std::make_unique<MainWindow>();
        window->move(100, 100);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() { window.reset(); }

    void appStyleIsDarkFusionWithTheSheet()
    {
        // The style sheet wraps the style in a proxy; look beneath it.
        const QString sheet = qApp->styleSheet();
        qApp->setStyleSheet(QString());
        QCOMPARE(QApplication::style()->objectName().toLower(), QString("fusion"));
        qApp->setStyleSheet(sheet);
        const QPalette palette = QApplication::palette();
        QCOMPARE(palette.color(QPalette::Active, QPalette::Window), QColor(53, 53, 53));
        QCOMPARE(palette.color(QPalette::Inactive, QPalette::Base), QColor(25, 25, 25));
        QCOMPARE(palette.color(QPalette::Active, QPalette::Highlight), QColor(42, 130, 218));
        QCOMPARE(palette.color(QPalette::Active, QPalette::ButtonText), QColor(Qt::white));
        QCOMPARE(palette.color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::darkGray));
        QCOMPARE(palette.color(QPalette::Disabled, QPalette::WindowText), QColor(Qt::darkGray));
        QCOMPARE(qApp->styleSheet(),
                 QString(" QWidget { font-size:10pt; font:\"Eras Demi ITC\"; }") +
                     QString(25, ' '));
    }

    void windowIsFrameless()
    {
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    }

    // Each move shifts the window by exactly the cursor's displacement.
    void draggingTheBackgroundMovesTheWindow()
    {
        QWidget* background = window->centralWidget();
        const QPoint start = window->pos();
        sendMouse(background, QEvent::MouseButtonPress, QPoint(300, 395));
        sendMouse(background, QEvent::MouseMove, QPoint(330, 385));
        QCOMPARE(window->pos(), start + QPoint(30, -10));
        // The window moved under the cursor: the same local point is now a
        // different place on the screen, 5 pixels further left.
        sendMouse(background, QEvent::MouseMove, QPoint(295, 395));
        QCOMPARE(window->pos(), start + QPoint(30 - 5, -10));
    }

    void draggingAButtonDoesNotMoveTheWindow()
    {
        auto* button = window->findChild<QPushButton*>("OkButton");
        const QPoint start = window->pos();
        sendMouse(button, QEvent::MouseButtonPress, QPoint(10, 10));
        sendMouse(button, QEvent::MouseMove, QPoint(60, 40));
        QCOMPARE(window->pos(), start);
        QMouseEvent release(QEvent::MouseButtonRelease, QPoint(200, 200), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &release); // outside the button: no click
    }
};

QTEST_MAIN(TestMainWindow)
#include "testmainwindow.moc"
