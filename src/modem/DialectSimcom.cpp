// SIMCom: AT+CPSI? (SIM7500_SIM7600 Series AT Command Manual, "AT+CPSI Inquiring UE system
// information"; SIM8200 Series AT Command Manual for NR5G_SA / NR5G_NSA).
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions -------------------------------------------------------------------------
// SIM7600 LTE and SIM8200 NR: RSRQ, RSRP, RSSI (and the NR SNR) in tenths of a dB / dBm
// ("-950" is -95.0 dBm); the LTE RSSNR in dB. SIM70xx firmware writes the LTE values whole.
std::optional<double> Tenths(std::optional<double> v) {
    return v ? std::optional<double>(*v / 10) : std::nullopt;
}
std::optional<double> LteValue(std::optional<double> v, const TSimcomQuirks& quirks) {
    return quirks.LteInTenths ? Tenths(v) : v;
}
// GSM RxLev and WCDMA RSCP in dBm, Ec/Io in dB. None of them is ever above 0; the SIM7600
// manual's example writes the WCDMA ones as magnitudes ("1.5,62": -1.5 dB, -62 dBm), other
// firmware with their sign, so a positive number is the magnitude.
std::optional<double> Negative(std::optional<double> v) {
    return v && *v > 0 ? std::optional<double>(-*v) : v;
}
// Cell IDs in decimal ("SCellID"), or hex when written with "0x"; LAC/TAC always "0x..".
std::optional<std::int64_t> CellIdOf(std::string_view text) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return HexOf(text);
    return DecimalOf(text);
}
// WCDMA band names of the manual and their 25.101 band numbers.
struct TWcdmaBand {
    std::string_view Name;
    int Band;
};
constexpr TWcdmaBand kWcdmaBands[] = {
    {"WCDMA IMT 2000", 1}, {"WCDMA PCS 1900", 2}, {"WCDMA DCS 1800", 3}, {"WCDMA AWS", 4},
    {"WCDMA 850", 5},      {"WCDMA 800", 6},      {"WCDMA 2600", 7},     {"WCDMA 900", 8},
};
// -------------------------------------------------------------------------------------------

// Quirks by model (+CGMM prefix); other models: the SIM7600 layout in tenths.
struct TQuirkRow {
    std::string_view ModelPrefix;
    TSimcomQuirks Quirks;
};
constexpr TQuirkRow kQuirkRows[] = {
    {"SIM70", {false}}, // SIM7000/SIM7070/SIM7080: "-11,-73,-47" whole dB / dBm
    {"SIM75", {true}},
    {"SIM76", {true}},
    {"SIM82", {true}},
};

// "<MCC>-<MNC>,<LAC|TAC>,<cell ID>" from index 2.
void ReadPlace(const TFields& f, TRadioCell& cell) {
    SplitPlmn(TextAt(f, 2), cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 3));
    SetIf(cell.CellId, CellIdOf(TextAt(f, 4)));
}

// GSM: ...,"<ARFCN> <band name>",<RxLev dBm>,<Track LO Adjust>,<C1-C2>
void ReadGsm(const TFields& f, TRadioCell& cell) {
    ReadPlace(f, cell);
    const std::string_view channel = TextAt(f, 5);
    SetIf(cell.Channel, IntOf(channel.substr(0, channel.find(' '))));
    const std::size_t blank = channel.find(' ');
    if (blank != std::string_view::npos)
        SetIf(cell.Band, TrailingNumber(channel.substr(blank)));
    SetIf(cell.Rssi, Negative(NumberAt(f, 6)));
}

// WCDMA: ...,<band>,<PSC>,<Freq>,<SSC>,<EC/IO>,<RSCP>,<Qual>,<RxLev>,<TXPWR>
void ReadWcdma(const TFields& f, TRadioCell& cell) {
    ReadPlace(f, cell);
    for (const TWcdmaBand& band : kWcdmaBands)
        if (EqualIgnoringCase(TextAt(f, 5), band.Name))
            cell.Band = band.Band;
    SetIf(cell.PhysicalId, IntAt(f, 6));
    SetIf(cell.Channel, IntAt(f, 7));
    SetIf(cell.EcIo, Negative(NumberAt(f, 9)));
    SetIf(cell.Rscp, Negative(NumberAt(f, 10)));
}

// LTE: ...,<PCellID>,<band>,<EARFCN>,<dlbw>,<ulbw>,<RSRQ>,<RSRP>,<RSSI>,<RSSNR>
void ReadLte(const TFields& f, TRadioCell& cell, const TSimcomQuirks& quirks) {
    ReadPlace(f, cell);
    SetIf(cell.PhysicalId, IntAt(f, 5));
    SetIf(cell.Band, TrailingNumber(TextAt(f, 6)));
    SetIf(cell.Channel, IntAt(f, 7));
    SetIf(cell.Rsrq, LteValue(NumberAt(f, 10), quirks));
    SetIf(cell.Rsrp, LteValue(NumberAt(f, 11), quirks));
    SetIf(cell.Rssi, LteValue(NumberAt(f, 12), quirks));
    SetIf(cell.Sinr, NumberAt(f, 13));
}

