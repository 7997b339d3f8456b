// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel form: widget tree, start values, texts, sheets and keys.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

const QString verticalSheet = QStringLiteral(R"(QSlider::groove:vertical {
border: 1px solid #000;
background: grey;
width: 8px;
border-radius: 4px;
}

QSlider::sub-page:vertical {
background: grey;
border: 1px solid #000;
width: 8px;
border-radius: 4px;
}

QSlider::add-page:vertical {
background: qlineargradient(x1: 0, y1: 0,    x2: 0, y2: 1,
    stop: 0 #66e, stop: 1 #bbf);
background: qlineargradient(x1: 0, y1: 0.2, x2: 1, y2: 1,
    stop: 0 #bbf, stop: 1 #55f);
border: 1px solid #000;
width: 8px;
border-radius: 4px;
}

QSlider::handle:vertical {
background: qlineargradient(x1:0, y1:0, x2:1, y2:1,
    stop:0 #a7a7a7, stop:1 #424242);
border: 1px solid #000;
height: 15px;
margin-right: -12px;
margin-left: -12px;
border-radius: 2px;
}

QSlider::handle:vertical:hover {
border: 1px solid #2a82da
}

QSlider::handle:vertical:focus {
border: 1px solid #2a82da
}

)");

const QString horizontalSheet = QStringLiteral(R"(QSlider::groove:horizontal {
border: 1px solid #000;
background: grey;
height: 8px;
border-radius: 4px;
}

QSlider::add-page:horizontal {
background: grey;
border: 1px solid #000;
height: 8px;
border-radius: 4px;
}

QSlider::sub-page:horizontal {
background: qlineargradient(x1: 0, y1: 0,    x2: 0, y2: 1,
    stop: 0 #66e, stop: 1 #bbf);
background: qlineargradient(x1: 0, y1: 0.2, x2: 1, y2: 1,
    stop: 0 #bbf, stop: 1 #55f);
border: 1px solid #000;
height: 8px;
border-radius: 4px;
}

QSlider::handle:horizontal {
background: qlineargradient(x1:0, y1:0, x2:1, y2:1,
    stop:0 #a7a7a7, stop:1 #424242);
border: 1px solid #000;
width: 15px;
margin-bottom: -12px;
margin-top: -12px;
border-radius: 2px;
}

QSlider::handle:horizontal:hover {
border: 1px solid #2a82da
}

QSlider::handle:horizontal:focus {
border: 1px solid #2a82da
}

)");

// Every widget member under its own name, to check that the member and the
// widget's objectName agree.
#define MEMBER(name)                                                                               \
    {                                                                                              \
        QStringLiteral(#name), ui.name                                                             \
    }
QHash<QString, QWidget*> members(const Ui_MainWindow& ui)
{
    return {
        MEMBER(centralwidget),
        MEMBER(ControlTabs),
        MEMBER(tab),
        MEMBER(AlertStatus),
        MEMBER(ActiveBox),
        MEMBER(AlertIndicators),
        MEMBER(PopupBox),
        MEMBER(SoundBox),
        MEMBER(WindowSwitchBox),
        MEMBER(groupBox_3),
        MEMBER(OpacityBox),
        MEMBER(OpacitySlider),
        MEMBER(label_5),
        MEMBER(label_6),
        MEMBER(label_7),
        MEMBER(SizeBox),
        MEMBER(SizeSlider),
        MEMBER(label_10),
        MEMBER(label_9),
        MEMBER(label_8),
        MEMBER(PopupLocation),
        MEMBER(PopupLocationSelectMenu),
        MEMBER(groupBox_4),
        MEMBER(PopupTimeSpinBox),
        MEMBER(label_2),
        MEMBER(TestButton01),
        MEMBER(ApplyButton),
        MEMBER(tab_2),
        MEMBER(BasicSensitivity),
        MEMBER(label_3),
        MEMBER(label_12),
        MEMBER(TrigLevelSlider),
        MEMBER(TimingBox),
        MEMBER(label),
        MEMBER(HoldTimeSpinBox),
        MEMBER(BasicSensitivity_2),
        MEMBER(SensitivitySlider),
        MEMBER(DefaultsButton),
        MEMBER(USBoutraw),
        MEMBER(label_4),
        MEMBER(customPlot),
        MEMBER(label_13),
        MEMBER(FilterOut),
        MEMBER(ApplyButton_2),
        MEMBER(EndProgramButton),
        MEMBER(OkButton),
        MEMBER(CancelButton),
        MEMBER(label_11),
        MEMBER(statusbar),
    };
}
#undef MEMBER

// Marks every text looked up in the form's context without disambiguation,
// so that a text which bypasses the lookup or is looked up otherwise stands
// out.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        if (qstrcmp(context, "MainWindow") != 0 || (disambiguation && *disambiguation) || n != -1)
            return QString();
        return QLatin1Char('~') + QString::fromUtf8(sourceText);
    }
};

QStringList widgetNames(const QObjectList& children)
{
    QStringList names;
    for (QObject* child : children)
        if (child->isWidgetType())
            names << child->objectName();
    return names;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void widgetTree_data();
    void widgetTree();
    void stackingOrder_data();
    void stackingOrder();
    void sliders_data();
    void sliders();
    void spinBoxes_data();
    void spinBoxes();
    void startValues();
    void styleSheets();
    void fonts();
    void texts_data();
    void texts();
    void textsGoThroughLookup();
    void locationMenu();
    void tabChain();
    void buttons_data();
    void buttons();
    void returnOnTabsTriggersNoButton();
    void windowName();
    void mainWindowBuildsForm();

private:
    QTemporaryDir configHome;
    QMainWindow* window = nullptr;
    Ui_MainWindow* ui = nullptr;
};

void TestForm::initTestCase()
{
    QVERIFY(configHome.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
}

void TestForm::init()
{
    window = new QMainWindow;
    ui = new Ui_MainWindow;
    ui->setupUi(window);
}

void TestForm::cleanup()
{
    delete ui;
    ui = nullptr;
    delete window;
    window = nullptr;
}

void TestForm::widgetTree_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QByteArray>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("focus"); // -1 where the class default is kept

    const int keep = -1;
    const int none = Qt::NoFocus;
    const int tab = Qt::TabFocus;
    auto row = [](const char* name, const char* parent, const char* cls, QRect g, int focus) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QByteArray(cls) << g << focus;
    };
    row("ControlTabs", "centralwidget", "QTabWidget", {10, 10, 551, 331}, keep);
    row("AlertStatus", "tab", "QGroupBox", {10, 10, 181, 51}, keep);
    row("ActiveBox", "AlertStatus", "QCheckBox", {10, 20, 161, 17}, none);
    row("AlertIndicators", "tab", "QGroupBox", {10, 80, 181, 121}, keep);
    row("PopupBox", "AlertIndicators", "QCheckBox", {20, 30, 141, 17}, none);
    row("SoundBox", "AlertIndicators", "QCheckBox", {20, 60, 111, 17}, none);
    row("WindowSwitchBox", "AlertIndicators", "QCheckBox", {20, 90, 121, 17}, none);
    row("groupBox_3", "tab", "QGroupBox", {200, 10, 341, 291}, keep);
    row("OpacityBox", "groupBox_3", "QGroupBox", {10, 20, 151, 181}, keep);
    row("OpacitySlider", "OpacityBox", "QSlider", {60, 20, 51, 141}, none);
    row("label_5", "OpacityBox", "QLabel", {10, 80, 47, 21}, keep);
    row("label_6", "OpacityBox", "QLabel", {110, 20, 47, 13}, keep);
    row("label_7", "OpacityBox", "QLabel", {110, 150, 47, 13}, keep);
    row("SizeBox", "groupBox_3", "QGroupBox", {170, 20, 151, 181}, keep);
    row("SizeSlider", "SizeBox", "QSlider", {60, 20, 51, 141}, none);
    row("label_10", "SizeBox", "QLabel", {120, 80, 47, 13}, keep);
    row("label_9", "SizeBox", "QLabel", {30, 20, 47, 13}, keep);
    row("label_8", "SizeBox", "QLabel", {40, 150, 47, 13}, keep);
    row("PopupLocation", "groupBox_3", "QGroupBox", {10, 220, 151, 61}, keep);
    row("PopupLocationSelectMenu", "PopupLocation", "QComboBox", {20, 30, 111, 22}, none);
    row("groupBox_4", "groupBox_3", "QGroupBox", {169, 219, 151, 61}, keep);
    row("PopupTimeSpinBox", "groupBox_4", "QSpinBox", {40, 30, 42, 22}, none);
    row("label_2", "groupBox_4", "QLabel", {90, 30, 47, 13}, keep);
    row("TestButton01", "tab", "QPushButton", {10, 220, 181, 31}, tab);
    row("ApplyButton", "tab", "QPushButton", {10, 260, 181, 31}, tab);
    row("BasicSensitivity", "tab_2", "QGroupBox", {140, 10, 91, 221}, keep);
    row("label_3", "BasicSensitivity", "QLabel", {10, 30, 31, 16}, keep);
    row("label_12", "BasicSensitivity", "QLabel", {10, 190, 31, 16}, keep);
    row("TrigLevelSlider", "BasicSensitivity", "QSlider", {30, 30, 51, 171}, none);
    row("TimingBox", "tab_2", "QGroupBox", {10, 10, 121, 61}, keep);
    row("label", "TimingBox", "QLabel", {70, 30, 61, 16}, keep);
    row("HoldTimeSpinBox", "TimingBox", "QSpinBox", {20, 30, 42, 22}, none);
    row("BasicSensitivity_2", "tab_2", "QGroupBox", {240, 240, 301, 61}, keep);
    row("SensitivitySlider", "BasicSensitivity_2", "QSlider", {20, 20, 261, 31}, none);
    row("DefaultsButton", "tab_2", "QPushButton", {10, 220, 121, 31}, tab);
    row("USBoutraw", "tab_2", "QLCDNumber", {30, 110, 64, 23}, keep);
    row("label_4", "tab_2", "QLabel", {30, 90, 81, 16}, keep);
    row("customPlot", "tab_2", "QCustomPlot", {240, 10, 301, 221}, keep);
    row("label_13", "tab_2", "QLabel", {30, 150, 81, 16}, keep);
    row("FilterOut", "tab_2", "QLCDNumber", {30, 170, 64, 23}, keep);
    row("ApplyButton_2", "tab_2", "QPushButton", {10, 260, 121, 31}, tab);
    row("EndProgramButton", "centralwidget", "QPushButton", {440, 350, 121, 31}, tab);
    row("OkButton", "centralwidget", "QPushButton", {20, 350, 121, 31}, tab);
    row("CancelButton", "centralwidget", "QPushButton", {154, 350, 111, 31}, tab);
    row("label_11", "centralwidget", "QLabel", {420, 10, 141, 16}, keep);
}

void TestForm::widgetTree()
{
    QFETCH(QString, parent);
    QFETCH(QByteArray, className);
    QFETCH(QRect, geometry);
    QFETCH(int, focus);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    QWidget* w = members(*ui).value(name);
    QVERIFY(w);
    QCOMPARE(w->objectName(), name);
    QCOMPARE(window->findChildren<QWidget*>(name).size(), 1);
    QCOMPARE(w->parentWidget(), members(*ui).value(parent));
    QCOMPARE(QByteArray(w->metaObject()->className()), className);
    QCOMPARE(w->geometry(), geometry);
    QVERIFY(w->isEnabled());
    if (focus >= 0)
        QCOMPARE(int(w->focusPolicy()), focus);
}

void TestForm::stackingOrder_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("children"); // bottom to top

    QTest::newRow("centralwidget")
        << "centralwidget"
        << QStringList{"ControlTabs", "EndProgramButton", "OkButton", "CancelButton", "label_11"};
    QTest::newRow("tab") << "tab"
                         << QStringList{"groupBox_3", "AlertStatus", "AlertIndicators",
                                        "TestButton01", "ApplyButton"};
    QTest::newRow("groupBox_3") << "groupBox_3"
                                << QStringList{"SizeBox", "groupBox_4", "OpacityBox",
                                               "PopupLocation"};
    QTest::newRow("tab_2") << "tab_2"
                           << QStringList{"BasicSensitivity", "TimingBox", "BasicSensitivity_2",
                                          "DefaultsButton",   "USBoutraw", "label_4",
                                          "customPlot",       "label_13",  "FilterOut",
                                          "ApplyButton_2"};
}

void TestForm::stackingOrder()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, children);
    QCOMPARE(widgetNames(members(*ui).value(parent)->children()), children);
}

