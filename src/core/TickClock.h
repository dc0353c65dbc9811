// The millisecond tick counter seam: the system's monotonic clock in the program, a clock
// that tests set and advance (also across the 32-bit wrap).
#pragma once

#include "util/Tick.h"

namespace celdara {

class TTickClock {
public:
    virtual ~TTickClock() = default;
    // Milliseconds since an arbitrary start, modulo 2^32.
    virtual Tick Now() = 0;
};

// CLOCK_MONOTONIC in milliseconds, wrapping like a 32-bit tick counter.
class TSystemTickClock final : public TTickClock {
public:
    Tick Now() override;
};

class TManualTickClock final : public TTickClock {
public:
    explicit TManualTickClock(Tick start = 0) : now_(start) {}
    Tick Now() override { return now_; }
    void Set(Tick now) { now_ = now; }
    // Moves forward by `ms`, wrapping at 2^32 like the real counter.
    void Advance(Tick ms) { now_ = static_cast<Tick>(now_ + ms); }

private:
    Tick now_;
};

// The one system clock of the process.
TTickClock& SystemTickClock();

} // namespace celdara
