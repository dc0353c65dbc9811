// Cinterion / Thales: AT^SMONI and AT^SMONP (Cinterion ELS61 / PLS62 / PLS8 AT Command Set,
// "AT^SMONI Monitoring Serving Cell" and "AT^SMONP Monitoring Neighbour Cells").
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions and "no value" marks ------------------------------------------------------
// Levels are written in dBm and dB as they are ("-7.5", "-95"); "-", "--" and "---" stand for
// no value and read as no number. The BSIC is NCC * 8 + BCC (23.003 4.3.2).
std::optional<int> Bsic(std::optional<int> ncc, std::optional<int> bcc) {
    if (!ncc || !bcc || *ncc < 0 || *ncc > 7 || *bcc < 0 || *bcc > 7)
        return std::nullopt;
    return *ncc * 8 + *bcc;
}
// -------------------------------------------------------------------------------------------

// 2G,ARFCN,BCCH,MCC,MNC,LAC,cell,C1,C2,NCC,BCC,GPRS,state
void ReadGsm(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    if (cell.Channel)
        SetIf(cell.Band, GsmBandOfArfcn(*cell.Channel, false));
    SetIf(cell.Rssi, NumberAt(f, 2));
    ReadMccMnc(f, 3, cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 5));
    SetIf(cell.CellId, HexAt(f, 6));
    SetIf(cell.PhysicalId, Bsic(IntAt(f, 9), IntAt(f, 10)));
}

// 3G,UARFCN,PSC,EC/n0,RSCP,MCC,MNC,LAC,cell,SQual,SRxLev,state
void ReadUmts(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    SetIf(cell.PhysicalId, IntAt(f, 2));
    SetIf(cell.EcIo, NumberAt(f, 3));
    SetIf(cell.Rscp, NumberAt(f, 4));
    ReadMccMnc(f, 5, cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 7));
    SetIf(cell.CellId, HexAt(f, 8));
}

// 4G,EARFCN,band,DL bandwidth,UL bandwidth,mode,MCC,MNC,TAC,global cell ID,PCI,
// Srxlev (TX power when connected),RSRP,RSRQ,state
void ReadLte(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    SetIf(cell.Band, IntAt(f, 2));
    ReadMccMnc(f, 6, cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 8));
    SetIf(cell.CellId, HexAt(f, 9));
    SetIf(cell.PhysicalId, IntAt(f, 10));
    SetIf(cell.Rsrp, NumberAt(f, 12));
    SetIf(cell.Rsrq, NumberAt(f, 13));
}

TAccessTech TechOfSection(std::string_view name) {
    if (EqualIgnoringCase(name, "2G"))
        return TAccessTech::Gsm;
    if (EqualIgnoringCase(name, "3G"))
        return TAccessTech::Umts;
    if (EqualIgnoringCase(name, "4G"))
        return TAccessTech::Lte;
    return TAccessTech::Unknown;
}

// One neighbour row of a ^SMONP section.
// 2G: ARFCN,rs,dBm,MCC,MNC,NCC,BCC,C1,C2,LAC,cell
// 3G: UARFCN,PSC,EC/n0,RSCP,SQual,SRxLev,set,rank
// 4G: EARFCN,RSRQ,RSRP,Srxlev,PCI,TAC
TRadioCell NeighbourRow(const TFields& f, TAccessTech tech) {
    TRadioCell cell;
    cell.Tech = tech;
    cell.Channel = IntAt(f, 0);
    if (tech == TAccessTech::Gsm) {
        if (cell.Channel)
            cell.Band = GsmBandOfArfcn(*cell.Channel, false);
        cell.Rssi = NumberAt(f, 2);
        ReadMccMnc(f, 3, cell);
        cell.PhysicalId = Bsic(IntAt(f, 5), IntAt(f, 6));
        cell.AreaCode = AreaCodeAt(f, 9);
        cell.CellId = HexAt(f, 10);
    } else if (tech == TAccessTech::Umts) {
        cell.PhysicalId = IntAt(f, 1);
        cell.EcIo = NumberAt(f, 2);
        cell.Rscp = NumberAt(f, 3);
    } else {
        cell.Rsrq = NumberAt(f, 1);
        cell.Rsrp = NumberAt(f, 2);
        cell.PhysicalId = IntAt(f, 4);
        cell.AreaCode = AreaCodeAt(f, 5);
    }
    return cell;
}

} // namespace

void ParseCinterionSmoni(const TReplyLines& lines, TModemStatus& status) {
    const TFields f = FieldsOfLine(lines, "^SMONI:");
    const TAccessTech tech = TechOfSection(TextAt(f, 0));
    if (tech == TAccessTech::Unknown)
        return;
    // "4G,SEARCH", "2G,NOCONN" without a cell: no serving cell.
    if (!IntAt(f, 1)) {
        ClearServing(status);
        return;
    }
    TRadioCell& cell = BeginServing(status, tech, tech);
    if (tech == TAccessTech::Gsm)
        ReadGsm(f, cell);
    else if (tech == TAccessTech::Umts)
        ReadUmts(f, cell);
    else
        ReadLte(f, cell);
}

void ParseCinterionSmonp(const TReplyLines& lines, TModemStatus& status) {
    TAccessTech section = TAccessTech::Unknown;
    for (const std::string& line : lines) {
        std::string_view text = Trim(line);
        const std::size_t colon = text.find(':');
        // A heading "2G:", "3G:", "4G:"; a row may follow it on the same line.
        if (colon == 2 && TechOfSection(text.substr(0, 2)) != TAccessTech::Unknown) {
            section = TechOfSection(text.substr(0, 2));
            text = Trim(text.substr(3));
        }
        // Rows begin with their channel; anything else (RING, "+CREG: 1") is not a row.
        if (section == TAccessTech::Unknown || text.empty() || text[0] < '0' || text[0] > '9')
            continue;
        const TFields f = SplitFields(text);
        if (f.size() >= 3 && IntAt(f, 0))
            AddNeighbour(status.Radio, NeighbourRow(f, section));
    }
}

std::vector<TRadioQuery> CinterionQueries() {
    return {{"AT^SMONI\r", ParseCinterionSmoni}, {"AT^SMONP\r", ParseCinterionSmonp}};
}

} // namespace celdara
