// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of the panel can be read: it fits its widget, the window scales
// with the desktop, tool tips and the tray balloon have dark text on a light
// base. The display scale and the tray balloon are checked on an X server of
// the test's own whose Xft.dpi is $TESSIK_XFT_DPI
// (tests/support/xft-dpi-server.sh).
#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "app/windowsystem.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QStyleOptionGroupBox>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// WCAG 2 contrast ratio of two colours, 1 to 21.
double contrastRatio(QColor a, QColor b)
{
    auto luminance = [](QColor c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast between a picture's commonest colour (its base) and the pixel
// that stands out most from it (the core of a glyph).
double textContrast(const QImage& picture)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ++counts[picture.pixel(x, y)];
    QRgb base = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(base))
            base = it.key();
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(base), QColor(it.key())));
    return best;
}

// How wide the widget must be for its text: the font's advance plus the
// style's margins, indicator and arrow. A group box title must end inside the
// box.
int widthNeeded(QWidget* widget)
{
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        return box->style()
                   ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box)
                   .right() +
               1;
    }
    return widget->sizeHint().width();
}

// Ink laid per pixel of advance by "TESSIK CONTROL": a heavier face at the
// same size lays more.
double inkPerWidth(const QFont& font)
{
    const QString text = QStringLiteral("TESSIK CONTROL");
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text), metrics.height(), QImage::Format_Grayscale8);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(0, metrics.ascent(), text);
    painter.end();
    double ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) / 255.0;
    return ink / image.width();
}

QString textOf(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    return QString();
}

// The window's place on the X server and the screen's size, in device
// pixels.
QRect serverGeometry(QWidget* window, QSize* screen)
{
    Display* display = XOpenDisplay(nullptr);
    const auto id = static_cast<Window>(window->winId());
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, id, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, id, attributes.root, 0, 0, &x, &y, &child);
    *screen = QSize(DisplayWidth(display, DefaultScreen(display)),
                    DisplayHeight(display, DefaultScreen(display)));
    XCloseDisplay(display);
    return QRect(x, y, attributes.width, attributes.height);
}

// On a server of its own the test may start a tray and knows the scale.
bool ownServer()
{
    return qEnvironmentVariableIsSet("TESSIK_XFT_DPI");
}

QWidget* shownTopLevel(const char* className)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits(className) && widget->isVisible())
            return widget;
    return nullptr;
}

} // namespace

class TestReadability : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<MainWindow> window;