void TestForm::sliders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("sheet");

    QTest::newRow("opacity") << "OpacitySlider" << 10 << 100 << 60 << int(Qt::Vertical)
                             << verticalSheet;
    QTest::newRow("size") << "SizeSlider" << 10 << 100 << 20 << int(Qt::Vertical) << verticalSheet;
    QTest::newRow("trigger level")
        << "TrigLevelSlider" << 1 << 100 << 60 << int(Qt::Vertical) << verticalSheet;
    QTest::newRow("sensitivity") << "SensitivitySlider" << 0 << 100 << 50 << int(Qt::Horizontal)
                                 << horizontalSheet;
}

void TestForm::sliders()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, orientation);
    QFETCH(QString, sheet);

    auto* slider = qobject_cast<QSlider*>(members(*ui).value(name));
    QVERIFY(slider);
    QCOMPARE(slider->minimum(), minimum);
    QCOMPARE(slider->maximum(), maximum);
    QCOMPARE(slider->value(), value);
    QCOMPARE(int(slider->orientation()), orientation);
    QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
    QCOMPARE(slider->tickInterval(), 10);
    QCOMPARE(slider->styleSheet(), sheet);
}

void TestForm::spinBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");

    QTest::newRow("visible time") << "PopupTimeSpinBox" << 1 << 120 << 3;
    QTest::newRow("hold time") << "HoldTimeSpinBox" << 1 << 360 << 10;
}

