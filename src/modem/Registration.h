// The network registration lines of 27.007: +CREG (circuit switched), +CGREG (GPRS), +CEREG
// (EPS) and +C5GREG (5GS), both as the answer to their read command, which begins with <n>,
// and as the unsolicited line a modem sends when the registration or its cell changes (after
// AT+CREG=1/2/3 and their kind), which begins with <stat>. A line is read only in a form it
// fits: its field count, the quoting and the hex widths of its location decide, never one
// field alone.
#pragma once

#include "modem/ModemStatus.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace celdara {

enum class TRegDomain {
    Cs,  // +CREG
    Ps,  // +CGREG
    Eps, // +CEREG
    Fgs, // +C5GREG
};

struct TRegistration {
    TRegDomain Domain = TRegDomain::Cs;
    // True for the unsolicited form (<stat> first), false for the read command's answer.
    bool Unsolicited = false;
    std::optional<int> Mode;     // <n> of the answer, 0..5
    int State = -1;              // <stat> 0..11 (27.007 7.2, 10.1.19/20/22/23); -1 any other value
    std::optional<int> AreaCode; // <lac> / <tac>, when the form gives it
    std::optional<std::int64_t> CellId; // <ci>
    std::optional<int> Act;             // <AcT>

    bool operator==(const TRegistration&) const = default;
};

// The line read in the form it fits; nothing for a line of another prefix, or one that fits
// none of the forms.
std::optional<TRegistration> ParseRegistrationLine(std::string_view line);

// States 1, 5, 6, 7, 9, 10: registered, home or roaming, SMS only and CSFB not preferred
// included.
bool IsRegisteredState(int state);
// States 8 and 11: attached for emergency bearer services only, attached for RLOS only.
bool IsEmergencyOnlyState(int state);

// What the line tells, into the status: the state into RegState (+CREG), Radio.PsRegState
// (+CGREG), Radio.EpsRegState (+CEREG) or Radio.NrRegState (+C5GREG); the location and AcT
// into the serving cell where no finer source of the cycle gave them and the technology
// fits (LAC and cell id of +CREG/+CGREG on GSM and UMTS, TAC and cell id of +CEREG on LTE,
// of +C5GREG on NR).
void ApplyRegistration(const TRegistration& registration, TModemStatus& status);

} // namespace celdara
