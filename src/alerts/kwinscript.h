// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_KWINSCRIPT_H
#define TESSIK_KWINSCRIPT_H

#include <QDBusMessage>
#include <QObject>
#include <QTemporaryFile>

#include <functional>

// Minimises every window the user works in, except this program's, through
// KWin's scripting interface on the session bus: the way to hide them in a
// Plasma Wayland session, where no request of an X11 program reaches the
// desktop's windows. KWin loads a small script, runs it and unloads it
// again; the object deletes itself when done.
class KWinMinimiser : public QObject
{
public:
    // `done` learns whether the script ran: false where no KWin answers.
    static void start(QObject* context, std::function<void(bool minimised)> done);

private:
    KWinMinimiser(QObject* context, std::function<void(bool)> done);
    void load();
    // KWin 5 names a loaded script by its number alone, KWin 6 under
    // /Scripting.
    void run(int id, bool olderPath);
    void finish(bool minimised);
    void call(const QString& path, const QString& interface, const QString& method,
              const QVariantList& arguments, std::function<void(const QDBusMessage&)> then);

    QTemporaryFile script;
    QString name;
    std::function<void(bool)> done;
};

#endif