void TestForm::spinBoxes()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);

    auto* box = qobject_cast<QSpinBox*>(members(*ui).value(name));
    QVERIFY(box);
    QCOMPARE(box->minimum(), minimum);
    QCOMPARE(box->maximum(), maximum);
    QCOMPARE(box->value(), value);
}

void TestForm::startValues()
{
    QVERIFY(ui->ActiveBox->isChecked());
    QVERIFY(ui->PopupBox->isChecked());
    QVERIFY(!ui->SoundBox->isChecked());
    QVERIFY(!ui->WindowSwitchBox->isChecked());
    QCOMPARE(ui->WindowSwitchBox->toolTipDuration(), 5000);
    for (QLCDNumber* lcd : {ui->USBoutraw, ui->FilterOut}) {
        QCOMPARE(lcd->digitCount(), 4);
        QCOMPARE(lcd->intValue(), 0);
        QVERIFY(!lcd->smallDecimalPoint());
    }
    QCOMPARE(ui->ControlTabs->count(), 2);
    QCOMPARE(ui->ControlTabs->widget(0), ui->tab);
    QCOMPARE(ui->ControlTabs->widget(1), ui->tab_2);
    QCOMPARE(ui->ControlTabs->currentIndex(), 0);
}

void TestForm::styleSheets()
{
    QCOMPARE(ui->AlertStatus->styleSheet(), QStringLiteral("border: 0pt"));
    QCOMPARE(ui->OpacityBox->styleSheet(), QStringLiteral("border: 0pt"));
    QCOMPARE(ui->SizeBox->styleSheet(), QStringLiteral("border: 0pt "));
    // Everything else takes its look from the application.
    const QStringList styled{"AlertStatus", "OpacityBox",      "SizeBox",          "OpacitySlider",
                             "SizeSlider",  "TrigLevelSlider", "SensitivitySlider"};
    const auto all = members(*ui);
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (!styled.contains(it.key()))
            QVERIFY2(it.value()->styleSheet().isEmpty(), qPrintable(it.key()));
    QVERIFY(window->styleSheet().isEmpty());
}

