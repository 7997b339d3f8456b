// SPDX-License-Identifier: GPL-3.0-or-later
// The few desktop services that Qt does not offer: asking whether a
// full-screen program is in front, and typing key chords on the user's
// behalf. Plain C++ without Qt; one implementation file per windowing system
// (X11 on Linux, user32 on Windows), chosen by the build.
#ifndef TESSIK_PLATFORM_H
#define TESSIK_PLATFORM_H

#include <array>
#include <cstdint>
#include <string>

namespace platform {

// Receives one line of diagnostic text (for the program's debug output).
using DiagnosticSink = void (*)(const char* message);
// Where diagnostics go; by default they are written to standard error.
void setDiagnosticSink(DiagnosticSink sink);

// Says once, as a diagnostic, what the services below cannot see in this
// session (under Wayland they reach X11 programs only).
void reportSessionLimits();

// True when the foreground window stays on top and is exactly as large as
// the monitor it is on (the primary screen on Windows). False whenever that
// cannot be found out.
bool foregroundIsFullScreen();

// True when an X11 window manager runs and does not list the given EWMH
// hint (such as "_NET_WM_STATE_HIDDEN") among those it supports; false
// without one, or where there is no such thing.
bool windowManagerLacks(const char* hint);

// The running X11 window manager's name, as it publishes it ("Weston WM");
// empty without one, or where there is no such thing.
std::string windowManagerName();

// Brings the given window forward for a launch the user asked for, named by
// the launch's startup id: the window manager learns the id and the time of
// the user's request that it carries, so that focus-stealing prevention lets
// the window take the focus, and the launch's startup notification ends.
// False when that cannot be done (no id, no time in it, no such system): the
// caller's own activation is then all there is.
bool activateForLaunch(std::uintptr_t window, const char* startupId);

// One synthetic key event, named by its Windows virtual-key code.
struct KeyStroke
{
    unsigned short virtualKey;
    bool release;
};

// The window switch: Windows/Super + D (show the desktop), then Windows/Super
// + E (open a file manager), as two separate chords.
extern const std::array<KeyStroke, 8> windowSwitchKeys;

// Sends the strokes one event at a time, in order, without pausing. Returns
// the number of events handed to the system; 0 (with a diagnostic) when the
// system offers no way to send them.
int sendKeyStrokes(const KeyStroke* strokes, int count);

} // namespace platform

#endif
