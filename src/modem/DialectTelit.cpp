// Telit: AT#RFSTS? (Telit LE910Cx AT Commands Reference Guide, "#RFSTS - Read Current
// Network Status"): one line whose layout depends on the technology.
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions and "no value" marks ------------------------------------------------------
// Levels in dBm / dB as written; an empty field is no value. LAC, TAC and CID in hex.
// LTE <SINR> 0..250: -20 + n/5 dB.
std::optional<double> SinrDb(std::optional<int> n) {
    return Stepped(n, 250, -20, 0.2);
}
// GSM <ABND> 4 is PCS 1900 (1 GSM 850, 2 GSM 900, 3 DCS 1800): it tells 1900 from 1800.
constexpr int kAbndPcs1900 = 4;
// -------------------------------------------------------------------------------------------

// The technology by the place of the IMSI, the first quoted field behind the PLMN: 10 on
// GSM, 12 on LTE, 15 on WCDMA; without quotes by the count of fields (GSM 14, LTE 16).
TAccessTech TechOfLayout(const TFields& f) {
    for (std::size_t i = 1; i < f.size(); ++i) {
        if (!f[i].Quoted)
            continue;
        if (i == 10)
            return TAccessTech::Gsm;
        if (i == 12)
            return TAccessTech::Lte;
        if (i == 15)
            return TAccessTech::Umts;
        return TAccessTech::Unknown;
    }
    if (f.size() == 14)
        return TAccessTech::Gsm;
    if (f.size() == 16)
        return TAccessTech::Lte;
    return TAccessTech::Unknown;
}

// PLMN,EARFCN,RSRP,RSSI,RSRQ,TAC,RAC,TXPWR,DRX,MM,RRC,CID,IMSI,NetNameAsc,SD,ABND
// [,T3402,T3412,SINR]
void ReadLte(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    SetIf(cell.Rsrp, NumberAt(f, 2));
    SetIf(cell.Rssi, NumberAt(f, 3));
    SetIf(cell.Rsrq, NumberAt(f, 4));
    SetIf(cell.AreaCode, AreaCodeAt(f, 5));
    SetIf(cell.CellId, HexAt(f, 11));
    SetIf(cell.Band, IntAt(f, 15));
    SetIf(cell.Sinr, SinrDb(IntAt(f, 18)));
}

// PLMN,UARFCN,PSC,Ec/Io,RSCP,RSSI,LAC,RAC,TXPWR,DRX,MM,RRC,NOM,BLER,CID,IMSI,NetNameAsc,SD,
// nAST[,...]
void ReadWcdma(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    SetIf(cell.PhysicalId, IntAt(f, 2));
    SetIf(cell.EcIo, NumberAt(f, 3));
    SetIf(cell.Rscp, NumberAt(f, 4));
    SetIf(cell.AreaCode, AreaCodeAt(f, 6));
    SetIf(cell.CellId, HexAt(f, 14));
}

// PLMN,ARFCN,RSSI,LAC,RAC,TXPWR,MM,RR,NOM,CID,IMSI,NetNameAsc,SD,ABND
void ReadGsm(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, IntAt(f, 1));
    if (cell.Channel)
        SetIf(cell.Band, GsmBandOfArfcn(*cell.Channel, IntAt(f, 13) == kAbndPcs1900));
    SetIf(cell.Rssi, NumberAt(f, 2));
    SetIf(cell.AreaCode, AreaCodeAt(f, 3));
    SetIf(cell.CellId, HexAt(f, 9));
}

} // namespace

void ParseTelitRfsts(const TReplyLines& lines, TModemStatus& status) {
    const TFields f = FieldsOfLine(lines, "#RFSTS:");
    const TAccessTech tech = TechOfLayout(f);
    if (tech == TAccessTech::Unknown)
        return;
    TRadioCell& cell = BeginServing(status, tech, tech);
    SplitPlmn(TextAt(f, 0), cell);
    if (tech == TAccessTech::Lte)
        ReadLte(f, cell);
    else if (tech == TAccessTech::Umts)
        ReadWcdma(f, cell);
    else
        ReadGsm(f, cell);
}

std::vector<TRadioQuery> TelitQueries() {
    return {{"AT#RFSTS?\r", ParseTelitRfsts}};
}

} // namespace celdara