void TestForm::fonts()
{
    const QFont group = ui->groupBox_3->font();
    QCOMPARE(group.family(), QStringLiteral("MS Shell Dlg 2"));
    QCOMPARE(group.pointSize(), 8);
    QVERIFY(!group.bold());
    QCOMPARE(group.weight(), 50);

    const QFont title = ui->label_11->font();
    QCOMPARE(title.family(), QStringLiteral("Yu Gothic UI Semibold"));
    QCOMPARE(title.pointSize(), 12);
    QVERIFY(title.bold());
    QCOMPARE(title.weight(), 75);
}

void TestForm::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, const char* property, const char* text) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(name, property)))
            << QString::fromLatin1(name) << QByteArray(property) << QString::fromLatin1(text);
    };
    row("AlertStatus", "title", "");
    row("ActiveBox", "text", "Activate Tessik Alerts");
    row("AlertIndicators", "title", "Alert Indicators");
    row("PopupBox", "text", "Notification Popup");
    row("SoundBox", "text", "Play Sound");
    row("WindowSwitchBox", "toolTip",
        "<html><head/><body><p>Boss Mode! <br> Minimizes all open windows and opens Explorer "
        "session.</p></body></html>");
    row("WindowSwitchBox", "text", "Window Switch");
    row("groupBox_3", "title", "Notification Popup Settings");
    row("OpacityBox", "title", "");
    row("label_5", "text", "Opacity");
    row("label_6", "text", "100%");
    row("label_7", "text", "10%");
    row("SizeBox", "title", "");
    row("label_10", "text", "Size");
    row("label_9", "text", "100%");
    row("label_8", "text", "10%");
    row("PopupLocation", "title", "Screen Location");
    row("groupBox_4", "title", "Visible Time");
    row("label_2", "text", "sec");
    row("TestButton01", "toolTip", "");
    row("TestButton01", "text", "Test Indicator");
    row("ApplyButton", "text", "Apply Changes");
    row("BasicSensitivity", "title", "Trigger Level");
    row("label_3", "text", "Less");
    row("label_12", "text", "More");
    row("TimingBox", "title", "Alert Hold Time");
    row("label", "text", "sec");
    row("BasicSensitivity_2", "title", "Filter Attenuation (INOPERATIVE)");
    row("DefaultsButton", "toolTip",
        "<html><head/><body><p>Changes have no effect until applied</p></body></html>");
    row("DefaultsButton", "text", "Restore Defaults");
    row("label_4", "text", "Sensor Output");
    row("label_13", "text", "Filter Output");
    row("ApplyButton_2", "text", "Apply Changes");
    row("EndProgramButton", "text", "End Program");
    row("OkButton", "text", "OK");
    row("CancelButton", "text", "Cancel");
    row("label_11", "text", "TESSIK CONTROL");
}

void TestForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QWidget* w = members(*ui).value(name);
    QCOMPARE(w->property(property).toString(), text);

    // Through the lookup, with the form's context.
    MarkingTranslator marker;
    QCoreApplication::installTranslator(&marker);
    ui->retranslateUi(window);
    QCoreApplication::removeTranslator(&marker);
    QCOMPARE(w->property(property).toString(), text.isEmpty() ? text : QLatin1Char('~') + text);
}

void TestForm::textsGoThroughLookup()
{
    ui->PopupLocationSelectMenu->setCurrentIndex(3);
    MarkingTranslator marker;
    QCoreApplication::installTranslator(&marker);
    ui->retranslateUi(window);
    QCoreApplication::removeTranslator(&marker);

    QCOMPARE(window->windowTitle(), QStringLiteral("~Bralm Tessik Control Panel"));
    QCOMPARE(ui->ControlTabs->tabText(0), QStringLiteral("~Settings"));
    QCOMPARE(ui->ControlTabs->tabText(1), QStringLiteral("~Advanced"));
    QCOMPARE(ui->PopupLocationSelectMenu->itemText(4), QStringLiteral("~Top Right"));
    // Translating again must not move the user's choice of screen corner.
    QCOMPARE(ui->PopupLocationSelectMenu->currentIndex(), 3);
    QCOMPARE(ui->PopupLocationSelectMenu->count(), 5);
}

