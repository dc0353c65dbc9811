#include "simulator/PosixSimWait.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace celdara {

TSimWakeSignal::TSimWakeSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TSimWakeSignal::~TSimWakeSignal() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TSimWakeSignal::Notify() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t r = ::write(fd_, &one, sizeof one);
}

int TSimWakeSignal::Wait(const TStopSignal& stop, int timeoutMs) {
    pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {fd_, POLLIN, 0}};
    const int n = ::poll(fds, 2, std::max(timeoutMs, 0));
    if (n < 0 && errno != EINTR)
        return errno;
    if (n > 0 && (fds[1].revents & POLLIN)) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t r = ::read(fd_, &count, sizeof count);
    }
    return 0;
}

} // namespace celdara