// NR5G_SA: ...,<PCellID>,<band>,<ARFCN>,<RSRP>,<RSRQ>,<SNR> (tenths)
void ReadNrSa(const TFields& f, TRadioCell& cell) {
    ReadPlace(f, cell);
    SetIf(cell.PhysicalId, IntAt(f, 5));
    SetIf(cell.Band, TrailingNumber(TextAt(f, 6)));
    SetIf(cell.Channel, IntAt(f, 7));
    SetIf(cell.Rsrp, Tenths(NumberAt(f, 8)));
    SetIf(cell.Rsrq, Tenths(NumberAt(f, 9)));
    SetIf(cell.Sinr, Tenths(NumberAt(f, 10)));
}

// NR5G_NSA,<PCellID>,<band>,<ARFCN>,<RSRP>,<RSRQ>,<SNR> (tenths): the second line on EN-DC.
void ReadNrNsa(const TFields& f, TRadioCell& cell) {
    SetIf(cell.PhysicalId, IntAt(f, 1));
    SetIf(cell.Band, TrailingNumber(TextAt(f, 2)));
    SetIf(cell.Channel, IntAt(f, 3));
    SetIf(cell.Rsrp, Tenths(NumberAt(f, 4)));
    SetIf(cell.Rsrq, Tenths(NumberAt(f, 5)));
    SetIf(cell.Sinr, Tenths(NumberAt(f, 6)));
}

// <System Mode>: "LTE", "LTE CAT-M1", "CAT-M1" read as LTE, "LTE NB-IOT" / "NB-IOT" as NB-IoT.
TAccessTech TechOfMode(std::string_view mode) {
    const std::string upper = UpperCase(Trim(mode));
    if (upper == "GSM")
        return TAccessTech::Gsm;
    if (upper == "WCDMA")
        return TAccessTech::Umts;
    if (upper == "NR5G_SA")
        return TAccessTech::NrSa;
    if (upper.find("NB-IOT") != std::string::npos)
        return TAccessTech::NbIot;
    if (upper == "LTE" || upper.find("CAT-M") != std::string::npos)
        return TAccessTech::Lte;
    return TAccessTech::Unknown;
}

void ReadMainLine(const TFields& f, bool nsa, TModemStatus& status, const TSimcomQuirks& quirks) {
    const TAccessTech tech = TechOfMode(TextAt(f, 0));
    if (tech == TAccessTech::Unknown)
        return;
    TRadioCell& cell = BeginServing(status, tech, nsa ? TAccessTech::NrNsa : tech);
    if (tech == TAccessTech::Gsm)
        ReadGsm(f, cell);
    else if (tech == TAccessTech::Umts)
        ReadWcdma(f, cell);
    else if (tech == TAccessTech::NrSa)
        ReadNrSa(f, cell);
    else
        ReadLte(f, cell, quirks);
}

} // namespace

TSimcomQuirks SimcomQuirksFor(std::string_view model) {
    for (const TQuirkRow& row : kQuirkRows)
        if (ModelStartsWith(model, row.ModelPrefix))
            return row.Quirks;
    return {};
}

void ParseSimcomCpsi(const TReplyLines& lines, TModemStatus& status, const TSimcomQuirks& quirks) {
    TFields main;
    TFields nr;
    for (const std::string& line : lines) {
        std::string_view rest;
        if (!HasPrefix(line, "+CPSI:", rest))
            continue;
        TFields f = SplitFields(rest);
        if (EqualIgnoringCase(TextAt(f, 0), "NR5G_NSA"))
            nr = std::move(f);
        else if (main.empty())
            main = std::move(f);
    }
    if (EqualIgnoringCase(TextAt(main, 0), "NO SERVICE")) {
        ClearServing(status);
        return;
    }
    const bool lteAnchor = TechOfMode(TextAt(main, 0)) == TAccessTech::Lte;
    ReadMainLine(main, lteAnchor && !nr.empty(), status, quirks);
    if (lteAnchor && !nr.empty())
        ReadNrNsa(nr, BeginNrLeg(status));
}

std::vector<TRadioQuery> SimcomQueries(std::string_view model) {
    const TSimcomQuirks quirks = SimcomQuirksFor(model);
    return {{"AT+CPSI?\r", [quirks](const TReplyLines& lines, TModemStatus& status) {
                 ParseSimcomCpsi(lines, status, quirks);
             }}};
}

} // namespace celdara
