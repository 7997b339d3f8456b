// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowsystem.h"

#include <QByteArray>
#include <QtGlobal>

void prepareWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", QByteArrayLiteral("none"));
}
