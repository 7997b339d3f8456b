// SPDX-License-Identifier: GPL-3.0-or-later
#include "panelrig.h"

#include "app/appstyle.h"
#include "app/mainwindow.h"
#include "mock/fakehidapi.h"
#include "mock/polltick.h"
#include "sensor/dataprocessor.h"
#include "settings/settingskeeper.h"

#include <QApplication>
#include <QSettings>

PanelRig::PanelRig()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
    fakehid::reset();
    setAppStyle();
    QApplication::setQuitOnLastWindowClosed(false);
    window = std::make_unique<MainWindow>();
    window->show();
    window->loadControls(StoredSettings);
    processor = std::make_unique<DataProcessor>(window.get());
    window->hide();
}

PanelRig::~PanelRig() = default;

void PanelRig::queueQuietReadings(int count)
{
    for (int i = 0; i < count; ++i)
        fakehid::queueReading(505 + (i * 7) % 13);
}

void PanelRig::tick()
{
    pollOnce(*processor);
}
