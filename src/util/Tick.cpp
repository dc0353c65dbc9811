#include "util/Tick.h"

namespace celdara {

void TickSub(Tick& a, Tick b) {
    a = static_cast<Tick>(a - b);
}

bool TickElapsed(Tick start, Tick period, Tick now) {
    constexpr Tick upperHalf = 0x80000000u;
    Tick elapsed = 0;
    if (start <= now) {
        elapsed = now - start;
    } else if (start >= upperHalf && now < upperHalf) {
        elapsed = static_cast<Tick>(now - start); // the counter wrapped
    } else {
        return true; // the counter went back: do not let anything wait for ever
    }
    return period < elapsed;
}

} // namespace celdara
