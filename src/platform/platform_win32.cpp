// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services on Windows, through user32.
#include "platform/platform.h"
#include "platform/windowswitchkeys.h"

#include <windows.h>

namespace platform {

bool isWaylandSession()
{
    return false;
}

// Windows has no other session kind to warn about.
void reportSessionLimits() {}

// The Windows shell minimises and stacks every window.
bool windowManagerLacks(const char*)
{
    return false;
}

std::string windowManagerName()
{
    return std::string();
}

// Windows launches carry no startup id.
bool activateForLaunch(std::uintptr_t, const char*)
{
    return false;
}

bool activateAtUserRequest(std::uintptr_t)
{
    return false;
}

std::string startupIdNow(const char*)
{
    return std::string();
}

// A locked session runs on a desktop of its own, where injected keys and
// this program's windows never arrive.
bool screenLockerShown(xcb_connection_t*, const std::vector<Monitor>&)
{
    return false;
}

void sendPendingRequests(xcb_connection_t*) {}

// Windows' own sound service is always there.
bool soundServerAnswers()
{
    return true;
}

// A console's Ctrl+C and a session's end reach a Windows program otherwise.
int routeQuitSignals()
{
    return -1;
}

void stopRoutingQuitSignals() {}

// Windows+D minimises every window, this program's own too.
SwitchOutcome hideUserWindows(const std::vector<std::uintptr_t>&)
{
    const int count = static_cast<int>(windowSwitchKeys.size());
    SwitchOutcome outcome;
    outcome.windowsHidden = sendKeyStrokes(windowSwitchKeys.data(), count) == count;
    outcome.fileManagerOpened = outcome.windowsHidden;
    return outcome;
}

bool foregroundIsFullScreen()
{
    HWND window = GetForegroundWindow();
    if (window == nullptr)
        return false;

    WINDOWINFO info{};
    info.cbSize = sizeof(WINDOWINFO);
    if (!GetWindowInfo(window, &info))
        return false;
    if ((info.dwExStyle & WS_EX_TOPMOST) == 0)
        return false;

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT rect{};
    // The window may vanish between the two queries; an unread rectangle must
    // not be compared.
    if (!GetWindowRect(window, &rect))
        return false;
    // Only the size counts; a full-screen window may sit on any offset.
    return rect.right - rect.left == screenWidth && rect.bottom - rect.top == screenHeight;
}

int sendKeyStrokes(const KeyStroke* strokes, int count)
{
    if (strokes == nullptr || count <= 0)
        return 0;

    // Every field is written before the first event so nothing carries over
    // from an earlier call.
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = strokes[0].virtualKey;
    input.ki.wScan = 0;
    input.ki.dwFlags = 0;
    input.ki.time = 0;
    input.ki.dwExtraInfo = 0;

    int injected = 0;
    for (int i = 0; i < count; ++i) {
        input.ki.wVk = strokes[i].virtualKey;
        input.ki.dwFlags = strokes[i].release ? KEYEVENTF_KEYUP : 0;
        // A refused event is lost; the rest are still sent.
        injected += static_cast<int>(SendInput(1, &input, sizeof(INPUT)));
    }
    return injected;
}

} // namespace platform
