#include "core/TickClock.h"

#include <ctime>

namespace celdara {

Tick TSystemTickClock::Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ull +
                    static_cast<unsigned long long>(ts.tv_nsec) / 1000000ull;
    return static_cast<Tick>(ms);
}

TTickClock& SystemTickClock() {
    static TSystemTickClock clock;
    return clock;
}

} // namespace celdara
