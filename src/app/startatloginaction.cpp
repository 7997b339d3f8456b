// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startatloginaction.h"

#include "platform/autostart.h"

StartAtLoginAction::StartAtLoginAction(QObject* parent) : QAction(tr("Start at &Login"), parent)
{
    setCheckable(true);
    refresh();
    connect(this, &QAction::triggered, this, &StartAtLoginAction::change);
}

void StartAtLoginAction::refresh()
{
    setChecked(platform::startsAtLogin());
}

void StartAtLoginAction::change(bool start)
{
    const std::string problem = platform::setStartsAtLogin(start);
    // Shows what the session will do, whether or not the change was made.
    refresh();
    if (!problem.empty())
        emit refused(tr("Start at Login was not changed. %1").arg(QString::fromStdString(problem)));
}
