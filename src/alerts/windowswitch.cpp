// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/windowswitch.h"

#include "alerts/filemanager.h"
#include "platform/platform.h"

#include <QDebug>

void WindowSwitch::perform()
{
    // An X11 program cannot ask a Wayland desktop to hide its windows.
    if (platform::isWaylandSession()) {
        if (!waylandLimitSaid)
            qDebug("Wayland session: the Window Switch opens the file manager only; it cannot "
                   "hide the windows from here");
        waylandLimitSaid = true;
        openHomeFolder(this);
        return;
    }
    // Failures are reported by the platform layer; the file manager is still
    // asked for.
    if (!platform::hideUserWindows().fileManagerOpened)
        openHomeFolder(this);
}
