// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/openedurls.h"

#include <QDesktopServices>

OpenedUrls::OpenedUrls()
{
    QDesktopServices::setUrlHandler("file", this, "open");
}

OpenedUrls::~OpenedUrls()
{
    QDesktopServices::unsetUrlHandler("file");
}
