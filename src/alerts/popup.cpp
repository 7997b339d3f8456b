// SPDX-License-Identifier: GPL-3.0-or-later
// The notification popup: the alert picture in a frameless, always-on-top
// window whose opacity, size and corner follow the panel's controls.
#include "alerts/popupgeometry.h"
#include "app/constants.h"
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QRegion>
#include <QScreen>

namespace {

// The screen less the task bar.
QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Stays on top, no frame, and 0x1F in the window-type field.
constexpr Qt::WindowFlags popupFlags =
    Qt::SplashScreen | Qt::Desktop | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
static_assert(popupFlags == Qt::WindowFlags(0x0004081F), "popup window flags");

} // namespace

void MainWindow::setupPopup()
{
    popup->setStyleSheet(QStringLiteral("border-image: url(") + popupImagePath +
                         ") 0 0 0 0 stretch stretch");
    setPopupOpacity(ui->OpacitySlider->value());
    setPopupLocation(ui->PopupLocationSelectMenu->currentIndex());
    popup->resize(256, 256);
    setPopupSize(ui->SizeSlider->value());
    // The mask must match the size: a smaller one would cut off the
    // picture's edge until the size next changes.
    popup->setMask(QRegion(popup->rect()));
    popup->setWindowFlags(popupFlags);
}

void MainWindow::setPopupOpacity(int value)
{
    popup->setWindowOpacity(value / 100.0);
}

void MainWindow::setPopupSize(int value)
{
    // Reads only the picture's header.
    const QSize size = popupSize(value, availableArea(), QImageReader(popupImagePath).size());
    popup->resize(size);
    popup->setMask(QRegion(0, 0, size.width(), size.height()));
    setPopupLocation(ui->PopupLocationSelectMenu->currentIndex());
}

void MainWindow::setPopupLocation(int index)
{
    popup->move(popupTopLeft(index, availableArea(), popup->frameGeometry().size()));
}

void MainWindow::showPopupSample()
{
    popup->show();
}
