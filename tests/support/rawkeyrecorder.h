// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_RAWKEYRECORDER_H
#define TESSIK_RAWKEYRECORDER_H

#include <cstddef>
#include <vector>

typedef struct _XDisplay Display;

struct RawKeyEvent
{
    int keycode;
    bool release;
    bool operator==(const RawKeyEvent& other) const
    {
        return keycode == other.keycode && release == other.release;
    }
};

// Records every key event the X server receives, from any client, as
// XInput2 raw events selected on the root window.
class RawKeyRecorder
{
public:
    RawKeyRecorder();
    ~RawKeyRecorder();
    RawKeyRecorder(const RawKeyRecorder&) = delete;
    RawKeyRecorder& operator=(const RawKeyRecorder&) = delete;

    // False without an X server or without XInput 2.2.
    bool isReady() const { return inputOpcode != 0; }
    // The recorder's own connection, for keymap queries.
    Display* display() const { return connection; }

    // Collects events until `wanted` have come or the time is up; a short
    // wait past `wanted` also catches any surplus.
    std::vector<RawKeyEvent> receive(std::size_t wanted, int timeoutMs);

private:
    Display* connection = nullptr;
    int inputOpcode = 0;
};

#endif
