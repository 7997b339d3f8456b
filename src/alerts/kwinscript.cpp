// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/kwinscript.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>

namespace {

const QString service = QStringLiteral("org.kde.KWin");
const QString scripting = QStringLiteral("org.kde.kwin.Scripting");

// Windows the task bar lists (normal ones and dialogs) that are not
// minimised already. KWin 6 renamed clientList to windowList.
const char scriptText[] = R"(var all = workspace.windowList ? workspace.windowList()
                              : workspace.clientList();
for (var i = 0; i < all.length; ++i) {
    var w = all[i];
    if ((w.normalWindow || w.dialog) && !w.skipTaskbar && !w.minimized && w.pid !== %1)
        w.minimized = true;
}
)";

} // namespace

void KWinMinimiser::start(QObject* context, std::function<void(bool)> done)
{
    (new KWinMinimiser(context, std::move(done)))->load();
}

KWinMinimiser::KWinMinimiser(QObject* context, std::function<void(bool)> done)
    : QObject(context), script(QDir::tempPath() + "/tessik-control-XXXXXX.js"),
      done(std::move(done))
{
}

void KWinMinimiser::load()
{
    const QByteArray text =
        QString::fromLatin1(scriptText).arg(QCoreApplication::applicationPid()).toUtf8();
    if (!script.open() || script.write(text) != text.size() || !script.flush()) {
        finish(false);
        return;
    }
    // Named after its file: a script an earlier switch left loaded does not
    // stand in the way.
    name = QFileInfo(script.fileName()).baseName();
    call("/Scripting", scripting, "loadScript", {script.fileName(), name},
         [this](const QDBusMessage& reply) {
             const int id = reply.arguments().value(0, -1).toInt();
             if (reply.type() != QDBusMessage::ReplyMessage || id < 0)
                 finish(false);
             else
                 run(id, false);
         });
}

void KWinMinimiser::run(int id, bool olderPath)
{
    const QString path =
        olderPath ? QString("/%1").arg(id) : QString("/Scripting/Script%1").arg(id);
    // KWin answers once the script has run.
    call(path, "org.kde.kwin.Script", "run", {}, [this, id, olderPath](const QDBusMessage& reply) {
        const bool ran = reply.type() == QDBusMessage::ReplyMessage;
        if (!ran && !olderPath) {
            run(id, true);
            return;
        }
        call("/Scripting", scripting, "unloadScript", {name}, [](const QDBusMessage&) {});
        finish(ran);
    });
}

void KWinMinimiser::finish(bool minimised)
{
    done(minimised);
    deleteLater();
}

void KWinMinimiser::call(const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments,
                         std::function<void(const QDBusMessage&)> then)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Nothing is started for it outside Plasma.
    message.setAutoStartService(false);
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message);
    // Without a bus the call has failed already, and a watcher would never
    // say so.
    if (pending.isFinished()) {
        then(pending.reply());
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [then](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                then(answered->reply());
            });
}
