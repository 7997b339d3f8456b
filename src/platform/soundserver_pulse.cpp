// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the PulseAudio server is there yet, asked without libpulse.
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

bool soundServerAnswers()
{
    const char* named = std::getenv("PULSE_SERVER");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string server = named != nullptr && *named != '\0' ? named : "";
    if (server.empty())
        server = std::string("unix:") + (runtime != nullptr ? runtime : "") + "/pulse/native";
    if (server.rfind("unix:", 0) != 0)
        return true;
    const std::string path = server.substr(5);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const bool answers =
        connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(socket);
    return answers;
}

} // namespace platform
