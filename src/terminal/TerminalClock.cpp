#include "terminal/TerminalClock.h"

#include "core/TickClock.h"

#include <chrono>
#include <ctime>

namespace celdara {

namespace {

Tick SystemTick() {
    return SystemTickClock().Now();
}

double SystemLocalTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const double secondOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                               static_cast<double>(ms < 0 ? ms + 1000 : ms) / 1000.0;
    return secondOfDay / 86400.0;
}

} // namespace

TerminalClock SystemTerminalClock() {
    return {SystemTick, SystemLocalTime};
}

} // namespace celdara
