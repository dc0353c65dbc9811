// What every dialect file needs to read a reply line: the line of a reply that carries a
// prefix, its comma-separated fields, and numbers that are either there or not. A field that
// holds no number ("-", "--", "---", empty, text) reads as nothing; the vendor's numeric
// "no value" marks (255, 99, -32768) are each dialect's business, in its conversion table.
// Nothing here throws, and no number is read that does not fit its type.
#pragma once

#include "modem/RadioDialect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara::dialect {

// One field, trimmed, with its quotes taken off; `Quoted` tells that it had them.
struct TField {
    std::string Text;
    bool Quoted = false;
};
using TFields = std::vector<TField>;

// At most this many fields are read from one line.
inline constexpr std::size_t kMaxFields = 64;

// The fields of `text` separated by commas outside quotes (CutToken's grammar).
TFields SplitFields(std::string_view text);

// True when the trimmed `line` begins with `prefix` (letter case ignored); `rest` is what
// follows it.
bool HasPrefix(std::string_view line, std::string_view prefix, std::string_view& rest);

// The fields behind `prefix` of the first line of `lines` that has it; empty when none does.
TFields FieldsOfLine(const TReplyLines& lines, std::string_view prefix);

// The field's text, or "" past the end.
std::string_view TextAt(const TFields& fields, std::size_t index);

// A whole decimal number (sign allowed) that fits into an int.
std::optional<int> IntOf(std::string_view text);
std::optional<int> IntAt(const TFields& fields, std::size_t index);
// A decimal number with an optional fraction ("-7.5"); finite and below 1e9 in size.
std::optional<double> NumberOf(std::string_view text);
std::optional<double> NumberAt(const TFields& fields, std::size_t index);
// A hexadecimal number with an optional "0x", at most 15 digits (a 36-bit NR NCI fits).
std::optional<std::int64_t> HexOf(std::string_view text);
std::optional<std::int64_t> HexAt(const TFields& fields, std::size_t index);
// A LAC or TAC in hex (at most 24 bits, the 5GS TAC).
std::optional<int> AreaCodeAt(const TFields& fields, std::size_t index);
// A decimal number of at most 15 digits, for cell identities written in decimal.
std::optional<std::int64_t> DecimalOf(std::string_view text);

// A level on a step scale: n in 0..max gives base + n * step; anything else (the 99 and 255
// of "not known") nothing.
std::optional<double> Stepped(std::optional<int> n, int max, double base, double step);

// The value when it lies in lo..hi, else nothing: for fields whose range the manual gives
// (PCI, band, channel).
std::optional<int> Within(std::optional<int> value, int lo, int hi);

// An LTE bandwidth given in resource blocks, as 36.101 Table 5.6-1 pairs them: 6 1.4 MHz,
// 15 3, 25 5, 50 10, 75 15, 100 20 MHz; any other count nothing.
std::optional<double> LteBandwidthMhz(std::optional<int> blocks);

// The run of digits at the end of the text ("EUTRAN-BAND20" 20, "B20" 20, "n78" 78).
std::optional<int> TrailingNumber(std::string_view text);

// The model as the quirk tables name it: the +CGMM answer trimmed, without the maker's name
// some modules write before it ("SIMCOM_SIM7000G", "Quectel_EC25", "Quectel RM500Q").
std::string_view BareModel(std::string_view model);

// True when the bare model (BareModel) begins with `prefix`, letter case ignored, so that a
// quirk row "SIM70" matches "SIMCOM_SIM7000G" and "EG25" matches "EG25GGB".
bool ModelStartsWith(std::string_view model, std::string_view prefix);

// MCC and MNC from "262-01", "262 01" or "26201" (three MCC digits); MncDigits from the
// MNC's digits.
bool SplitPlmn(std::string_view text, TRadioCell& cell);

// MCC and MNC from two fields at `index` ("262","01"); MncDigits from the MNC's digits.
void ReadMccMnc(const TFields& fields, std::size_t index, TRadioCell& cell);

// A value that stays empty for nothing.
template <typename T>
void SetIf(std::optional<T>& target, const std::optional<T>& value) {
    if (value)
        target = value;
}

// The serving cell is of technology `tech` (on NSA: the LTE anchor): a serving cell of a
// different known technology is replaced by an empty one, and the radio's technology becomes
// `radioTech`. The NR leg goes unless `radioTech` is NrNsa. Returns the serving cell.
TRadioCell& BeginServing(TModemStatus& status, TAccessTech tech, TAccessTech radioTech);
// The modem names no serving cell ("NO SERVICE", searching): technology, serving cell and NR
// leg are emptied, whatever the standard queries guessed.
void ClearServing(TModemStatus& status);
// The NR leg of NSA, made when there is none, with Tech NrNsa.
TRadioCell& BeginNrLeg(TModemStatus& status);

} // namespace celdara::dialect

namespace celdara::dialect {

// The GSM band (850, 900, 1800, 1900) of an ARFCN (45.005 2); `pcs` tells 1900 from 1800 on
// the ARFCNs they share (512..810). Nothing for an ARFCN of no band.
std::optional<int> GsmBandOfArfcn(int arfcn, bool pcs);

} // namespace celdara::dialect
