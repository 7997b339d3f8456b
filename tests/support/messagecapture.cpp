// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/messagecapture.h"

namespace {
QStringList captured;

void record(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        captured << message;
}
} // namespace

MessageCapture::MessageCapture() : previous(qInstallMessageHandler(record))
{
    captured.clear();
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
}

QStringList MessageCapture::messages() const
{
    return captured;
}

void MessageCapture::clear()
{
    captured.clear();
}
