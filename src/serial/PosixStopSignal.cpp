// The stop signal as an eventfd beside an atomic flag: the flag answers a quick test, the
// descriptor wakes a poll() that waits on a device.
#include "serial/SerialDevice.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace celdara {

TStopSignal::TStopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0)
        createError_ = errno;
}

TStopSignal::~TStopSignal() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TStopSignal::Set() {
    set_.store(true, std::memory_order_release);
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(fd_, &one, sizeof one);
    }
}

bool TStopSignal::Wait(int timeoutMs) const {
    if (IsSet())
        return true;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 || IsSet();
}

} // namespace celdara
