// Turns the modem's reply lines into fields of a TModemStatus. A line of the wrong shape
// changes nothing (or only what its shape allows); no parser reports an error.
#pragma once

#include "modem/ModemStatus.h"

#include <string>
#include <string_view>

namespace celdara {

// +CSQ: <rssi>,<ber>
void ParseSignalQuality(std::string_view line, TModemStatus& status);
// +COPS: <mode>[,<format>,"<operator>"[,<AcT>]]; the AcT sets status.Radio.Act and .Tech
void ParseOperator(std::string_view line, TModemStatus& status);
// +CREG: <n>,<stat>[,...], the read command's answer (ParseRegistrationLine): the state and,
// on GSM and UMTS, the location. An unsolicited +CREG line, or one that fits no form,
// changes nothing here.
void ParseRegistration(std::string_view line, TModemStatus& status);
// +CPAS: <pas>
void ParsePhoneActivity(std::string_view line, TModemStatus& status);
// A data line of the serving-cell monitor into row 0; an empty line marks it invalid.
void ParseServingCell(std::string_view line, TModemStatus& status);
// A data line of the neighbour-cell monitor into row 1 + index. An index outside 0..5
// stores nothing and marks every neighbour row invalid.
void ParseNeighbourCell(std::string_view line, int index, TModemStatus& status);

// True for a final result code that reports a failure: "ERROR", or an extended error
// "+CME ERROR: <err>" (27.007 9.2) or "+CMS ERROR: <err>" (27.005 3.2.5), numeric or verbose.
bool IsFinalError(std::string_view line);

// The error line for the user: a numeric 27.007 error gets its text in parentheses
// ("+CME ERROR: 32 (network not allowed, emergency calls only)"); others stay as they came.
std::string ErrorResultText(std::string_view line);

} // namespace celdara
