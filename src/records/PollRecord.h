// One completed poll cycle as data: when and where it was measured, the device, and what the
// modem said. The window's log and celdara-monitor write the same records.
#pragma once

#include "modem/ModemStatus.h"

#include <chrono>
#include <string>

namespace celdara {

struct TPollRecord {
    std::chrono::system_clock::time_point Time;
    std::string Port;
    std::string Manufacturer;
    std::string Model;
    TModemStatus Status;
};

// ISO 8601 in the local zone with its offset, to the millisecond:
// "2026-12-09T14:05:31.250+01:00".
std::string IsoTimeText(std::chrono::system_clock::time_point time);

// The +CPAS activity in words: "ready", "ringing", "call in progress", "other" (any other
// state the modem reported); empty when the modem did not say.
std::string ActivityText(const TModemStatus& status);

} // namespace celdara
