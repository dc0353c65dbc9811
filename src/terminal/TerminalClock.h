// The two clocks the terminal reads, kept behind functions so tests can set them.
#pragma once

#include "util/Tick.h"

#include <functional>

namespace celdara {

struct TerminalClock {
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    std::function<Tick()> tickCount;
    // The local date and time as days (only the fraction of the day is shown).
    std::function<double()> localTime;
};

// Monotonic milliseconds and the local wall-clock time.
TerminalClock SystemTerminalClock();

} // namespace celdara
