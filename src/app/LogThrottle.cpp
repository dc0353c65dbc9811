#include "app/LogThrottle.h"

#include "util/TextConvert.h"

#include <algorithm>
#include <iterator>

namespace celdara {

int ParseLogInterval(const std::string& stored) {
    // -1 is no interval, so anything that is not a number falls to the default.
    const int seconds = TextToInt(stored, -1);
    const bool offered = std::find(std::begin(kLogIntervals), std::end(kLogIntervals), seconds) !=
                         std::end(kLogIntervals);
    return offered ? seconds : kDefaultLogInterval;
}

void TLogThrottle::SetInterval(int seconds) {
    seconds_ = seconds;
    last_.reset();
}

bool TLogThrottle::Due(Clock::time_point now) {
    if (last_ && now - *last_ < std::chrono::seconds(seconds_))
        return false;
    last_ = now;
    return true;
}

} // namespace celdara
