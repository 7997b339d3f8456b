// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_SETTINGSKEEPER_H
#define TESSIK_SETTINGSKEEPER_H

#include <QPair>
#include <QSettings>
#include <QVector>

// Where loadControls and readSettings take the values from.
enum SettingsSource
{
    DefaultSettings = 0,
    CurrentSettings = 1, // the values in memory, as they are
    StoredSettings = 2
};

// The eleven user settings, live in memory, and their per-user store
// (~/.config/Bralm/Tessik Application.conf on Linux, the registry on Windows).
// Every part of the program reads the public values directly.
class SettingsKeeper : public QSettings
{
public:
    SettingsKeeper();

    // Fills the values from the stored set, or from the defaults when asked for
    // them or when no set is stored. Never writes. Returns 0.
    int readSettings(int source);
    // Writes all eleven values. Returns 0 when they reached the store, 1 (with
    // "writecheck fail" on the debug output) when the store refused them.
    int writeSettings();

    bool alertEnabled = true;
    bool soundEnabled = false;
    bool popupEnabled = true;
    bool windowSwitchEnabled = false;
    int userPopupLocation = 1;
    unsigned int popupOpacity = 60;
    unsigned int popupSize = 20;
    unsigned int tessikSensitivity = 25;
    unsigned int tessikTrigLevel = 50;
    unsigned int alertHoldWindow = 10;
    unsigned int popupDisplayTime = 3;

private:
    // The eleven keys with their values, in the store's key order.
    QVector<QPair<QString, QVariant>> keyedValues() const;
};

#endif
