// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "alerts/desktopnotifier.h"
#include "alerts/sessionlock.h"
#include "alerts/windowswitch.h"
#include "app/constants.h"
#include "platform/platform.h"
#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QMouseEvent>
#include <QSound>

namespace {

// The platform layer's diagnostics join the program's own debug output.
void forwardToDebug(const char* message)
{
    qDebug("%s", message);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui_MainWindow), dragPosition(0, 0)
{
    ui->setupUi(this);
    // No title bar or frame: the panel is moved by dragging its background.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    connectPanel();
    createTrayActions();
    createTrayIcon();
    connect(trayIcon, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(iconActivated(QSystemTrayIcon::ActivationReason)));
    trayIcon->setVisible(true);

    alertHoldCount = 0;
    settings = new SettingsKeeper;
    sessionLock = new SessionLock(this);
    popup = new QWidget;
    setupPopup();
    notifier = new DesktopNotifier(QImage(trayIconPath), this);
    connect(notifier, &DesktopNotifier::refused, this, &MainWindow::alertWithoutNotificationServer);
    // Every way out (Quit, End Program, closing the panel, a signal) ends
    // the event loop: no notification may outlive the program.
    connect(qApp, &QCoreApplication::aboutToQuit, notifier, &DesktopNotifier::withdrawAll);
    windowSwitch = new WindowSwitch(this);
    platform::setDiagnosticSink(forwardToDebug);

    // Nothing has been edited yet.
    ui->ApplyButton->setEnabled(false);
    setupPlot();
}

MainWindow::~MainWindow()
{
    popupTimer.stop();
    delete popup;
    delete alertSound;
    delete settings;
    delete ui;
}

// Where one signal feeds several slots they run in the order connected here.
void MainWindow::connectPanel()
{
    connect(ui->EndProgramButton, SIGNAL(clicked()), qApp, SLOT(quit()));
    connect(ui->OkButton, SIGNAL(clicked()), this, SLOT(okFunction()));
    connect(ui->ApplyButton, SIGNAL(clicked()), this, SLOT(saveSettings()));
    connect(ui->CancelButton, SIGNAL(clicked()), this, SLOT(cancelFunction()));
    connect(ui->DefaultsButton, SIGNAL(clicked()), this, SLOT(restoreDefaultsFunction()));
    connect(ui->TestButton01, SIGNAL(clicked()), this, SLOT(testActivateAlert()));
    connect(ui->ApplyButton_2, SIGNAL(clicked()), this, SLOT(saveSettings()));
    connect(ui->OpacitySlider, SIGNAL(valueChanged(int)), this, SLOT(setPopupOpacity(int)));
    connect(ui->OpacitySlider, SIGNAL(valueChanged(int)), this, SLOT(userChangeHandler()));
    connect(ui->OpacitySlider, SIGNAL(sliderPressed()), this, SLOT(showPopupSample()));
    connect(ui->OpacitySlider, SIGNAL(sliderReleased()), this, SLOT(endPopup()));
    connect(ui->SizeSlider, SIGNAL(valueChanged(int)), this, SLOT(setPopupSize(int)));
    connect(ui->SizeSlider, SIGNAL(valueChanged(int)), this, SLOT(userChangeHandler()));
    connect(ui->SizeSlider, SIGNAL(sliderPressed()), this, SLOT(showPopupSample()));
    connect(ui->SizeSlider, SIGNAL(sliderReleased()), this, SLOT(endPopup()));
    connect(ui->PopupLocationSelectMenu, SIGNAL(currentIndexChanged(int)), this,
            SLOT(setPopupLocation(int)));
    connect(ui->PopupLocationSelectMenu, SIGNAL(currentIndexChanged(int)), this,
            SLOT(userChangeHandler()));
    connect(ui->customPlot, SIGNAL(mousePress(QMouseEvent*)), this, SLOT(togglePlotRun()));
    connect(ui->ActiveBox, SIGNAL(clicked()), this, SLOT(masterSwitchClick()));
    connect(ui->HoldTimeSpinBox, SIGNAL(valueChanged(int)), this, SLOT(userChangeHandler()));
    connect(ui->PopupTimeSpinBox, SIGNAL(valueChanged(int)), this, SLOT(userChangeHandler()));
    connect(ui->TrigLevelSlider, SIGNAL(valueChanged(int)), this, SLOT(userChangeHandler()));
}

int MainWindow::getAlertHoldWindow() const
{
    return static_cast<int>(settings->alertHoldWindow);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    dragPosition = event->globalPos();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->globalPos();
    move(x() + p.x() - dragPosition.x(), y() + p.y() - dragPosition.y());
    dragPosition = p;
}

void MainWindow::closeEvent(QCloseEvent*)
{
    // Closing the panel by any means ends the program, as Quit does.
    trayIcon->hide();
    QCoreApplication::quit();
}
