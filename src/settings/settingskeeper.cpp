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

int SettingsKeeper::writeSettings()
{
    if (!isWritable()) {
        qDebug() << "writecheck fail";
        return 1;
    }
    setValue("alertEnabled", QVariant(alertEnabled));
    setValue("popupEnabled", QVariant(popupEnabled));
    setValue("soundEnabled", QVariant(soundEnabled));
    setValue("windowSwitchEnabled", QVariant(windowSwitchEnabled));
    setValue("popupOpacity", QVariant(popupOpacity));
    setValue("popupSize", QVariant(popupSize));
    setValue("userPopupLocation", QVariant(userPopupLocation));
    setValue("popupDisplayTime", QVariant(popupDisplayTime));
    setValue("alertHoldWindow", QVariant(alertHoldWindow));
    setValue("tessikSensitivity", QVariant(tessikSensitivity));
    setValue("tessikTrigLevel", QVariant(tessikTrigLevel));

    // Flush now so that a store that turned out unwritable is reported as a
    // failure instead of being lost silently at some later deferred write.
    sync();
    if (status() != QSettings::NoError) {
        qDebug() << "writecheck fail";
        return 1;
    }
    return 0;
}
