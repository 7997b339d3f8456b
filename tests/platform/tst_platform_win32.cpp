// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows layer against user32 and the registry, built with mingw-w64
// and run under Wine (see runwine.sh). Qt is not available for Windows here, so the checks print
// one "ok" or "not ok" line each and the exit code counts the failures.
// It types Windows+D and Windows+E: never run it on a real desktop.
#include "platform/autostart.h"
#include "platform/platform.h"
#include "platform/windowswitchkeys.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool passed, const std::string& name, const std::string& detail = std::string())
{
    std::printf("%s - %s%s%s\n", passed ? "ok" : "not ok", name.c_str(),
                passed || detail.empty() ? "" : ": ", passed ? "" : detail.c_str());
    std::fflush(stdout);
    if (!passed)
        ++failures;
}

// Pumps this thread's messages for the given time.
void pumpMessages(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount64() < end);
}

// One key event as a hook or a window saw it.
struct KeyEvent
{
    DWORD virtualKey;
    bool release;
    bool injected;
};

// "5B down injected, 44 down injected, ..."; the flag only where it is known.
std::string describe(const std::vector<KeyEvent>& events, bool withInjected)
{
    std::string text;
    for (const KeyEvent& event : events) {
        char item[40];
        std::snprintf(item, sizeof item, "%02lX %s%s, ",
                      static_cast<unsigned long>(event.virtualKey), event.release ? "up" : "down",
                      withInjected && event.injected ? " injected" : "");
        text += item;
    }
    return text;
}

// The low-level hook sees the system's input stream; it runs on its own
// thread with its own message loop, as such hooks must.
KeyEvent hookEvents[64];
volatile LONG hookCount = 0;

LRESULT CALLBACK recordHookEvent(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const LONG index = hookCount;
        if (index < 64) {
            hookEvents[index] = {event->vkCode, (event->flags & LLKHF_UP) != 0,
                                 (event->flags & LLKHF_INJECTED) != 0};
            InterlockedIncrement(&hookCount);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI runHookThread(LPVOID ready)
{
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, recordHookEvent, GetModuleHandleW(nullptr), 0);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before "ready"
    SetEvent(static_cast<HANDLE>(ready));
    if (hook == nullptr)
        return 1;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    UnhookWindowsHookEx(hook);
    return 0;
}

// The focused window sees the events as key messages.
std::vector<KeyEvent> windowEvents;

LRESULT CALLBACK recordKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
        message == WM_SYSKEYUP)
        windowEvents.push_back(
            {static_cast<DWORD>(wParam), message == WM_KEYUP || message == WM_SYSKEYUP, false});
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* const windowClass = L"TessikPlatformTest";

void registerWindowClass()
{
    WNDCLASSW windowClassInfo{};
    windowClassInfo.lpfnWndProc = recordKeyMessage;
    windowClassInfo.hInstance = GetModuleHandleW(nullptr);
    windowClassInfo.lpszClassName = windowClass;
    RegisterClassW(&windowClassInfo);
}

// Shows the window and makes it the foreground window; false when the
// system did not let it come to the front.
bool bringToFront(HWND window)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    pumpMessages(50);
    return GetForegroundWindow() == window;
}

void checkKeyStrokes()
{
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD hookThreadId = 0;
    HANDLE hookThread = CreateThread(nullptr, 0, runHookThread, ready, 0, &hookThreadId);
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);

    HWND window = CreateWindowExW(0, windowClass, L"keys", WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    check(bringToFront(window), "key window has the focus");

    struct Row
    {
        const char* name;
        // Returns the number of events handed over.
        int (*send)();
        std::vector<KeyEvent> expected;
    };
    const KeyEvent winDown{VK_LWIN, false, true}, winUp{VK_LWIN, true, true};
    const std::vector<KeyEvent> windowSwitch{winDown, {'D', false, true}, {'D', true, true}, winUp,
                                             winDown, {'E', false, true}, {'E', true, true}, winUp};
    const Row rows[] = {
        {"window switch",
         [] { return platform::sendKeyStrokes(platform::windowSwitchKeys.data(), 8); },
         windowSwitch},
        // What the program calls: the same events, which open a file manager.
        {"hide the windows",
         [] {
             const platform::SwitchOutcome outcome = platform::hideUserWindows({});
             return outcome.windowsHidden && outcome.fileManagerOpened ? 8 : -1;
         },
         windowSwitch},
        {"empty list",
         [] { return platform::sendKeyStrokes(platform::windowSwitchKeys.data(), 0); },
         {}},
        {"no list", [] { return platform::sendKeyStrokes(nullptr, 8); }, {}},
    };
    for (const Row& row : rows) {
        InterlockedExchange(&hookCount, 0);
        windowEvents.clear();
        const int sent = row.send();
        // Wait for every expected event, then a little longer for stray ones.
        const ULONGLONG end = GetTickCount64() + 2000;
        while (GetTickCount64() < end && (hookCount < static_cast<LONG>(row.expected.size()) ||
                                          windowEvents.size() < row.expected.size()))
            pumpMessages(10);
        pumpMessages(150);

        const std::string name = row.name;
        check(sent == static_cast<int>(row.expected.size()), name + ": events handed over",
              std::to_string(sent));
        const std::vector<KeyEvent> hooked(hookEvents, hookEvents + hookCount);
        check(describe(hooked, true) == describe(row.expected, true), name + ": low-level hook",
              "saw " + describe(hooked, true) + "wanted " + describe(row.expected, true));
        check(describe(windowEvents, false) == describe(row.expected, false),
              name + ": focused window",
              "saw " + describe(windowEvents, false) + "wanted " + describe(row.expected, false));
        std::vector<KeyEvent> held;
        for (int key : {VK_LWIN, int{'D'}, int{'E'}})
            if (GetAsyncKeyState(key) & 0x8000)
                held.push_back({static_cast<DWORD>(key), false, false});
        check(held.empty(), name + ": no key left down", describe(held, false));
    }

    DestroyWindow(window);
    PostThreadMessageW(hookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread, 5000);
    CloseHandle(hookThread);
}

