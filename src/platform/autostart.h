// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the user's session starts the program at login, and the user's
// switch for it: the XDG autostart entries on Linux desktops, the per-user
// Run key on Windows. Plain C++ without Qt; one implementation file per
// system, chosen by the build.
#ifndef TESSIK_AUTOSTART_H
#define TESSIK_AUTOSTART_H

#include <string>

namespace platform {

// Given on the command line by every start at login that the program sets
// up, so that it starts out of sight.
inline constexpr char autostartOption[] = "--autostart";

// Whether the session will start the program at the user's next login.
bool startsAtLogin();

// Makes the session start the program at login, or stop doing so, for this
// user only. Returns an empty string when done, otherwise what went wrong.
std::string setStartsAtLogin(bool start);

} // namespace platform

#endif
