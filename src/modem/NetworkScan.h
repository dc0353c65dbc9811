// The networks a modem finds when asked AT+COPS=? (27.007 7.3): each with its state, long
// and short name, numeric code and access technology.
#pragma once

#include "modem/RadioDialect.h"

#include <optional>
#include <string>
#include <vector>

namespace celdara {

struct TNetworkEntry {
    int State = 0; // <stat>: 0 unknown, 1 available, 2 current, 3 forbidden
    std::string LongName;
    std::string ShortName;
    std::string Code; // numeric <oper>: MCC and MNC, 5 or 6 digits
    std::optional<int> Act;

    bool operator==(const TNetworkEntry&) const = default;
};

// How a scan ended.
enum class TScanEnd { Done, Refused, Unanswered, Cancelled };

struct TNetworkScanResult {
    TScanEnd End = TScanEnd::Done;
    std::string Error; // the modem's error line for Refused, in words (ErrorResultText)
    std::vector<TNetworkEntry> Networks;

    bool operator==(const TNetworkScanResult&) const = default;
};

// The networks of a +COPS=? reply: "+COPS: (<stat>,"<long>","<short>","<numeric>"[,<AcT>]),
// ...,,(<modes>),(<formats>)"; the trailing lists of supported modes and formats are not
// networks. An entry that does not read as one is skipped.
std::vector<TNetworkEntry> ParseNetworkScan(const TReplyLines& lines);

// "unknown", "available", "current", "forbidden".
const char* NetworkStateText(int state);

// How long a modem may take to scan (27.007 leaves it open; modules take up to minutes).
inline constexpr int kNetworkScanMs = 180000;

} // namespace celdara
