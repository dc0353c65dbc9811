// What one poll cycle learned about the modem. Every value has its own validity flag: the
// flag, not the value, tells whether the value belongs to the current cycle.
#pragma once

#include "modem/RadioStatus.h"

#include <array>
#include <cstdint>
#include <string>

namespace celdara {

struct TCellInfo {
    bool Valid = false;
    std::int32_t Channel = 0;
    std::int32_t Rssi = 0; // receive level on the 0..63 scale
    std::int32_t Dbm = 0;
    std::int32_t C1 = 0; // cell selection criterion
    std::int32_t Mcc = 0;
    std::int32_t Mnc = 0;

    bool operator==(const TCellInfo&) const = default;
};

// Row 0 is the serving cell, rows 1..6 the neighbours.
inline constexpr int kServingCellRow = 0;
inline constexpr int kNeighbourCellCount = 6;
inline constexpr int kCellRowCount = 1 + kNeighbourCellCount;

struct TModemStatus {
    std::int32_t Level = 0; // percent, 0..96
    bool LevelValid = false;
    std::int32_t BitErrors = 0; // class 0..7
    bool BitErrorsValid = false;
    // The numbers of the +CSQ reply as the modem gave them (27.007: rssi 0..31, ber 0..7,
    // 99 for "not known"), valid with Level and BitErrors: exports show what was measured.
    std::int32_t SignalRaw = 99;
    std::int32_t BitErrorsRaw = 99;
    std::int32_t RegState = 0; // +CREG <stat> 0..11 (27.007 7.2), or -1 for any other value
    bool RegStateValid = false;
    std::int32_t Activity = 0; // 0, 3 or 4, or -1 for any other value
    bool ActivityValid = false;
    std::string OperatorName;
    bool OperatorNameValid = false;
    std::string OperatorCode; // country and network code as one digit string
    bool OperatorCodeValid = false;
    // The <mode> of +COPS? (27.007 7.3): 0 automatic, 1 manual, 2 deregistered, 3 format set
    // only, 4 manual with automatic fallback.
    std::int32_t SelectionMode = 0;
    bool SelectionModeValid = false;
    // The GSM cells of the ^MONI / ^MONP listings.
    std::array<TCellInfo, kCellRowCount> Cells{};
    // What the modem tells of its radio beyond that (technology, LTE/UMTS/NR cells).
    TRadioStatus Radio;

    bool operator==(const TModemStatus&) const = default;
};

// Marks every value and every cell row invalid; the values themselves stay. The radio
// status, whose values carry their validity in themselves, is emptied.
void ClearModemStatus(TModemStatus& status);

} // namespace celdara
