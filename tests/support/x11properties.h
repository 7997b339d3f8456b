// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_X11PROPERTIES_H
#define TESSIK_X11PROPERTIES_H

#include <vector>

// Xlib's macros clash with Qt's headers; sources include <X11/Xlib.h> after
// them.
typedef struct _XDisplay Display;

// What the window manager publishes, read as a pager or task bar would.
namespace x11 {

// The 32-bit items of a window's property (atoms, windows, cardinals).
std::vector<unsigned long> items(Display* display, unsigned long window, const char* property);
// _NET_ACTIVE_WINDOW, or 0.
unsigned long activeWindow(Display* display);
// _NET_CLIENT_LIST: every window the window manager manages.
std::vector<unsigned long> clients(Display* display);
// The managed window of a process, or 0.
unsigned long clientOfProcess(Display* display, long pid);
bool isViewable(Display* display, unsigned long window);
// The X server's time now, as a property change on the window tells it.
unsigned long serverTime(Display* display, unsigned long window);
// Tells the window manager that the user has just typed into the window, as
// toolkits do (_NET_WM_USER_TIME).
void markTyped(Display* display, unsigned long window);
// Whether a's top-level ancestor is stacked above b's.
bool isAbove(Display* display, unsigned long a, unsigned long b);

} // namespace x11

#endif
