// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settingskeeper.h"

#include <QDebug>

namespace {
// A stored set counts as present exactly when this key exists.
const QString presenceKey = QStringLiteral("alertEnabled");
} // namespace

SettingsKeeper::SettingsKeeper()
    : QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bralm"),
                QStringLiteral("Tessik Application"))
{
}

int SettingsKeeper::readSettings(int source)
{
    if (source == StoredSettings && contains(presenceKey)) {
        // A key missing from a present set reads as false or 0 on purpose: no
        // default is mixed into a stored set.
        alertEnabled = value("alertEnabled").toBool();
        popupEnabled = value("popupEnabled").toBool();
        soundEnabled = value("soundEnabled").toBool();
        windowSwitchEnabled = value("windowSwitchEnabled").toBool();
        popupOpacity = value("popupOpacity").toInt();
        popupSize = value("popupSize").toInt();
        userPopupLocation = value("userPopupLocation").toInt();
        popupDisplayTime = value("popupDisplayTime").toInt();
        alertHoldWindow = value("alertHoldWindow").toInt();
        tessikSensitivity = value("tessikSensitivity").toInt();
        tessikTrigLevel = value("tessikTrigLevel").toInt();
        return 0;
    }

    // Defaults: the Settings tab's values only on a first run, so that
    // "Restore Defaults" over a stored set resets just the Advanced tab.
    if (!contains(presenceKey)) {
        alertEnabled = true;
        popupEnabled = true;
        soundEnabled = false;
        windowSwitchEnabled = false;
        popupOpacity = 60;
        popupSize = 20;
        userPopupLocation = 1;
        popupDisplayTime = 3;
    }
    tessikSensitivity = 25;
    tessikTrigLevel = 50;
    alertHoldWindow = 10;
    return 0;
}

QVector<QPair<QString, QVariant>> SettingsKeeper::keyedValues() const
{
    return {
        {"alertEnabled", QVariant(alertEnabled)},
        {"popupEnabled", QVariant(popupEnabled)},
        {"soundEnabled", QVariant(soundEnabled)},
        {"windowSwitchEnabled", QVariant(windowSwitchEnabled)},
        {"popupOpacity", QVariant(popupOpacity)},
        {"popupSize", QVariant(popupSize)},
        {"userPopupLocation", QVariant(userPopupLocation)},
        {"popupDisplayTime", QVariant(popupDisplayTime)},
        {"alertHoldWindow", QVariant(alertHoldWindow)},
        {"tessikSensitivity", QVariant(tessikSensitivity)},
        {"tessikTrigLevel", QVariant(tessikTrigLevel)},
    };
}

int SettingsKeeper::writeSettings()
{
    if (!isWritable()) {
        qDebug() << "writecheck fail";
        return 1;
    }
    // QSettings keeps the first error it meets for good, and a write meets
    // the format errors of the old file too: it parses every section it
    // writes back, not only the [General] one read at start-up. So the old
    // file is parsed in full on a handle of its own first, which takes those
    // errors, and the write gets a fresh handle whose status tells only its
    // own outcome. Handles on one store in one process share its contents,
    // parsed sections included, and this keeper reads the new values at once.
    QSettings oldFile(fileName(), format());
    oldFile.allKeys();
    QSettings store(fileName(), format());
    for (const auto& keyed : keyedValues())
        store.setValue(keyed.first, keyed.second);

    // Flush now, so that a write that does not reach the store is reported
    // instead of being lost silently at some later deferred write.
    store.sync();
    if (store.status() != QSettings::NoError) {
        qDebug() << "writecheck fail";
        return 1;
    }
    return 0;
}
