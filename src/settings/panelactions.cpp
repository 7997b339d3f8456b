// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel's actions on the settings: load, apply, OK, Cancel,
// Restore Defaults, the Apply buttons' state and the master alert switch.
#include "app/mainwindow.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QStatusBar>

namespace {
// Stored values are taken without range checks; the controls clamp them. A
// value stored as a negative number reads back as a huge unsigned one and
// shows as negative again, so it clamps to the control's minimum.
int toControlValue(unsigned int value)
{
    return static_cast<int>(value);
}
} // namespace

void MainWindow::loadControls(int source)
{
    if (source == DefaultSettings || source == StoredSettings)
        settings->readSettings(source);

    // Setting a control that changes emits its change signal, which moves
    // the popup and lights the Apply buttons; the last step turns them off.
    ui->ActiveBox->setChecked(settings->alertEnabled);
    ui->PopupBox->setChecked(settings->popupEnabled);
    ui->SoundBox->setChecked(settings->soundEnabled);
    ui->WindowSwitchBox->setChecked(settings->windowSwitchEnabled);
    ui->OpacitySlider->setValue(toControlValue(settings->popupOpacity));
    ui->SizeSlider->setValue(toControlValue(settings->popupSize));
    ui->PopupLocationSelectMenu->setCurrentIndex(
        qBound(0, settings->userPopupLocation, ui->PopupLocationSelectMenu->count() - 1));
    ui->PopupTimeSpinBox->setValue(toControlValue(settings->popupDisplayTime));
    ui->HoldTimeSpinBox->setValue(toControlValue(settings->alertHoldWindow));
    ui->SensitivitySlider->setValue(toControlValue(settings->tessikSensitivity));
    ui->TrigLevelSlider->setValue(toControlValue(settings->tessikTrigLevel));

    userChangeHandler(false);
}

bool MainWindow::saveSettings()
{
    settings->alertEnabled = ui->ActiveBox->isChecked();
    settings->popupEnabled = ui->PopupBox->isChecked();
    settings->soundEnabled = ui->SoundBox->isChecked();
    settings->windowSwitchEnabled = ui->WindowSwitchBox->isChecked();
    settings->popupOpacity = ui->OpacitySlider->value();
    settings->popupSize = ui->SizeSlider->value();
    settings->userPopupLocation = ui->PopupLocationSelectMenu->currentIndex();
    settings->alertHoldWindow = ui->HoldTimeSpinBox->value();
    settings->popupDisplayTime = ui->PopupTimeSpinBox->value();
    settings->tessikSensitivity = ui->SensitivitySlider->value();
    settings->tessikTrigLevel = ui->TrigLevelSlider->value();

    const bool saved = settings->writeSettings() == 0;
    if (saved) {
        statusBar()->clearMessage();
    } else {
        qDebug() << "Settings save fail";
        statusBar()->showMessage(tr("Settings could not be saved to %1").arg(settings->fileName()));
    }
    // Edits that did not reach the store stay pending, so Apply can retry.
    userChangeHandler(!saved);
    return saved;
}

void MainWindow::okFunction()
{
    // The panel stays up while its edits are unsaved.
    if (saveSettings())
        hidePanel();
}

void MainWindow::cancelFunction()
{
    loadControls(CurrentSettings);
    hidePanel();
}

void MainWindow::restoreDefaultsFunction()
{
    loadControls(DefaultSettings);
}

// The enabled Apply buttons are the panel's only record of unapplied edits.
void MainWindow::userChangeHandler(bool changedVal)
{
    ui->ApplyButton->setEnabled(changedVal);
    ui->ApplyButton_2->setEnabled(changedVal);
    if (!changedVal)
        return;
    QPushButton* apply = ui->ControlTabs->currentIndex() != 0 ? ui->ApplyButton_2 : ui->ApplyButton;
    apply->setFocus(Qt::OtherFocusReason);
}

void MainWindow::masterSwitchClick()
{
    const bool on = ui->ActiveBox->isChecked();
    ui->PopupBox->setEnabled(on);
    ui->SoundBox->setEnabled(on);
    ui->WindowSwitchBox->setEnabled(on);
    ui->AlertIndicators->setTitle(on ? tr("Alert Indicators") : tr("Alert Indicators OFF"));
    settings->alertEnabled = on;
}