void TestForm::locationMenu()
{
    const QStringList expected{"Bottom Left", "Bottom Right", "Center", "Top Left", "Top Right"};
    QStringList items;
    for (int i = 0; i < ui->PopupLocationSelectMenu->count(); ++i)
        items << ui->PopupLocationSelectMenu->itemText(i);
    QCOMPARE(items, expected);
    QCOMPARE(ui->PopupLocationSelectMenu->currentIndex(), 1);
}

void TestForm::tabChain()
{
    // Walk the focus chain once round and keep the widgets that Tab stops at.
    // A tab widget is represented in the chain by its tab bar; the bar's
    // scroll buttons (shown only when the tabs overflow) belong to it.
    QStringList stops;
    QWidget* start = ui->ControlTabs->findChild<QTabBar*>();
    QVERIFY(start);
    QVERIFY(start->focusPolicy() & Qt::TabFocus);
    QWidget* w = start;
    do {
        const bool stop = (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
        if (w == start)
            stops << ui->ControlTabs->objectName();
        else if (stop && !start->isAncestorOf(w))
            stops << (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
        w = w->nextInFocusChain();
    } while (w != start);

    const QStringList chain{"ControlTabs",  "TestButton01",     "ApplyButton",    "OkButton",
                            "CancelButton", "EndProgramButton", "DefaultsButton", "ApplyButton_2"};
    QCOMPARE(stops, chain);
}

void TestForm::buttons_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"TestButton01", "ApplyButton", "DefaultsButton", "ApplyButton_2",
                             "EndProgramButton", "OkButton", "CancelButton"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestForm::buttons()
{
    QFETCH(QString, name);
    auto* button = qobject_cast<QPushButton*>(members(*ui).value(name));
    QVERIFY(button);
    QVERIFY(!button->isDefault());
    QVERIFY(button->autoDefault());
    // Auto-default: a focused button answers Return.
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
}

void TestForm::returnOnTabsTriggersNoButton()
{
    QList<QSignalSpy*> spies;
    for (QPushButton* b : window->findChildren<QPushButton*>())
        spies << new QSignalSpy(b, &QPushButton::clicked);
    QTest::keyClick(ui->ControlTabs->findChild<QTabBar*>(), Qt::Key_Return);
    QTest::keyClick(ui->PopupLocationSelectMenu, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Return);
    for (QSignalSpy* spy : spies)
        QCOMPARE(spy->count(), 0);
    qDeleteAll(spies);
}

void TestForm::windowName()
{
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->size(), QSize(579, 406));
    QCOMPARE(window->centralWidget(), ui->centralwidget);
    QCOMPARE(window->statusBar(), ui->statusbar);
    QVERIFY(!window->findChild<QMenuBar*>());

    QMainWindow named;
    named.setObjectName(QStringLiteral("panel"));
    Ui_MainWindow form;
    form.setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("panel"));
}

void TestForm::mainWindowBuildsForm()
{
    MainWindow panel;
    QCOMPARE(panel.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(panel.windowTitle(), QStringLiteral("Bralm Tessik Control Panel"));
    QVERIFY(panel.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(panel.centralWidget(), panel.ui->centralwidget);
    // Nothing edited yet: the Settings tab's Apply starts disabled, the
    // Advanced tab's does not.
    QVERIFY(!panel.ui->ApplyButton->isEnabled());
    QVERIFY(panel.ui->ApplyButton_2->isEnabled());
}

QTEST_MAIN(TestForm)
#include "testform.moc"
