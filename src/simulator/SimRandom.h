// The simulator's own random source. The standard distributions may differ between
// library versions, so the same seed would not give the same traffic everywhere; this
// generator and its range helpers are fully defined here.
#pragma once

#include <cstdint>

namespace celdara {

class TSimRandom {
public:
    explicit TSimRandom(std::uint64_t seed = 1) : state_(seed) {}

    // splitmix64: every seed, 0 included, gives a good sequence.
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // An integer in [lo, hi]; lo > hi gives lo.
    int Range(int lo, int hi) {
        if (hi <= lo)
            return lo;
        auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return static_cast<int>(lo + static_cast<std::int64_t>(Next() % span));
    }
    // True with a chance of `perMille` in 1000.
    bool Chance(int perMille) { return Range(0, 999) < perMille; }
    // A generator for another purpose, independent of how much this one is used later.
    TSimRandom Fork(std::uint64_t salt) {
        return TSimRandom(Next() ^ (salt * 0xD6E8FEB86659FD93ull));
    }

private:
    std::uint64_t state_;
};

} // namespace celdara
