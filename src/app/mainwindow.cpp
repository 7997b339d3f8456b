// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "settings/settingskeeper.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui_MainWindow), dragPosition(0, 0)
{
    ui->setupUi(this);
    // No title bar or frame: the panel is moved by dragging its background.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    alertHoldCount = 0;
    settings = new SettingsKeeper;

    // Nothing has been edited yet.
    ui->ApplyButton->setEnabled(false);
}

MainWindow::~MainWindow()
{
    delete settings;
    delete ui;
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
    // Closing the panel by any means ends the program at once; the system
    // releases the sensor.
    QCoreApplication::quit();
    std::exit(0);
}
