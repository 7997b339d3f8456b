// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Window-system choices that must be made before the QApplication exists:
// display scaling, and no OpenGL driver. Nothing in the program draws with
// OpenGL, so Qt's xcb plugin is told not to load a GL driver for every window
// it creates: that costs memory in the tray, and some drivers leave
// allocations behind. A value the user set in QT_XCB_GL_INTEGRATION is kept.
void prepareWindowSystem();

// Scales windows, fonts and pictures with the desktop's display scale
// (Xft.dpi on X11); part of prepareWindowSystem.
void enableDisplayScaling();
