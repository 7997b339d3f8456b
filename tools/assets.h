// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_ASSETS_H
#define TESSIK_ASSETS_H

#include <QByteArray>
#include <QImage>

// 684 x 528 RGBA: slate-grey field, logo in the upper middle, ALERT beneath.
QImage drawPopupImage();
// 156 x 178 palette image: orange square, black frame and cross, transparent
// surround.
QImage drawTrayIcon();
// 256 x 256 RGBA: the tray icon centred, for the desktop menu's icon theme.
QImage drawAppIcon();
// A complete RIFF WAVE file: a two-note door bell, 22050 Hz mono 16-bit.
QByteArray makeChime();

#endif
