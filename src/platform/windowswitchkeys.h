// SPDX-License-Identifier: GPL-3.0-or-later
// Windows only: the Window Switch as the system's own shortcuts, typed
// through SendInput.
#ifndef TESSIK_WINDOWSWITCHKEYS_H
#define TESSIK_WINDOWSWITCHKEYS_H

#include <array>

namespace platform {

// One synthetic key event, named by its Windows virtual-key code.
struct KeyStroke
{
    unsigned short virtualKey;
    bool release;
};

// Windows + D (show the desktop), then Windows + E (open a file manager), as
// two separate chords.
extern const std::array<KeyStroke, 8> windowSwitchKeys;

// Sends the strokes one event at a time, in order, without pausing. Returns
// the number of events handed to the system.
int sendKeyStrokes(const KeyStroke* strokes, int count);

} // namespace platform

#endif
