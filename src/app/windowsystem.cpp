// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowsystem.h"

#include <QByteArray>
#include <QGuiApplication>

void prepareWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", QByteArrayLiteral("none"));
    enableDisplayScaling();
}

void enableDisplayScaling()
{
    QGuiApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Qt 5 rounds a scale of 1.5 up to 2; a desktop at 150 % means 1.5.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}