public:
    static void initMain() { enableDisplayScaling(); }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        setAppStyle();
        window = std::make_unique<MainWindow>();
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanupTestCase() { window.reset(); }

    void textFitsItsWidget_data()
    {
        QTest::addColumn<QWidget*>("widget");
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!textOf(widget).isEmpty())
                QTest::newRow(qPrintable(widget->objectName())) << widget;
        }
    }

    void textFitsItsWidget()
    {
        QFETCH(QWidget*, widget);
        const int needed = widthNeeded(widget);
        QVERIFY2(needed <= widget->width(),
                 qPrintable(QString("\"%1\" in %2 needs %3 px, has %4")
                                .arg(textOf(widget), QFontInfo(widget->font()).family())
                                .arg(needed)
                                .arg(widget->width())));
    }

    // Both ask for a normal weight: the title's face itself must be heavy.
    void titleIsClearlyHeavier()
    {
        const double title = inkPerWidth(window->ui->label_11->font());
        const double body = inkPerWidth(window->ui->OkButton->font());
        QVERIFY2(title > 1.3 * body, qPrintable(QString("%1 against %2").arg(title).arg(body)));
    }

    void windowsFollowTheDisplayScale_data()
    {
        QTest::addColumn<bool>("popup");
        QTest::newRow("panel") << false;
        QTest::newRow("popup") << true;
    }

    // GNOME and KDE announce a scale of 200 % as Xft.dpi 192. On the X
    // server each window is its logical geometry times the scale, and the
    // popup still touches the screen's corner.
    void windowsFollowTheDisplayScale()
    {
        QFETCH(bool, popup);
        if (!ownServer())
            QSKIP("needs a server of its own (xft-dpi-server.sh)");
        const double scale = qEnvironmentVariableIntValue("TESSIK_XFT_DPI") / 96.0;
        QWidget* shown = window.get();
        if (popup) {
            window->activateAlert(true);
            shown = window->popup;
            QVERIFY(QTest::qWaitForWindowExposed(shown));
        } else {
            QCOMPARE(window->size(), QSize(579, 406));
        }
        const QRect logical = shown->geometry();
        QSize screen;
        const QRect device = serverGeometry(shown, &screen);
        shown->hide();
        window->show();
        const QString message = QString("%1x%2 at %3,%4 on %5x%6, scale %7")
                                    .arg(device.width())
                                    .arg(device.height())
                                    .arg(device.x())
                                    .arg(device.y())
                                    .arg(screen.width())
                                    .arg(screen.height())
                                    .arg(scale);
        auto near = [](double a, double b) { return qAbs(a - b) <= 1; };
        QVERIFY2(near(device.width(), logical.width() * scale) &&
                     near(device.height(), logical.height() * scale) &&
                     near(device.x(), logical.x() * scale) && near(device.y(), logical.y() * scale),
                 qPrintable(message));
        if (popup)
            QVERIFY2(near(device.right() + 1, screen.width()) &&
                         near(device.bottom() + 1, screen.height()),
                     qPrintable(message));
    }

    // The panel's own fonts and looks, whatever the desktop's platform
    // theme: under another theme than Qt's generic one the panel is drawn
    // as a child test under the generic theme draws it
    // ($TESSIK_PANEL_PICTURE names the child's picture).
    void sameUnderEveryTheme_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("Settings") << 0;
        QTest::newRow("Advanced") << 1;
    }

    void sameUnderEveryTheme()
    {
        QFETCH(int, tab);
        window->ui->ControlTabs->setCurrentIndex(tab);
        const QImage picture = window->grab().toImage();
        const QString theme = qEnvironmentVariable("QT_QPA_PLATFORMTHEME");
        const QString wanted = qEnvironmentVariable("TESSIK_PANEL_PICTURE");
        if (!wanted.isEmpty()) {
            QVERIFY(picture.save(wanted));
            return;
        }
        if (theme == "generic" || ownServer())
            QSKIP("compares another theme with the generic one");
        QTemporaryDir pictures;
        QProcess generic;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORMTHEME", "generic");
        environment.insert("TESSIK_PANEL_PICTURE", pictures.filePath("generic.png"));
        generic.setProcessEnvironment(environment);
        generic.start(QCoreApplication::applicationFilePath(),
                      {QString("sameUnderEveryTheme:") + QTest::currentDataTag()});
        QVERIFY(generic.waitForFinished(60000) && generic.exitCode() == 0);
        const QImage expected(pictures.filePath("generic.png"));
        QCOMPARE(picture.convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
    }

    void toolTipPaletteIsDarkOnLight()
    {
        const QPalette tips = QToolTip::palette();
        QVERIFY(contrastRatio(tips.color(QPalette::ToolTipText),
                              tips.color(QPalette::ToolTipBase)) >= 4.5);
        QVERIFY(tips.color(QPalette::ToolTipBase).lightness() >
                tips.color(QPalette::ToolTipText).lightness());
    }

    void tipsAreReadable_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("Window Switch") << "WindowSwitchBox";
        QTest::newRow("Restore Defaults") << "DefaultsButton";
        QTest::newRow("tray balloon") << QString();
    }

    void tipsAreReadable()
    {
        QFETCH(QString, source);
        QProcess trayer;
        QSystemTrayIcon tray(window->windowIcon());
        QWidget* widget = source.isEmpty() ? nullptr : window->findChild<QWidget*>(source);
        if (widget != nullptr) {
            window->ui->ControlTabs->setCurrentWidget(widget->parentWidget());
        } else {
            if (!ownServer())
                QSKIP("needs a server of its own (xft-dpi-server.sh)");
            // The balloon needs a tray to point at; as in use, the icon sits
            // in the tray before an alert comes.
            trayer.start("trayer", {"--edge", "bottom", "--align", "right"});
            QVERIFY(trayer.waitForStarted());
            QTRY_VERIFY(QSystemTrayIcon::isSystemTrayAvailable());
            tray.show();
            QTRY_VERIFY(!tray.geometry().isEmpty());
        }
        // Shown again while none is up: a tray that settles late re-embeds
        // its icons and takes the balloon down with it.
        QWidget* tip = nullptr;
        auto shownTip = [&]() -> QWidget* {
            if (widget == nullptr) {
                if (QWidget* balloon = shownTopLevel("QBalloonTip"))
                    return balloon;
                tray.showMessage("Bralm Tessik", "Motion Alert!");
            } else {
                if (QWidget* label = shownTopLevel("QTipLabel"))
                    return label;
                QToolTip::showText(widget->mapToGlobal(QPoint(5, 5)), widget->toolTip(), widget);
            }
            return nullptr;
        };
        QTRY_VERIFY((tip = shownTip()) != nullptr);
        // Each text on its own, without the frame, the icons or the button.
        QList<QLabel*> texts = tip->findChildren<QLabel*>();
        texts.append(qobject_cast<QLabel*>(tip));
        double contrast = 21;
        for (QLabel* label : texts) {
            if (label == nullptr || label->text().isEmpty())
                continue;
            const QRect area = label->contentsRect().translated(label->mapTo(tip, QPoint()));
            contrast = std::min(contrast, textContrast(tip->grab(area).toImage()));
        }
        QToolTip::hideText();
        tip->hide();
        tray.hide();
        trayer.kill();
        trayer.waitForFinished();
        QVERIFY2(contrast >= 4.5, qPrintable(QString("contrast %1:1").arg(contrast)));
    }
};

QTEST_MAIN(TestReadability)
#include "testreadability.moc"
