// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "settings/settingskeeper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), dragPosition(0, 0)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    alertHoldCount = 0;
    settings = new SettingsKeeper;
}

MainWindow::~MainWindow()
{
    delete settings;
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
