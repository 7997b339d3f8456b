// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel's load, Apply, OK, Cancel, Restore Defaults and master
// switch against a throwaway settings store.
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"
#include "support/openedurls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/resource.h>

namespace {
template <typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(name);
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

// What the eleven controls show, in the store's key order.
QList<int> shown(QWidget& w)
{
    return {child<QCheckBox>(w, "ActiveBox")->isChecked(),
            child<QCheckBox>(w, "PopupBox")->isChecked(),
            child<QCheckBox>(w, "SoundBox")->isChecked(),
            child<QCheckBox>(w, "WindowSwitchBox")->isChecked(),
            child<QSlider>(w, "OpacitySlider")->value(),
            child<QSlider>(w, "SizeSlider")->value(),
            child<QComboBox>(w, "PopupLocationSelectMenu")->currentIndex(),
            child<QSpinBox>(w, "PopupTimeSpinBox")->value(),
            child<QSpinBox>(w, "HoldTimeSpinBox")->value(),
            child<QSlider>(w, "SensitivitySlider")->value(),
            child<QSlider>(w, "TrigLevelSlider")->value()};
}

const QStringList keys{"alertEnabled",        "popupEnabled",     "soundEnabled",
                       "windowSwitchEnabled", "popupOpacity",     "popupSize",
                       "userPopupLocation",   "popupDisplayTime", "alertHoldWindow",
                       "tessikSensitivity",   "tessikTrigLevel"};
const QList<int> defaults{1, 1, 0, 0, 60, 20, 1, 3, 10, 25, 50};

// While in scope every write to a regular file fails, as on a full disk;
// unlike file permissions this stops root too.
class FullDisk
{
public:
    FullDisk() : previous(signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    void (*previous)(int);
    rlimit saved{};
};
// OK and Cancel hide the panel into the tray, or minimise it without one.
bool putAway(const QWidget& w)
{
    return w.isHidden() || w.isMinimized();
}

bool applyEnabled(QWidget& w)
{
    const bool first = child<QPushButton>(w, "ApplyButton")->isEnabled();
    const bool second = child<QPushButton>(w, "ApplyButton_2")->isEnabled();
    if (first != second)
        qFatal("the two Apply buttons disagree");
    return first;
}
} // namespace

class TestPanelActions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> configHome;
    std::unique_ptr<MainWindow> window;
    // A stored Window Switch opens the home folder on an alert.
    OpenedUrls opened;

    void storeSet(const QVariantMap& values)
    {
        SettingsKeeper store;
        store.readSettings(DefaultSettings);
        QVERIFY(store.writeSettings() == 0);
        for (auto it = values.begin(); it != values.end(); ++it)
            store.setValue(it.key(), it.value());
    }

    void startPanel()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        window->loadControls(StoredSettings);
    }

    QVariant stored(const QString& key) const
    {
        SettingsKeeper store;
        return store.value(key);
    }

