#include "records/PollRecord.h"

#include <cstdio>
#include <ctime>

namespace celdara {

std::string IsoTimeText(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(time.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    long millis = static_cast<long>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    // %z gives +0100; ISO 8601's extended form, which the date has, wants +01:00.
    char zone[8];
    std::strftime(zone, sizeof zone, "%z", &local);
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03ld%.3s:%.2s", date, millis, zone, zone + 3);
    return text;
}

std::string ActivityText(const TModemStatus& status) {
    if (!status.ActivityValid)
        return {};
    switch (status.Activity) {
    case 0:
        return "ready";
    case 3:
        return "ringing";
    case 4:
        return "call in progress";
    default:
        return "other";
    }
}

} // namespace celdara
