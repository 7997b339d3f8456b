// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/windowswitch.h"

#include "alerts/filemanager.h"
#include "alerts/kwinscript.h"
#include "platform/platform.h"

#include <QDebug>
#include <QGuiApplication>
#include <QWindow>

void WindowSwitch::perform()
{
    if (platform::isWaylandSession()) {
        performOnWayland();
        return;
    }
    // The panel stays where the user left it.
    std::vector<std::uintptr_t> own;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->handle() != nullptr)
            own.push_back(window->winId());
    }
    // Failures are reported by the platform layer; the file manager is still
    // asked for.
    if (!platform::hideUserWindows(own).fileManagerOpened)
        openHomeFolder(this);
}

void WindowSwitch::performOnWayland()
{
    // An X11 program cannot ask a Wayland desktop to hide its windows; KWin
    // runs a script for it. The file manager is asked for afterwards, or
    // its window would be minimised too.
    KWinMinimiser::start(this, [this](bool minimised) {
        if (!minimised && !waylandLimitSaid)
            qDebug("Wayland session: the Window Switch opens the file manager only; it hides "
                   "the windows only under KDE Plasma (KWin)");
        waylandLimitSaid = waylandLimitSaid || !minimised;
        openHomeFolder(this);
    });
}
