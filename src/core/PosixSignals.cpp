#include "core/PosixSignals.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace celdara {

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the pipe.
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}

} // namespace

int WatchTerminationSignals() {
    if (signalPipe[0] >= 0)
        return signalPipe[0];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return -1;
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return signalPipe[0];
}

void DrainTerminationSignals(int fd) {
    char buffer[16];
    [[maybe_unused]] ssize_t n = read(fd, buffer, sizeof buffer);
}

} // namespace celdara
