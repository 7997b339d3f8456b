// SPDX-License-Identifier: GPL-3.0-or-later
// The Window Switch's key events on Windows.
#include "platform/windowswitchkeys.h"

namespace platform {

namespace {
constexpr unsigned short leftWindowsKey = 0x5B;
constexpr unsigned short keyD = 0x44;
constexpr unsigned short keyE = 0x45;
} // namespace

// The Windows key is released between the chords so the shell sees two
// separate shortcuts rather than one held chord.
const std::array<KeyStroke, 8> windowSwitchKeys = {{
    {leftWindowsKey, false},
    {keyD, false},
    {keyD, true},
    {leftWindowsKey, true},
    {leftWindowsKey, false},
    {keyE, false},
    {keyE, true},
    {leftWindowsKey, true},
}};

} // namespace platform
