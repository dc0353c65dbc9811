// Sierra Wireless: AT!GSTATUS? (AirPrime EM74xx/MC74xx AT Command Reference, "!GSTATUS -
// Return operational status"): label / value pairs, two to a line, parted by tabs.
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

#include <algorithm>

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions and "no value" marks ------------------------------------------------------
// Levels in dBm / dB as written ("-95", "-11.0"); "---" is no value. TAC, LAC and cell ID
// in hex with the decimal behind them in parentheses ("A5B1 (42417)"): the hex is read.
// The band as "B20" (LTE): its number.
// -------------------------------------------------------------------------------------------

// Where a label may begin: at the line's start, after a tab, or after two blanks.
bool StartsPair(std::string_view line, std::size_t at) {
    return at == 0 || line[at - 1] == '\t' ||
           (at >= 2 && line[at - 1] == ' ' && line[at - 2] == ' ');
}

// The value behind the first `label` (with its colon) in the reply: up to a tab or two
// blanks; nothing when no line has the label.
std::optional<std::string_view> ValueOf(const TReplyLines& lines, std::string_view label) {
    for (const std::string& raw : lines) {
        const std::string_view line = Trim(raw);
        for (std::size_t at = line.find(label); at != std::string_view::npos;
             at = line.find(label, at + 1)) {
            if (!StartsPair(line, at))
                continue;
            std::string_view value = line.substr(at + label.size());
            const std::size_t start = value.find_first_not_of(' ');
            value = start == std::string_view::npos ? std::string_view() : value.substr(start);
            const std::size_t end = std::min(value.find('\t'), value.find("  "));
            return Trim(value.substr(0, end));
        }
    }
    return std::nullopt;
}

// The first word of a value ("A5B1 (42417)" gives "A5B1", "10 MHz" gives "10").
std::string_view FirstWord(std::optional<std::string_view> value) {
    if (!value)
        return {};
    return value->substr(0, value->find(' '));
}

std::optional<double> NumberOfLabel(const TReplyLines& lines, std::string_view label) {
    return NumberOf(FirstWord(ValueOf(lines, label)));
}

TAccessTech TechOfMode(std::string_view mode) {
    if (EqualIgnoringCase(mode, "LTE"))
        return TAccessTech::Lte;
    if (EqualIgnoringCase(mode, "WCDMA") || EqualIgnoringCase(mode, "HSPA"))
        return TAccessTech::Umts;
    if (EqualIgnoringCase(mode, "GSM"))
        return TAccessTech::Gsm;
    return TAccessTech::Unknown;
}

void ReadLte(const TReplyLines& lines, TRadioCell& cell) {
    SetIf(cell.Band, TrailingNumber(FirstWord(ValueOf(lines, "LTE band:"))));
    SetIf(cell.Channel, IntOf(FirstWord(ValueOf(lines, "LTE Rx chan:"))));
    // The main antenna's values: RSSI of "PCC RxM", the first of the two RSRP lines.
    SetIf(cell.Rssi, NumberOfLabel(lines, "PCC RxM RSSI:"));
    SetIf(cell.Rsrp, NumberOfLabel(lines, "RSRP (dBm):"));
    SetIf(cell.Rsrq, NumberOfLabel(lines, "RSRQ (dB):"));
    SetIf(cell.Sinr, NumberOfLabel(lines, "SINR (dB):"));
    const std::optional<std::int64_t> tac = HexOf(FirstWord(ValueOf(lines, "TAC:")));
    if (tac && *tac <= 0xFFFFFF)
        cell.AreaCode = static_cast<int>(*tac);
    SetIf(cell.CellId, HexOf(FirstWord(ValueOf(lines, "Cell ID:"))));
}

// WCDMA and GSM: the channel, LAC and cell ID.
void ReadOther(const TReplyLines& lines, TAccessTech tech, TRadioCell& cell) {
    const char* channel = tech == TAccessTech::Umts ? "WCDMA channel:" : "GSM channel:";
    SetIf(cell.Channel, IntOf(FirstWord(ValueOf(lines, channel))));
    const std::optional<std::int64_t> lac = HexOf(FirstWord(ValueOf(lines, "LAC:")));
    if (lac && *lac <= 0xFFFF)
        cell.AreaCode = static_cast<int>(*lac);
    SetIf(cell.CellId, HexOf(FirstWord(ValueOf(lines, "Cell ID:"))));
}

} // namespace

void ParseSierraGstatus(const TReplyLines& lines, TModemStatus& status) {
    const std::optional<std::string_view> mode = ValueOf(lines, "System mode:");
    if (!mode)
        return;
    const TAccessTech tech = TechOfMode(FirstWord(mode));
    if (tech == TAccessTech::Unknown)
        return;
    TRadioCell& cell = BeginServing(status, tech, tech);
    if (tech == TAccessTech::Lte)
        ReadLte(lines, cell);
    else
        ReadOther(lines, tech, cell);
}

std::vector<TRadioQuery> SierraQueries() {
    return {{"AT!GSTATUS?\r", ParseSierraGstatus}};
}

} // namespace celdara
