// The named values a record is made of, shared by the formats inside this library. Not for
// use outside it: the formats are the interface, the field lists are how they are built.
#pragma once

#include "modem/RadioStatus.h"

#include <optional>
#include <string>
#include <vector>

namespace celdara::recordfields {

using Value = std::optional<std::string>;

// Numbers and texts stay apart only in JSON, which quotes texts.
struct TField {
    std::string Name;
    Value Content;
    bool IsText = false;
};

// The value with one decimal, "C"-locale digits whatever the process's locale; nothing for
// no value or one that is not finite.
Value DecimalText(std::optional<double> value);

// How many radio neighbours the CSV rows have columns for; the JSON line carries them all.
inline constexpr int kCsvRadioNeighbours = 6;

// How many secondary carriers the CSV rows have columns for, after the primary's.
inline constexpr int kCsvSecondaryCarriers = 4;

// The radio values of a record in CSV column order, after the GSM columns. A cell whose band
// the modem did not name has the one its channel lies in, as the window shows it.
std::vector<TField> RadioCsvFields(const TRadioStatus& radio);

// The carriers in use (CarriersInUse) in CSV column order, after the radio columns.
std::vector<TField> CarrierCsvFields(const TRadioStatus& radio);

// The carriers as JSON members, "carriers" and "aggregated_bandwidth_mhz", with the leading
// comma.
std::string CarrierJsonMembers(const TRadioStatus& radio);

// The carrier part of the text line, with its leading separator; empty unless the modem
// reported its carriers.
std::string CarrierText(const TRadioStatus& radio);

// The radio values as JSON members, each with its leading comma, to close the record's object.
std::string RadioJsonMembers(const TRadioStatus& radio);

// The radio part of the text line, with its leading separator; empty when the modem told
// nothing of its radio.
std::string RadioText(const TRadioStatus& radio);

// Shared with the GSM part of the JSON line.
std::string JsonString(const std::string& utf8);
std::string JsonObject(const std::vector<TField>& fields);

} // namespace celdara::recordfields
