// SPDX-License-Identifier: GPL-3.0-or-later
// The signals that ask the program to end, turned into bytes on a socket
// that the event loop watches: a signal handler may do little more than
// write.
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler's end and the reader's end; global, since a signal handler
// can reach nothing else. Made once and kept for the process's life.
int ends[2] = {-1, -1};

void writeSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    // A full socket already holds a request to end.
    [[maybe_unused]] const ssize_t written = write(ends[0], &byte, 1);
    errno = saved;
}

// What each signal did before: given back afterwards.
struct sigaction previous[std::size(quitSignals)];

} // namespace

int routeQuitSignals()
{
    if (ends[0] < 0 &&
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
        return -1;
    // Signals an earlier reader left unread are old news.
    char old[16];
    while (read(ends[1], old, sizeof old) > 0) {
    }
    struct sigaction action = {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(quitSignals); ++i) {
        sigaction(quitSignals[i], nullptr, &previous[i]);
        // A signal ignored by whoever started the program (nohup) stays so.
        if (previous[i].sa_handler != SIG_IGN)
            sigaction(quitSignals[i], &action, nullptr);
    }
    return ends[1];
}

void stopRoutingQuitSignals()
{
    for (std::size_t i = 0; i < std::size(quitSignals); ++i)
        sigaction(quitSignals[i], &previous[i], nullptr);
}

} // namespace platform
