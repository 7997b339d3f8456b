// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_APPSTYLE_H
#define TESSIK_APPSTYLE_H

// Fusion style, dark palette and the application style sheet; fonts that fit
// the panel and tool tips that can be read.
void setAppStyle();

#endif
