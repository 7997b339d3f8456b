// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_WINDOWSWITCH_H
#define TESSIK_WINDOWSWITCH_H

#include <QObject>

// The Window Switch: hides the user's windows and opens a file manager on
// the home folder, by asking the desktop for both; no key is typed on Linux.
class WindowSwitch : public QObject
{
public:
    explicit WindowSwitch(QObject* parent = nullptr) : QObject(parent) {}

    // Returns at once; the file manager's answer comes through the event loop.
    void perform();

private:
    void performOnWayland();

    bool waylandLimitSaid = false;
};

#endif
