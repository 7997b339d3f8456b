// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_MESSAGECAPTURE_H
#define TESSIK_MESSAGECAPTURE_H

#include <QStringList>
#include <QtGlobal>

// Records the program's debug messages while in scope, one entry per message.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList messages() const;
    void clear();

private:
    QtMessageHandler previous;
};

#endif