void checkFullScreen()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    struct Row
    {
        const char* name;
        DWORD extendedStyle;
        DWORD style;
        RECT rect;
        bool expected;
    };
    const Row rows[] = {
        {"normal window", 0, WS_OVERLAPPEDWINDOW, {100, 100, 500, 400}, false},
        {"topmost, screen size", WS_EX_TOPMOST, WS_POPUP, {0, 0, width, height}, true},
        {"topmost, screen size at an offset",
         WS_EX_TOPMOST,
         WS_POPUP,
         {40, 30, 40 + width, 30 + height},
         true},
        {"screen size, not topmost", 0, WS_POPUP, {0, 0, width, height}, false},
        {"topmost, one pixel narrower", WS_EX_TOPMOST, WS_POPUP, {0, 0, width - 1, height}, false},
        {"topmost, one pixel shorter", WS_EX_TOPMOST, WS_POPUP, {0, 0, width, height - 1}, false},
        {"topmost, one pixel wider", WS_EX_TOPMOST, WS_POPUP, {0, 0, width + 1, height}, false},
        {"topmost, one pixel taller", WS_EX_TOPMOST, WS_POPUP, {0, 0, width, height + 1}, false},
    };
    for (const Row& row : rows) {
        HWND window = CreateWindowExW(row.extendedStyle, windowClass, L"front", row.style,
                                      row.rect.left, row.rect.top, row.rect.right - row.rect.left,
                                      row.rect.bottom - row.rect.top, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        const std::string name = std::string("full screen: ") + row.name;
        RECT rect{};
        GetWindowRect(window, &rect);
        const bool sized = rect.right - rect.left == row.rect.right - row.rect.left &&
                           rect.bottom - rect.top == row.rect.bottom - row.rect.top;
        if (bringToFront(window) && sized)
            check(platform::foregroundIsFullScreen() == row.expected, name);
        else
            check(false, name, "the window could not be set up");
        DestroyWindow(window);
        pumpMessages(20);
    }

    if (GetForegroundWindow() == nullptr)
        check(!platform::foregroundIsFullScreen(), "full screen: no foreground window");
    else
        check(false, "full screen: no foreground window", "a window is still in front");
}

const wchar_t runKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t approvalKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t valueName[] = L"Tessik Control";

// The command the Run key gives for the program; empty when there is none.
std::wstring runCommand()
{
    wchar_t command[1024] = L"";
    DWORD size = sizeof command;
    RegGetValueW(HKEY_CURRENT_USER, runKey, valueName, RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

// On, off and on again, the last time over Task Manager's switch.
void checkStartAtLogin()
{
    check(platform::setStartsAtLogin(false).empty() && !platform::startsAtLogin(),
          "start at login: off at first");
    const BYTE switchedOff[12] = {3};
    for (bool start : {true, false, true}) {
        const std::string problem = platform::setStartsAtLogin(start);
        check(problem.empty() && platform::startsAtLogin() == start,
              std::string("start at login: ") + (start ? "on" : "off"), problem);
        RegSetKeyValueW(HKEY_CURRENT_USER, approvalKey, valueName, REG_BINARY, switchedOff,
                        sizeof switchedOff);
        check(!platform::startsAtLogin(), "start at login: switched off in Task Manager");
    }
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    check(runCommand() == L"\"" + std::wstring(program) + L"\" --autostart",
          "start at login: the Run key starts this program out of sight");
    platform::setStartsAtLogin(false);
    check(runCommand().empty(), "start at login: off removes the Run key's value");
}

} // namespace

int main()
{
    registerWindowClass();
    checkKeyStrokes();
    checkFullScreen();
    checkStartAtLogin();
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
