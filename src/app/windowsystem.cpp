// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowsystem.h"

#include <QByteArray>
#include <QDebug>
#include <QGuiApplication>

void prepareWindowSystem()
{
    chooseQtPlatform();
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", QByteArrayLiteral("none"));
    enableDisplayScaling();
}

void chooseQtPlatform()
{
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (!wayland || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        // Qt would try its X11 platform where the session type is not set.
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("wayland"));
        qDebug() << "Wayland session without an X display: running as a native Wayland client";
        return;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    qDebug().noquote() << "Wayland session with the X display" << qgetenv("DISPLAY")
                       << "(XWayland): running on Qt's xcb platform";
}

void enableDisplayScaling()
{
    QGuiApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Qt 5 rounds a scale of 1.5 up to 2; a desktop at 150 % means 1.5.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}
