// How often the window's log writes: a modem answers about ten cycles a second, mostly with
// the same values, so the log takes at most one row per interval, the cycle that ends it.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace celdara {

// The intervals the user can choose, in seconds; 0 writes every cycle.
inline constexpr int kLogIntervals[] = {0, 1, 10, 60};
inline constexpr int kDefaultLogInterval = 1;

// A stored interval; one that is not offered (edited by hand, from another version) is the
// default.
int ParseLogInterval(const std::string& stored);

class TLogThrottle {
public:
    using Clock = std::chrono::steady_clock;

    void SetInterval(int seconds);
    int Interval() const { return seconds_; }
    // The next cycle is written whenever it comes.
    void Restart() { last_.reset(); }
    // Whether the cycle that ended at `now` is written; a written one starts the next interval.
    bool Due(Clock::time_point now);

private:
    int seconds_ = kDefaultLogInterval;
    std::optional<Clock::time_point> last_;
};

} // namespace celdara
