// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_CONSTANTS_H
#define TESSIK_CONSTANTS_H

// Paths into the resources compiled into the program, and the name shown in
// the tray.
inline constexpr char popupImagePath[] = ":/images/bralm.png";
inline constexpr char alertSoundPath[] = ":/sounds/doorbell1.wav";
inline constexpr char trayIconPath[] = ":/images/bad.png";
inline constexpr char appTitle[] = "Bralm Tessik Control";

#endif
