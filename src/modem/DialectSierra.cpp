// Sierra Wireless: AT!GSTATUS? (AirPrime EM74xx/MC74xx AT Command Reference, "!GSTATUS -
// Return operational status"): label / value pairs, two to a line, parted by tabs. With
// carrier aggregation the EM/MC74xx add the secondary cell's lines
//   LTE CA state:  ACTIVE        LTE Scell band:B12
//   LTE Scell bw:10 MHz          LTE Scell chan:5110
//   SCC RxM RSSI:  -52           RSRP (dBm):  -83
// and the EM75xx / EM919x number them, one block a secondary cell:
//   LTE SCC1 state:ACTIVE        LTE SCC1 band:B3
//   LTE SCC1 bw  : 20 MHz        LTE SCC1 chan:1300
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

// A value behind its label: from the first non-blank up to a tab or two blanks.
std::string_view ValueText(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    text = start == std::string_view::npos ? std::string_view() : text.substr(start);
    return Trim(text.substr(0, std::min(text.find('\t'), text.find("  "))));
}

// The value behind `label` (with its colon) in one line; nothing when the line has no such
// label where a pair may begin.
std::optional<std::string_view> ValueInLine(std::string_view line, std::string_view label) {
    line = Trim(line);
    for (std::size_t at = line.find(label); at != std::string_view::npos;
         at = line.find(label, at + 1))
        if (StartsPair(line, at))
            return ValueText(line.substr(at + label.size()));
    return std::nullopt;
}

bool LineBeginsWith(std::string_view line, std::string_view label) {
    return Trim(line).substr(0, label.size()) == label;
}

// The value behind the first `label` in the reply; nothing when no line has the label.
std::optional<std::string_view> ValueOf(const TReplyLines& lines, std::string_view label) {
    for (const std::string& line : lines)
        if (const std::optional<std::string_view> value = ValueInLine(line, label))
            return value;
    return std::nullopt;
}

// The value of the pair `label` on the line that begins with the pair `lineLabel`: the RSRP
// behind "PCC RxM RSSI:" is the primary's, the one behind "SCC RxM RSSI:" the secondary's.
std::optional<std::string_view> ValueBeside(const TReplyLines& lines, std::string_view lineLabel,
                                            std::string_view label) {
    for (const std::string& line : lines)
        if (LineBeginsWith(line, lineLabel))
            return ValueInLine(line, label);
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

// ---- Carriers ------------------------------------------------------------------------------
// Bandwidths as "10 MHz" (EM74xx "LTE Scell bw:10 MHz", no blank after the colon); levels as
// in the serving cell's lines.

std::optional<double> MhzOf(std::optional<std::string_view> value) {
    const std::optional<double> mhz = NumberOf(FirstWord(value));
    return mhz && *mhz > 0 && *mhz <= 400 ? mhz : std::nullopt;
}

std::optional<int> LteBandOf(std::optional<std::string_view> value) {
    return Within(TrailingNumber(FirstWord(value)), 1, 256);
}

std::optional<int> ChannelOf(std::optional<std::string_view> value) {
    return Within(IntOf(FirstWord(value)), 0, 262143);
}

bool Active(std::optional<std::string_view> state) {
    return EqualIgnoringCase(FirstWord(state), "ACTIVE");
}

// The primary: the serving cell's band, bandwidth, channel and main-antenna levels.
TCarrier PrimaryCarrier(const TReplyLines& lines) {
    TCarrier c;
    c.Tech = TAccessTech::Lte;
    c.Band = LteBandOf(ValueOf(lines, "LTE band:"));
    c.BandwidthMhz = MhzOf(ValueOf(lines, "LTE bw:"));
    c.Channel = ChannelOf(ValueOf(lines, "LTE Rx chan:"));
    c.Rssi = NumberOf(FirstWord(ValueOf(lines, "PCC RxM RSSI:")));
    c.Rsrp = NumberOf(FirstWord(ValueBeside(lines, "PCC RxM RSSI:", "RSRP (dBm):")));
    c.Rsrq = NumberOfLabel(lines, "RSRQ (dB):");
    c.Sinr = NumberOfLabel(lines, "SINR (dB):");
    return c;
}

// "LTE SCC<n> bw  :" has blanks before its colon on some firmware.
std::optional<std::string_view> NumberedValue(const TReplyLines& lines, int n,
                                              std::string_view field) {
    const std::string label = "LTE SCC" + std::to_string(n) + " " + std::string(field);
    const std::optional<std::string_view> value = ValueOf(lines, label + ":");
    if (value)
        return value;
    for (const std::string& line : lines) {
        if (!LineBeginsWith(line, label))
            continue;
        const std::string_view rest = Trim(line).substr(label.size());
        const std::size_t colon = rest.find(':');
        if (colon != std::string_view::npos && Trim(rest.substr(0, colon)).empty())
            return ValueText(rest.substr(colon + 1));
    }
    return std::nullopt;
}

// The secondary carriers: the one of "LTE Scell", or those numbered "LTE SCC1".."LTE SCC7".
void AddSecondaryCarriers(const TReplyLines& lines, TRadioStatus& radio) {
    TCarrier c;
    c.Role = TCarrierRole::Secondary;
    c.Tech = TAccessTech::Lte;
    if (Active(ValueOf(lines, "LTE CA state:"))) {
        TCarrier scell = c;
        scell.Band = LteBandOf(ValueOf(lines, "LTE Scell band:"));
        scell.BandwidthMhz = MhzOf(ValueOf(lines, "LTE Scell bw:"));
        scell.Channel = ChannelOf(ValueOf(lines, "LTE Scell chan:"));
        scell.Rssi = NumberOf(FirstWord(ValueOf(lines, "SCC RxM RSSI:")));
        scell.Rsrp = NumberOf(FirstWord(ValueBeside(lines, "SCC RxM RSSI:", "RSRP (dBm):")));
        AddCarrier(radio, scell);
    }
    for (int n = 1; n < static_cast<int>(kMaxCarriers); ++n) {
        if (!Active(NumberedValue(lines, n, "state")))
            continue;
        TCarrier scc = c;
        scc.Band = LteBandOf(NumberedValue(lines, n, "band"));
        scc.BandwidthMhz = MhzOf(NumberedValue(lines, n, "bw"));
        scc.Channel = ChannelOf(NumberedValue(lines, n, "chan"));
        AddCarrier(radio, scc);
    }
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
    status.Radio.Carriers.clear();
    if (tech == TAccessTech::Lte) {
        ReadLte(lines, cell);
        const TCarrier primary = PrimaryCarrier(lines);
        if (primary.Band || primary.Channel) {
            AddCarrier(status.Radio, primary);
            AddSecondaryCarriers(lines, status.Radio);
        }
    } else {
        ReadOther(lines, tech, cell);
    }
}

std::vector<TRadioQuery> SierraQueries() {
    return {{"AT!GSTATUS?\r", ParseSierraGstatus}};
}

} // namespace celdara
