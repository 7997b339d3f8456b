// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Window-system choices that must be made before the QApplication exists:
// the Qt platform, display scaling, and no OpenGL driver. Nothing in the
// program draws with OpenGL, so Qt's xcb plugin is told not to load a GL
// driver for every window it creates: that costs memory in the tray, and some
// drivers leave allocations behind. A value the user set in
// QT_XCB_GL_INTEGRATION is kept.
void prepareWindowSystem();

// In a Wayland session with an X display (XWayland), asks for Qt's xcb
// platform unless the user chose one in QT_QPA_PLATFORM: the popup's corner,
// opacity and stacking, its never taking the focus, the full-screen test and
// bringing the panel forward all rest on X11. Without an X display it asks
// for Qt's Wayland platform. Part of prepareWindowSystem.
void chooseQtPlatform();

// Scales windows, fonts and pictures with the desktop's display scale
// (Xft.dpi on X11); part of prepareWindowSystem.
void enableDisplayScaling();
