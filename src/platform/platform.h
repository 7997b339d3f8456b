// SPDX-License-Identifier: GPL-3.0-or-later
// The few desktop services that Qt does not offer: asking whether a
// full-screen program is in front or a screen locker is up, and hiding
// the user's windows. Plain C++ without Qt; one implementation
// file per windowing system (X11 on Linux, user32 on Windows), chosen by the
// build.
#ifndef TESSIK_PLATFORM_H
#define TESSIK_PLATFORM_H

#include <cstdint>
#include <string>
#include <vector>

// The X server connection of the xcb library.
struct xcb_connection_t;

namespace platform {

// Receives one line of diagnostic text (for the program's debug output).
using DiagnosticSink = void (*)(const char* message);
// Where diagnostics go; by default they are written to standard error.
void setDiagnosticSink(DiagnosticSink sink);

// True in a Wayland session, where this X11 program reaches only other X11
// programs (through XWayland), never the desktop itself.
bool isWaylandSession();

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

// Brings the given window forward for a request the user has just made,
// such as a click on the tray icon: the window manager is asked with the
// X server's current time, which is newer than the user's last input in any
// other window. False when that cannot be done; the caller's own activation
// is then all there is.
bool activateAtUserRequest(std::uintptr_t window);

// A startup id for a launch the user asks for now, in the form launchers
// give (name-pid_TIME<X server time>), for a start that the desktop gave
// none; empty where there is no such system.
std::string startupIdNow(const char* name);

// A monitor's place on the screen, in pixels.
struct Monitor
{
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;
};

// True while an X11 screen locker that says nothing on D-Bus (i3lock,
// slock, xsecurelock, xscreensaver) is up: another program holds the
// keyboard grab, and the topmost window on screen is an unmanaged one
// covering one of the given monitors whole. A grab alone
// (a menu open elsewhere, a full-screen game or virtual machine) is no
// lock. Asks through the given connection, the program's own; false
// without one, or where there is no such thing.
bool screenLockerShown(xcb_connection_t* connection, const std::vector<Monitor>& monitors);

// Sends the requests waiting on the given connection at once, where the
// program's toolkit would hold them back until its next exchange with the
// X server.
void sendPendingRequests(xcb_connection_t* connection);

// Makes SIGTERM, SIGINT and SIGHUP, which ask the program to end, write a
// byte each to the returned descriptor instead of ending the process at
// once, so that the program can end as its Quit does; -1 where there are
// no such signals; the reader need not read them. stopRoutingQuitSignals
// gives them their usual effect back.
int routeQuitSignals();
void stopRoutingQuitSignals();

// Whether the sound server takes connections: on Linux the PulseAudio
// server (or PipeWire's stand-in) that PULSE_SERVER names, or else the
// session's; one reached otherwise than through a local socket is taken
// to be there. Always true on Windows.
bool soundServerAnswers();

// What hideUserWindows achieved.
struct SwitchOutcome
{
    bool windowsHidden = false;
    // The system's own shortcut opened a file manager as well.
    bool fileManagerOpened = false;
};

// The Window Switch's part that needs the windowing system. On X11 it asks
// the window manager to minimise each ordinary window in its list that is
// not minimised already, except the given ones (this program's own), and
// returns once the requests have been delivered; it types nothing. On
// Windows it types Windows+D, which minimises every window, and then
// Windows+E, which opens a file manager. Failures are reported as
// diagnostics.
SwitchOutcome hideUserWindows(const std::vector<std::uintptr_t>& keep);

} // namespace platform

#endif
