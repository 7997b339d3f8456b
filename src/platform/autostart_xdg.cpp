// SPDX-License-Identifier: GPL-3.0-or-later
// Start at login on desktops that follow the XDG autostart rules: the
// session starts every entry in an "autostart" folder of the configuration
// folders, and an entry of the same name in the user's own folder takes the
// place of the system's one; there, Hidden=true switches it off.
#include "platform/autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char entryName[] = "tessik-control.desktop";

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

fs::path userEntry()
{
    // A relative one is invalid and ignored.
    const fs::path configHome = environment("XDG_CONFIG_HOME");
    const fs::path base =
        configHome.is_absolute() ? configHome : fs::path(environment("HOME")) / ".config";
    return base / "autostart" / entryName;
}

// The entry the system gives every user (the package puts one in
// /etc/xdg/autostart); empty when there is none, as after an install under
// /usr/local.
fs::path systemEntry()
{
    std::string folders = environment("XDG_CONFIG_DIRS");
    if (folders.empty())
        folders = "/etc/xdg";
    std::istringstream list(folders);
    std::string folder;
    while (std::getline(list, folder, ':')) {
        // Relative folders are invalid and ignored.
        const fs::path entry = fs::path(folder) / "autostart" / entryName;
        std::error_code error;
        if (entry.is_absolute() && fs::exists(entry, error))
            return entry;
    }
    return {};
}

// Whether the session starts an existing entry: not hidden, and not switched
// off by GNOME's startup settings, which have a key of their own for it.
bool startsEntry(const fs::path& entry)
{
    std::ifstream file(entry);
    bool mainGroup = false;
    std::string line;
    while (std::getline(file, line)) {
        // Spaces around the '=' do not count.
        std::string compact;
        for (char c : line)
            if (c != ' ' && c != '\t' && c != '\r')
                compact += c;
        if (!compact.empty() && compact[0] == '[')
            mainGroup = compact == "[DesktopEntry]";
        else if (mainGroup &&
                 (compact == "Hidden=true" || compact == "X-GNOME-Autostart-enabled=false"))
            return false;
    }
    // An entry that cannot be read to its end starts nothing.
    return file.eof();
}

// The running program as one argument of an entry's Exec key, in the form
// that GLib and systemd's autostart generator both read back as it was:
// quoted, with '"', '`' and '$' escaped for Exec and each escape escaped
// again for the file, and '%' doubled. Empty for a path that no entry can
// hold: a line break would end the key, and a backslash, which those two
// unescape differently, would start another program or none.
std::string execArgument()
{
    std::error_code error;
    std::string path = fs::read_symlink("/proc/self/exe", error).string();
    // What Linux reports for a program that an upgrade has replaced.
    const std::string replaced = " (deleted)";
    if (path.size() > replaced.size() &&
        path.compare(path.size() - replaced.size(), replaced.size(), replaced) == 0)
        path.resize(path.size() - replaced.size());
    std::string quoted = "\"";
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\')
            return {};
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\"; // escaped for Exec, then that backslash for the file
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + '"';
}

std::string failure(const char* what, const fs::path& path, int error)
{
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

// Writes the user's entry whole, or leaves the one before in place.
std::string writeUserEntry(const fs::path& entry, bool hidden)
{
    const std::string program = execArgument();
    if (program.empty())
        return "Cannot start at login a program whose path holds a line break, another "
               "control character or a backslash";
    std::error_code error;
    fs::create_directories(entry.parent_path(), error);
    if (error)
        return failure("Cannot create", entry.parent_path(), error.value());
    const fs::path draft = entry.string() + ".new";
    std::FILE* file = std::fopen(draft.c_str(), "w");
    if (file == nullptr)
        return failure("Cannot write", draft, errno);
    // The quiet start of the menu entry, with this program's own path: a
    // build installed by hand may not be on the session's PATH.
    std::fprintf(file,
                 "[Desktop Entry]\n"
                 "Type=Application\n"
                 "Name=Tessik Control\n"
                 "Comment=Watches the Tessik motion sensor from the tray\n"
                 "Exec=env QT_LOGGING_RULES=default.debug=false %s %s\n"
                 "Icon=tessik-control\n"
                 "Terminal=false\n"
                 "%s",
                 program.c_str(), platform::autostartOption, hidden ? "Hidden=true\n" : "");
    // On disk before it takes the old entry's place, whatever happens next.
    const bool written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        fs::remove(draft, error);
        return failure("Cannot write", draft, written ? errno : writeError);
    }
    fs::rename(draft, entry, error);
    if (error) {
        fs::remove(draft, error);
        return failure("Cannot write", entry, error.value());
    }
    return {};
}

} // namespace

namespace platform {

bool startsAtLogin()
{
    const fs::path user = userEntry();
    std::error_code error;
    if (fs::exists(user, error))
        return startsEntry(user);
    const fs::path system = systemEntry();
    return !system.empty() && startsEntry(system);
}

std::string setStartsAtLogin(bool start)
{
    // Where the system's entry already gives what the user wants, the user's
    // own entry goes; otherwise the user's entry says it.
    const fs::path system = systemEntry();
    const bool systemStarts = !system.empty() && startsEntry(system);
    const fs::path user = userEntry();
    if (systemStarts != start)
        return writeUserEntry(user, !start);
    std::error_code error;
    fs::remove(user, error);
    return error ? failure("Cannot remove", user, error.value()) : std::string();
}

} // namespace platform
