// Millisecond tick arithmetic that survives the wrap of the 32-bit counter.
#pragma once

#include <cstdint>

namespace celdara {

using Tick = std::uint32_t;

// a = a - b modulo 2^32.
void TickSub(Tick& a, Tick b);

// True when more than `period` ms lie between `start` and `now`. A counter that seems to
// have gone back (rather than wrapped) counts as elapsed, so nothing waits forever.
bool TickElapsed(Tick start, Tick period, Tick now);

} // namespace celdara
