// The commands beyond ^MONI / ^MONP that tell about the radio, and how their replies read.
// Which ones a modem is asked depends on what +CGMI / +CGMM said; the machine drops any the
// modem refuses. Each vendor's replies are read in a file of their own (Dialect*.cpp),
// with that vendor's "no value" marks and unit conversions in one place.
#pragma once

#include "modem/ModemStatus.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// The information lines of one reply, in order, without the final result code; lines the
// parser does not know (an unsolicited RING in between) are passed on and must be ignored.
using TReplyLines = std::vector<std::string>;

struct TRadioQuery {
    // The command as sent, with its "\r".
    std::string Command;
    // Fills what the reply tells into status.Radio (and nothing else of the status, unless
    // the reply is the better source). Leaves a value alone that the reply does not give.
    std::function<void(const TReplyLines& lines, TModemStatus& status)> Parse;
};

// The queries for the modem that +CGMI / +CGMM named, in the order they are sent in a poll
// cycle: the standard 27.007 ones first, then the vendor's, whose finer values win. The vendor
// is found in either text, letter case ignored; an unknown one gets the standard queries
// only. Each Parse carries the quirks of that model; the parsers are in RadioDialects.h.
std::vector<TRadioQuery> RadioQueriesFor(std::string_view manufacturer, std::string_view model);

} // namespace celdara
