// SPDX-License-Identifier: GPL-3.0-or-later
// Start at login on Windows: a value in the user's Run key, which Task
// Manager's Startup page can switch off without removing it.
#include "platform/autostart.h"

#include <windows.h>

namespace {

const wchar_t runKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t approvalKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t valueName[] = L"Tessik Control";

std::string failure(const char* what, LSTATUS status)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(status), 0, text, sizeof text, nullptr);
    return std::string(what) + ": " + (text[0] != '\0' ? text : std::to_string(status));
}

} // namespace

namespace platform {

bool startsAtLogin()
{
    if (RegGetValueW(HKEY_CURRENT_USER, runKey, valueName, RRF_RT_REG_SZ, nullptr, nullptr,
                     nullptr) != ERROR_SUCCESS)
        return false;
    // Task Manager marks a switched-off entry with an odd first byte.
    BYTE approval[12] = {};
    DWORD size = sizeof approval;
    return RegGetValueW(HKEY_CURRENT_USER, approvalKey, valueName, RRF_RT_REG_BINARY, nullptr,
                        approval, &size) != ERROR_SUCCESS ||
           (approval[0] & 1) == 0;
}

std::string setStartsAtLogin(bool start)
{
    // The user's latest word counts, also over Task Manager's earlier one.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, approvalKey, valueName);
    if (!start) {
        const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, runKey, valueName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND
                   ? std::string()
                   : failure("Cannot remove the Run key's value", status);
    }
    wchar_t program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH * 4);
    if (length == 0 || length == MAX_PATH * 4)
        return "Cannot find the program's own path";
    std::wstring command = L"\"" + std::wstring(program, length) + L"\" ";
    for (const char* c = autostartOption; *c != '\0'; ++c)
        command += static_cast<wchar_t>(*c);
    const LSTATUS status =
        RegSetKeyValueW(HKEY_CURRENT_USER, runKey, valueName, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    return status == ERROR_SUCCESS ? std::string() : failure("Cannot write the Run key", status);
}

} // namespace platform