private slots:
    void init()
    {
        configHome = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome->path());
    }

    void cleanup() { window.reset(); }

    void emptyStoreShowsDefaultsWithApplyOff()
    {
        startPanel();
        QCOMPARE(shown(*window), defaults);
        QVERIFY(!applyEnabled(*window));
    }

    void editFocusesTheCurrentTabsApplyButton()
    {
        startPanel();
        child<QTabWidget>(*window, "ControlTabs")->setCurrentIndex(1);
        child<QSlider>(*window, "TrigLevelSlider")->setValue(70);
        QVERIFY(applyEnabled(*window));
        QCOMPARE(window->focusWidget(), child<QPushButton>(*window, "ApplyButton_2"));

        child<QTabWidget>(*window, "ControlTabs")->setCurrentIndex(0);
        child<QComboBox>(*window, "PopupLocationSelectMenu")->setCurrentIndex(3);
        QCOMPARE(window->focusWidget(), child<QPushButton>(*window, "ApplyButton"));
    }

    void uncoupledControlsLeaveApplyOffButAreSaved()
    {
        startPanel();
        QTest::mouseClick(child<QCheckBox>(*window, "PopupBox"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(*window, "SoundBox"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(*window, "WindowSwitchBox"), Qt::LeftButton);
        child<QSlider>(*window, "SensitivitySlider")->setValue(77);
        QVERIFY(!applyEnabled(*window));

        QTest::mouseClick(child<QPushButton>(*window, "OkButton"), Qt::LeftButton);
        QVERIFY(putAway(*window));
        QCOMPARE(stored("popupEnabled").toBool(), false);
        QCOMPARE(stored("soundEnabled").toBool(), true);
        QCOMPARE(stored("windowSwitchEnabled").toBool(), true);
        QCOMPARE(stored("tessikSensitivity").toInt(), 77);
    }

    void okWithoutEditsWritesEveryKeyWithItsType()
    {
        startPanel();
        QTest::mouseClick(child<QPushButton>(*window, "OkButton"), Qt::LeftButton);
        QVERIFY(putAway(*window));
        SettingsKeeper& store = *window->settings;
        QCOMPARE(store.allKeys().size(), 11);
        for (const char* key :
             {"alertEnabled", "popupEnabled", "soundEnabled", "windowSwitchEnabled"})
            QCOMPARE(store.value(key).type(), QVariant::Bool);
        QCOMPARE(store.value("userPopupLocation").type(), QVariant::Int);
        for (const char* key : {"popupOpacity", "popupSize", "popupDisplayTime", "alertHoldWindow",
                                "tessikSensitivity", "tessikTrigLevel"})
            QCOMPARE(store.value(key).type(), QVariant::UInt);
    }

    void cancelReturnsToTheValuesInMemory()
    {
        storeSet({{"popupOpacity", 40u}});
        startPanel();
        const QByteArray before = [] {
            QFile file(SettingsKeeper().fileName());
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        child<QSlider>(*window, "OpacitySlider")->setValue(90);
        child<QSpinBox>(*window, "HoldTimeSpinBox")->setValue(200);
        QVERIFY(applyEnabled(*window));

        QTest::mouseClick(child<QPushButton>(*window, "CancelButton"), Qt::LeftButton);
        QCOMPARE(child<QSlider>(*window, "OpacitySlider")->value(), 40);
        QCOMPARE(child<QSpinBox>(*window, "HoldTimeSpinBox")->value(), 10);
        QVERIFY(!applyEnabled(*window));
        QVERIFY(putAway(*window));
        QFile file(SettingsKeeper().fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void restoreDefaultsResetsOnlyTheAdvancedTab()
    {
        storeSet({{"popupOpacity", 40u}, {"tessikTrigLevel", 80u}, {"alertHoldWindow", 30u}});
        startPanel();
        QTest::mouseClick(child<QPushButton>(*window, "DefaultsButton"), Qt::LeftButton);
        QCOMPARE(child<QSlider>(*window, "OpacitySlider")->value(), 40);
        QCOMPARE(child<QSlider>(*window, "TrigLevelSlider")->value(), 50);
        QCOMPARE(child<QSpinBox>(*window, "HoldTimeSpinBox")->value(), 10);
        QCOMPARE(window->settings->tessikTrigLevel, 50u); // live at once
        QVERIFY(!applyEnabled(*window));
        QVERIFY(window->isVisible());
        QCOMPARE(stored("tessikTrigLevel").toInt(), 80);
    }

    void masterSwitchActsAtOnceAndSurvivesCancel()
    {
        startPanel();
        QCheckBox* active = child<QCheckBox>(*window, "ActiveBox");
        QTest::mouseClick(active, Qt::LeftButton);
        QVERIFY(!window->settings->alertEnabled);
        QCOMPARE(child<QGroupBox>(*window, "AlertIndicators")->title(),
                 QString("Alert Indicators OFF"));
        QVERIFY(!child<QCheckBox>(*window, "PopupBox")->isEnabled());
        QVERIFY(!child<QCheckBox>(*window, "SoundBox")->isEnabled());
        QVERIFY(!child<QCheckBox>(*window, "WindowSwitchBox")->isEnabled());
        QVERIFY(!applyEnabled(*window));

        QTest::mouseClick(child<QPushButton>(*window, "CancelButton"), Qt::LeftButton);
        QVERIFY(!active->isChecked());
        QVERIFY(!window->settings->alertEnabled);
        QCOMPARE(stored("alertEnabled"), QVariant()); // nothing written

        window->show();
        QTest::mouseClick(active, Qt::LeftButton);
        QVERIFY(window->settings->alertEnabled);
        QCOMPARE(child<QGroupBox>(*window, "AlertIndicators")->title(),
                 QString("Alert Indicators"));
        QVERIFY(child<QCheckBox>(*window, "PopupBox")->isEnabled());
    }

    void storedAlertsOffLeaveTheIndicatorsAlone()
    {
        storeSet({{"alertEnabled", false}});
        startPanel();
        QVERIFY(!child<QCheckBox>(*window, "ActiveBox")->isChecked());
        QVERIFY(child<QCheckBox>(*window, "PopupBox")->isEnabled());
        QCOMPARE(child<QGroupBox>(*window, "AlertIndicators")->title(),
                 QString("Alert Indicators"));
    }

    // Stored values are shown clamped and written back clamped by the next
    // save, whatever the store held: out of range, negative, huge, or text.
    void damagedValuesAreClampedAndWrittenBackClean_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("storedValue");
        QTest::addColumn<int>("shownValue");
        QTest::newRow("visible time 500") << "popupDisplayTime" << QVariant(500) << 120;
        QTest::newRow("negative hold") << "alertHoldWindow" << QVariant(-5) << 1;
        QTest::newRow("huge opacity") << "popupOpacity" << QVariant("99999999999") << 100;
        QTest::newRow("text size") << "popupSize" << QVariant("large") << 10;
        QTest::newRow("negative trigger") << "tessikTrigLevel" << QVariant(-1) << 1;
        QTest::newRow("location 9") << "userPopupLocation" << QVariant(9) << 4;
        QTest::newRow("location -3") << "userPopupLocation" << QVariant(-3) << 0;
        QTest::newRow("sensitivity list")
            << "tessikSensitivity" << QVariant(QStringList{"a", "b"}) << 0;
    }
    void damagedValuesAreClampedAndWrittenBackClean()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, storedValue);
        QFETCH(int, shownValue);
        storeSet({{key, storedValue}});
        startPanel();
        QCOMPARE(shown(*window).at(keys.indexOf(key)), shownValue);
        QTest::mouseClick(child<QPushButton>(*window, "OkButton"), Qt::LeftButton);
        QCOMPARE(stored(key).toInt(), shownValue);
    }

    // A hand-damaged file: wrong types, huge, negative and non-numeric values,
    // missing and duplicated keys, garbage bytes. The program must start,
    // poll and alert with it, and the next OK must write a clean set.
    void hostileFileStartsClampedAndSavesACleanSet()
    {
        const QString path = SettingsKeeper().fileName();
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\n"
                   "alertEnabled=maybe\n"
                   "popupEnabled=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\n"
                   "windowSwitchEnabled=@ByteArray(\\xff\\xfe)\n"
                   "popupOpacity=-40\n"
                   "popupSize=99999999999999999999\n"
                   "popupSize=15\n"
                   "userPopupLocation=2147483647\n"
                   "popupDisplayTime=ten\n"
                   "alertHoldWindow=-1\n"
                   "tessikTrigLevel=4294967295, 7\n"
                   "\xff\xfe\x01=\x02\x80\n"
                   "tessikTrigLevel=@Invalid()\n");
        file.close();

        // Flags read as QVariant does (text is true, a broken variant false),
        // a duplicated key keeps its last value, a missing or non-numeric
        // number reads as 0; the controls clamp the rest.
        const QList<int> clamped{1, 0, 0, 1, 10, 15, 4, 1, 1, 0, 1};
        fakehid::reset();
        startPanel();
        QCOMPARE(shown(*window), clamped);

        // Until the next save the raw values stay live: a trigger level of 0
        // and a hold of -1 s drive the detector and the hold counter.
        StartedProcessor dp(window.get());
        for (int i = 0; i < 50; ++i) {
            fakehid::queueReading(i % 2 ? 1023 : 0);
            pollOnce(dp);
        }
        window->activateAlert(true);
        pollOnce(dp);

        QTest::mouseClick(child<QPushButton>(*window, "OkButton"), Qt::LeftButton);
        SettingsKeeper reread;
        QCOMPARE(reread.status(), QSettings::NoError);
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(reread.value(keys.at(i)).toInt(), clamped.at(i));
    }

    // Every save, whatever the saves before it met, reports its own outcome:
    // on the debug output, the status bar, the Apply buttons and OK. A store
    // that refuses the edits keeps them live in the panel and in memory.
    void everySaveReportsItsOwnOutcome_data()
    {
        QTest::addColumn<QByteArray>("oldFile");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("goodSaveFirst");
        const QByteArray damaged = "[General\nalertEnabled=maybe\n\xff\xfe\x01=\x02\n";
        // Read only when the save writes the whole file back.
        const QByteArray damagedElsewhere = "[General]\nalertEnabled=true\n[Other]\n\\=1\n";
        QTest::newRow("writable") << QByteArray() << false << false;
        QTest::newRow("refused after a good save") << QByteArray() << true << true;
        QTest::newRow("damaged file") << damaged << false << false;
        QTest::newRow("damaged file, refused after a good save") << damaged << true << true;
        QTest::newRow("damaged in another section") << damagedElsewhere << false << false;
        QTest::newRow("damaged in another section, refused") << damagedElsewhere << true << false;
    }
    void everySaveReportsItsOwnOutcome()
    {
        QFETCH(QByteArray, oldFile);
        QFETCH(bool, refused);
        QFETCH(bool, goodSaveFirst);
        const QString path = SettingsKeeper().fileName();
        if (!oldFile.isEmpty()) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(oldFile);
        }
        startPanel();
        QSpinBox* visibleTime = child<QSpinBox>(*window, "PopupTimeSpinBox");
        QStatusBar* statusBar = child<QStatusBar>(*window, "statusbar");
        auto stored = [&] {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            return file.readAll().contains("popupDisplayTime=" +
                                           QByteArray::number(visibleTime->value()));
        };
        std::optional<FullDisk> fullDisk;
        if (goodSaveFirst) {
            visibleTime->setValue(7);
            QTest::mouseClick(child<QPushButton>(*window, "ApplyButton"), Qt::LeftButton);
            QVERIFY(stored());
        }
        if (refused)
            fullDisk.emplace();

        const QStringList failure =
            refused ? QStringList{"writecheck fail", "Settings save fail"} : QStringList{};
        const QString shownFailure = refused ? "Settings could not be saved to " + path : "";
        for (int save = 0; save < 3; ++save) {
            window->show();
            visibleTime->setValue(10 + save);
            MessageCapture log;
            QTest::mouseClick(child<QPushButton>(*window, "ApplyButton"), Qt::LeftButton);
            QCOMPARE(log.messages(), failure);
            QCOMPARE(applyEnabled(*window), refused);
            QCOMPARE(statusBar->currentMessage(), shownFailure);
            QCOMPARE(stored(), !refused);

            visibleTime->setValue(20 + save);
            log.clear();
            QTest::mouseClick(child<QPushButton>(*window, "OkButton"), Qt::LeftButton);
            QCOMPARE(log.messages(), failure);
            QCOMPARE(!putAway(*window), refused);
            QCOMPARE(applyEnabled(*window), refused);
            QCOMPARE(statusBar->currentMessage(), shownFailure);
            QCOMPARE(stored(), !refused);
            QCOMPARE(window->settings->popupDisplayTime, 20u + save);
            QCOMPARE(window->settings->writeSettings(), int(refused));
        }

        // The next save that reaches the store clears the report.
        fullDisk.reset();
        window->show();
        visibleTime->setValue(30);
        QTest::mouseClick(child<QPushButton>(*window, "ApplyButton"), Qt::LeftButton);
        QVERIFY(!applyEnabled(*window));
        QCOMPARE(statusBar->currentMessage(), QString());
        QVERIFY(stored());
    }
};

QTEST_MAIN(TestPanelActions)
#include "testpanelactions.moc"
