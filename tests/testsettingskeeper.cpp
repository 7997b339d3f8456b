// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settingskeeper.h"
#include "support/messagecapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
struct Values
{
    bool alertEnabled, popupEnabled, soundEnabled, windowSwitchEnabled;
    unsigned int popupOpacity, popupSize;
    int userPopupLocation;
    unsigned int popupDisplayTime, alertHoldWindow, tessikSensitivity, tessikTrigLevel;
};

const Values defaults{true, true, false, false, 60, 20, 1, 3, 10, 25, 50};
const Values custom{false, false, true, true, 35, 70, 4, 9, 120, 80, 90};

void assign(SettingsKeeper& s, const Values& v)
{
    s.alertEnabled = v.alertEnabled;
    s.popupEnabled = v.popupEnabled;
    s.soundEnabled = v.soundEnabled;
    s.windowSwitchEnabled = v.windowSwitchEnabled;
    s.popupOpacity = v.popupOpacity;
    s.popupSize = v.popupSize;
    s.userPopupLocation = v.userPopupLocation;
    s.popupDisplayTime = v.popupDisplayTime;
    s.alertHoldWindow = v.alertHoldWindow;
    s.tessikSensitivity = v.tessikSensitivity;
    s.tessikTrigLevel = v.tessikTrigLevel;
}

void compare(const SettingsKeeper& s, const Values& v)
{
    QCOMPARE(s.alertEnabled, v.alertEnabled);
    QCOMPARE(s.popupEnabled, v.popupEnabled);
    QCOMPARE(s.soundEnabled, v.soundEnabled);
    QCOMPARE(s.windowSwitchEnabled, v.windowSwitchEnabled);
    QCOMPARE(s.popupOpacity, v.popupOpacity);
    QCOMPARE(s.popupSize, v.popupSize);
    QCOMPARE(s.userPopupLocation, v.userPopupLocation);
    QCOMPARE(s.popupDisplayTime, v.popupDisplayTime);
    QCOMPARE(s.alertHoldWindow, v.alertHoldWindow);
    QCOMPARE(s.tessikSensitivity, v.tessikSensitivity);
    QCOMPARE(s.tessikTrigLevel, v.tessikTrigLevel);
}
} // namespace

class TestSettingsKeeper : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        configHome = std::make_unique<QTemporaryDir>();
        QVERIFY(configHome->isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome->path());
    }

    void storeLivesUnderTheOrganisationAndApplication()
    {
        SettingsKeeper s;
        QCOMPARE(s.fileName(), configHome->path() + "/Bralm/Tessik Application.conf");
        QCOMPARE(s.format(), QSettings::NativeFormat);
        QCOMPARE(s.scope(), QSettings::UserScope);
    }

    void emptyStoreGivesDefaultsFromEitherSource_data()
    {
        QTest::addColumn<int>("source");
        QTest::newRow("stored") << int(StoredSettings);
        QTest::newRow("defaults") << int(DefaultSettings);
    }
    void emptyStoreGivesDefaultsFromEitherSource()
    {
        QFETCH(int, source);
        SettingsKeeper s;
        assign(s, custom);
        QCOMPARE(s.readSettings(source), 0);
        compare(s, defaults);
        QVERIFY(s.allKeys().isEmpty());
        QVERIFY(!QFile::exists(s.fileName()));
    }

    void defaultsOverAStoredSetResetOnlyTheAdvancedValues()
    {
        {
            SettingsKeeper stored;
            assign(stored, custom);
            QCOMPARE(stored.writeSettings(), 0);
        }
        SettingsKeeper s;
        Values inMemory = defaults;
        inMemory.popupSize = 55; // differs from both the store and the defaults
        inMemory.alertEnabled = false;
        assign(s, inMemory);
        s.alertHoldWindow = 300;
        s.tessikSensitivity = 1;
        s.tessikTrigLevel = 99;

        QCOMPARE(s.readSettings(DefaultSettings), 0);
        Values expected = inMemory;
        expected.alertHoldWindow = 10;
        expected.tessikSensitivity = 25;
        expected.tessikTrigLevel = 50;
        compare(s, expected);
        QCOMPARE(s.value("tessikTrigLevel").toInt(), 90); // store untouched
    }

    void storeWithoutAlertEnabledCountsAsEmpty()
    {
        {
            SettingsKeeper stored;
            assign(stored, custom);
            QCOMPARE(stored.writeSettings(), 0);
            stored.remove("alertEnabled");
        }
        SettingsKeeper s;
        QCOMPARE(s.readSettings(StoredSettings), 0);
        compare(s, defaults);
    }

    void alertEnabledAloneReadsTheRestAsFalseAndZero()
    {
        {
            SettingsKeeper stored;
            stored.setValue("alertEnabled", true);
        }
        SettingsKeeper s;
        QCOMPARE(s.readSettings(StoredSettings), 0);
        compare(s, Values{true, false, false, false, 0, 0, 0, 0, 0, 0, 0});
    }

    void roundTripKeepsEveryValueAndType()
    {
        {
            SettingsKeeper s;
            assign(s, custom);
            QCOMPARE(s.writeSettings(), 0);
        }
        SettingsKeeper s;
        QCOMPARE(s.readSettings(StoredSettings), 0);
        compare(s, custom);
        QCOMPARE(s.allKeys().size(), 11);
    }

    // A damaged file leaves a format error on the store; the next write must
    // still replace it with a clean, complete set and report success.
    void damagedFileIsReplacedByTheNextWrite()
    {
        SettingsKeeper probe;
        QDir().mkpath(QFileInfo(probe.fileName()).path());
        QFile file(probe.fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General\nalertEnabled=maybe\npopupSize=-5\n\xff\xfe\x01=\x02\n");
        file.close();

        SettingsKeeper s;
        QCOMPARE(s.status(), QSettings::FormatError);
        assign(s, custom);
        QCOMPARE(s.writeSettings(), 0);

        SettingsKeeper reread;
        QCOMPARE(reread.status(), QSettings::NoError);
        QCOMPARE(reread.readSettings(StoredSettings), 0);
        compare(reread, custom);
    }

    // A store that cannot be written reports failure and keeps the values in
    // memory. Tests run as root, which file permissions do not stop, so the
    // store is placed below a regular file.
    void unwritableStoreFailsAndWritesNothing()
    {
        const QString blocker = configHome->path() + "/not-a-directory";
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker + "/config");

        SettingsKeeper s;
        assign(s, custom);
        MessageCapture log;
        QCOMPARE(s.writeSettings(), 1);
        QCOMPARE(log.messages(), QStringList{"writecheck fail"});
        compare(s, custom);
        QVERIFY(!QFile::exists(s.fileName()));
    }

private:
    std::unique_ptr<QTemporaryDir> configHome;
};

QTEST_GUILESS_MAIN(TestSettingsKeeper)
#include "testsettingskeeper.moc"
