// SPDX-License-Identifier: GPL-3.0-or-later
// The notification popup: the alert picture in a frameless, always-on-top
// window whose opacity, size and corner follow the panel's controls.
#include "alerts/popupgeometry.h"
#include "alerts/sessionlock.h"
#include "app/constants.h"
#include "app/mainwindow.h"
#include "platform/platform.h"
#include "ui_mainwindow.h"

#include <QBasicTimer>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QRegion>
#include <QScreen>
#include <QX11Info>

namespace {

// The screen less the task bar.
QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Stays on top, no frame, and 0x1F in the window-type field.
constexpr Qt::WindowFlags alertFlags =
    Qt::SplashScreen | Qt::Desktop | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
static_assert(alertFlags == Qt::WindowFlags(0x0004081F), "popup window flags");

#ifdef Q_OS_WIN
constexpr Qt::WindowFlags popupFlags = alertFlags;
#else
// An X11 window manager hides every window it manages on show-desktop (the
// user's own Super+D, say); typed as a notification or as a tool window the
// popup is hidden all the same. No window manager hides an unmanaged window,
// and none gives it the focus.
constexpr Qt::WindowFlags popupFlags = alertFlags | Qt::X11BypassWindowManagerHint;
#endif

// An unmanaged window is stacked only by its own requests: windows mapped
// later without a window manager, other unmanaged windows, and frames that a
// window manager raises to the very top cover it. While shown, the popup
// goes back on top a few times a second, through the program's own
// connection, which Qt would send only with its next exchange with the X
// server. A screen locker that appears meanwhile is left on top: the popup
// is hidden.
class KeepOnTop : public QObject
{
public:
    KeepOnTop(QWidget* popup, const SessionLock* lock) : QObject(popup), popup(popup), lock(lock)
    {
        popup->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            timer.start(100, this);
        else if (event->type() == QEvent::Hide)
            timer.stop();
        return false;
    }
    void timerEvent(QTimerEvent*) override
    {
        const QString locked = lock->reason();
        if (!locked.isEmpty()) {
            qDebug().noquote() << "Session locked (" + locked + "): the alert picture is hidden";
            popup->close();
            return;
        }
        popup->raise();
        platform::sendPendingRequests(QX11Info::connection());
    }

private:
    QWidget* popup;
    const SessionLock* lock;
    QBasicTimer timer;
};

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
    // weston's XWayland window manager maps unmanaged windows without ever
    // drawing them; there the popup is an ordinary window, which it draws.
    const Qt::WindowFlags flags =
        platform::windowManagerName() == "Weston WM" ? alertFlags : popupFlags;
    popup->setWindowFlags(flags);
    if (flags & Qt::X11BypassWindowManagerHint)
        new KeepOnTop(popup, sessionLock);
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
