// Quectel: AT+QENG="servingcell" and AT+QENG="neighbourcell" (Quectel EC2x&EG9x&EM05
// QENG AT Commands Manual; RM500Q/RM50xQ AT Commands Manual, 4.x "AT+QENG"), and AT+QCAINFO
// (RG50xQ&RM5xxQ Series AT Commands Manual; EC2x&EG2x&EG9x&EM05 Series AT Commands Manual:
// "AT+QCAINFO Query Carrier Aggregation Parameters").
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

#include <algorithm>
#include <iterator>

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions and "no value" marks ------------------------------------------------------
// "-" reads as no number; -32768 is the manuals' "invalid" for measurements (tx_power, RSRP
// of an NR leg that is not up).
std::optional<double> Measured(std::optional<double> v) {
    return v && *v != -32768 ? v : std::nullopt;
}
// LTE SINR: EC2x/EG9x/EM05 manual: "in 1/5th of a dB, 0..250 = -20..+30 dB"; RM5xx: dB.
std::optional<double> LteSinr(std::optional<double> v, const TQuectelQuirks& quirks) {
    v = Measured(v);
    if (!v || !quirks.LteSinrInFifths)
        return v;
    if (*v < 0 || *v > 250)
        return std::nullopt;
    return -20 + *v / 5;
}
// LTE RSSI in dBm; some RM5xx firmware writes it without its minus sign.
std::optional<double> LteRssi(std::optional<double> v, const TQuectelQuirks& quirks) {
    v = Measured(v);
    if (v && *v > 0 && quirks.PositiveLteRssiNegated)
        return -*v;
    return v;
}
// Identities: cell IDs, LAC and TAC in hex, PCI/PSC/BSIC, channels and bands in decimal.
// -------------------------------------------------------------------------------------------

// Quirks by model (+CGMM), first matching prefix; other models: SINR in dB, RSSI as written.
struct TQuirkRow {
    std::string_view ModelPrefix;
    TQuectelQuirks Quirks;
};
constexpr TQuirkRow kQuirkRows[] = {
    {"EC2", {true, false}},  {"EG2", {true, false}},  {"EG9", {true, false}},
    {"EM05", {true, false}}, {"EM06", {true, false}}, {"EP06", {true, false}},
    {"BG9", {true, false}},  {"RM5", {false, true}},  {"RG5", {false, true}},
};

// The LTE layout from <is_tdd> at `o`: MCC, MNC, cellID, PCID, earfcn, freq_band_ind,
// UL_bandwidth, DL_bandwidth, TAC, RSRP, RSRQ, RSSI, SINR[, CQI, tx_power], srxlev.
void ReadLte(const TFields& f, std::size_t o, TRadioCell& cell, const TQuectelQuirks& quirks) {
    ReadMccMnc(f, o + 1, cell);
    SetIf(cell.CellId, HexAt(f, o + 3));
    SetIf(cell.PhysicalId, IntAt(f, o + 4));
    SetIf(cell.Channel, IntAt(f, o + 5));
    SetIf(cell.Band, IntAt(f, o + 6));
    SetIf(cell.AreaCode, AreaCodeAt(f, o + 9));
    SetIf(cell.Rsrp, Measured(NumberAt(f, o + 10)));
    SetIf(cell.Rsrq, Measured(NumberAt(f, o + 11)));
    SetIf(cell.Rssi, LteRssi(NumberAt(f, o + 12), quirks));
    SetIf(cell.Sinr, LteSinr(NumberAt(f, o + 13), quirks));
}

// WCDMA from MCC at 3: MCC, MNC, LAC, cellID, uarfcn, PSC, RAC, RSCP, ecio, ...
void ReadWcdma(const TFields& f, TRadioCell& cell) {
    ReadMccMnc(f, 3, cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 5));
    SetIf(cell.CellId, HexAt(f, 6));
    SetIf(cell.Channel, IntAt(f, 7));
    SetIf(cell.PhysicalId, IntAt(f, 8));
    SetIf(cell.Rscp, Measured(NumberAt(f, 10)));
    SetIf(cell.EcIo, Measured(NumberAt(f, 11)));
}

// GSM from MCC at 3: MCC, MNC, LAC, cellID, BSIC, ARFCN, band (0 DCS 1800 class, 1 PCS 1900),
// rxlev (dBm), ...
void ReadGsm(const TFields& f, TRadioCell& cell) {
    ReadMccMnc(f, 3, cell);
    SetIf(cell.AreaCode, AreaCodeAt(f, 5));
    SetIf(cell.CellId, HexAt(f, 6));
    SetIf(cell.PhysicalId, IntAt(f, 7));
    SetIf(cell.Channel, IntAt(f, 8));
    if (cell.Channel)
        SetIf(cell.Band, GsmBandOfArfcn(*cell.Channel, IntAt(f, 9) == 1));
    SetIf(cell.Rssi, Measured(NumberAt(f, 10)));
}

// NR5G-SA from <duplex_mode> at 3: MCC, MNC, cellID, PCID, TAC, ARFCN, band, NR_DL_bandwidth,
// RSRP, RSRQ, SINR, scs, srxlev.
void ReadNrSa(const TFields& f, TRadioCell& cell) {
    ReadMccMnc(f, 4, cell);
    SetIf(cell.CellId, HexAt(f, 6));
    SetIf(cell.PhysicalId, IntAt(f, 7));
    SetIf(cell.AreaCode, AreaCodeAt(f, 8));
    SetIf(cell.Channel, IntAt(f, 9));
    SetIf(cell.Band, IntAt(f, 10));
    SetIf(cell.Rsrp, Measured(NumberAt(f, 12)));
    SetIf(cell.Rsrq, Measured(NumberAt(f, 13)));
    SetIf(cell.Sinr, Measured(NumberAt(f, 14)));
}

// "NR5G-NSA",MCC,MNC,PCID,RSRP,SINR,RSRQ,ARFCN,band[,NR_DL_bandwidth,scs]
void ReadNrNsa(const TFields& f, TRadioCell& cell) {
    ReadMccMnc(f, 1, cell);
    SetIf(cell.PhysicalId, IntAt(f, 3));
    SetIf(cell.Rsrp, Measured(NumberAt(f, 4)));
    SetIf(cell.Sinr, Measured(NumberAt(f, 5)));
    SetIf(cell.Rsrq, Measured(NumberAt(f, 6)));
    SetIf(cell.Channel, IntAt(f, 7));
    SetIf(cell.Band, IntAt(f, 8));
}

// The technology a servingcell line names: LTE also as BG9x's "CAT-M"/"eMTC", NB-IoT as
// "CAT-NB"/"NBIoT" (same layout).
TAccessTech TechOfName(std::string_view name) {
    for (std::string_view lte : {"LTE", "CAT-M", "eMTC"})
        if (EqualIgnoringCase(name, lte))
            return TAccessTech::Lte;
    for (std::string_view nb : {"CAT-NB", "NBIoT", "NB-IoT"})
        if (EqualIgnoringCase(name, nb))
            return TAccessTech::NbIot;
    if (EqualIgnoringCase(name, "WCDMA"))
        return TAccessTech::Umts;
    if (EqualIgnoringCase(name, "GSM"))
        return TAccessTech::Gsm;
    if (EqualIgnoringCase(name, "NR5G-SA"))
        return TAccessTech::NrSa;
    return TAccessTech::Unknown;
}

// A one-line "servingcell" reply of LTE, WCDMA, GSM or NR5G-SA.
void ReadServingLine(const TFields& f, TModemStatus& status, const TQuectelQuirks& quirks) {
    const TAccessTech tech = TechOfName(TextAt(f, 2));
    if (tech == TAccessTech::Unknown)
        return;
    TRadioCell& cell = BeginServing(status, tech, tech);
    switch (tech) {
    case TAccessTech::Umts:
        ReadWcdma(f, cell);
        break;
    case TAccessTech::Gsm:
        ReadGsm(f, cell);
        break;
    case TAccessTech::NrSa:
        ReadNrSa(f, cell);
        break;
    default:
        ReadLte(f, 3, cell, quirks);
        break;
    }
}

// The information lines "+QENG: ..." as fields.
std::vector<TFields> QengLines(const TReplyLines& lines) {
    std::vector<TFields> result;
    for (const std::string& line : lines) {
        std::string_view rest;
        if (HasPrefix(line, "+QENG:", rest))
            result.push_back(SplitFields(rest));
    }
    return result;
}

// An LTE neighbour: "neighbourcell intra|inter","LTE",earfcn,PCID,RSRQ,RSRP,RSSI,SINR,...
TRadioCell LteNeighbour(const TFields& f, const TQuectelQuirks& quirks) {
    TRadioCell cell;
    cell.Tech = TAccessTech::Lte;
    cell.Channel = IntAt(f, 2);
    cell.PhysicalId = IntAt(f, 3);
    cell.Rsrq = Measured(NumberAt(f, 4));
    cell.Rsrp = Measured(NumberAt(f, 5));
    cell.Rssi = LteRssi(NumberAt(f, 6), quirks);
    cell.Sinr = LteSinr(NumberAt(f, 7), quirks);
    return cell;
}

// WCDMA: "neighbourcell","WCDMA",uarfcn,prio,thresh_Xhigh,thresh_Xlow,PSC,RSCP,ecno,srxlev;
// GSM: "neighbourcell","GSM",arfcn,prio,thresh_high,thresh_low,ncc_permitted,band,bsic,rssi,..
TRadioCell OtherNeighbour(const TFields& f, TAccessTech tech) {
    TRadioCell cell;
    cell.Tech = tech;
    cell.Channel = IntAt(f, 2);
    if (tech == TAccessTech::Umts) {
        cell.PhysicalId = IntAt(f, 6);
        cell.Rscp = Measured(NumberAt(f, 7));
        cell.EcIo = Measured(NumberAt(f, 8));
    } else {
        if (cell.Channel)
            cell.Band = GsmBandOfArfcn(*cell.Channel, IntAt(f, 7) == 1);
        cell.PhysicalId = IntAt(f, 8);
        cell.Rssi = Measured(NumberAt(f, 9));
    }
    return cell;
}

// ---- AT+QCAINFO ---------------------------------------------------------------------------
// One line a carrier; the number of fields and the band text tell the layout:
//   LTE PCC   "PCC",<freq>,<bandwidth>,<band>,<pcell_state>,<PCID>,<RSRP>,<RSRQ>,<RSSI>,<RSSNR>
//   LTE SCC   "SCC",<freq>,<bandwidth>,<band>,<scell_state>,<PCID>,<RSRP>,<RSRQ>,<RSSI>,<RSSNR>
//             [,<UL_configured>,<UL_bandwidth>,<UL_EARFCN>]
//   EN-DC NR  "SCC",<freq>,<NR_DL_bandwidth>,<band>,<PCID>                   (short)
//             "SCC",<freq>,<NR_DL_bandwidth>,<band>,<PCID>,<RSRP>,<RSRQ>,<SNR> (long)
//   SA PCC    "PCC",<freq>,<NR_DL_bandwidth>,<band>,<PCID>,<RSRP>,<RSRQ>,<SNR>
//   SA SCC    "SCC",<freq>,<NR_DL_bandwidth>,<band>,<scell_state>,<PCID>,<UL_configured>,
//             <NR_UL_bandwidth>,<UL_ARFCN>[,<RSRP>,<RSRQ>,<SNR>]
// <band> "LTE BAND 3" / "NR5G BAND 78"; <scell_state> 0 deconfigured, 1 configured and
// deactivated, 2 configured and activated. Levels with QENG's marks and units (LteSinr,
// LteRssi); some firmware leaves out the line break between two lines.

// <bandwidth> of LTE in resource blocks: 6 1.4 MHz, 15 3, 25 5, 50 10, 75 15, 100 20 MHz
// (LteBandwidthMhz).
// <NR_DL_bandwidth>: 0 5 MHz, 1 10, 2 15, 3 20, 4 25, 5 30, 6 40, 7 50, 8 60, 9 70, 10 80,
// 11 90, 12 100, 13 200, 14 400 MHz.
std::optional<double> NrBandwidthMhz(std::optional<int> index) {
    constexpr double kMhz[] = {5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 200, 400};
    if (!Within(index, 0, static_cast<int>(std::size(kMhz)) - 1))
        return std::nullopt;
    return kMhz[*index];
}
// NR <SNR> in dB, within the -23..+40 dB that NR reports SS-SINR in (38.133 10.1.16); the
// hundredths some RM52x firmware writes (2463) fall outside and are no value.
std::optional<double> NrSnr(std::optional<double> v) {
    v = Measured(v);
    return v && *v >= -23 && *v <= 40 ? v : std::nullopt;
}

struct TCarrierLine {
    TCarrierRole Role = TCarrierRole::Primary;
    bool Nr = false;
    TFields Fields;
};

// The records behind "+QCAINFO:", two on one line cut apart; the role from "PCC"/"SCC" and
// the technology from the band text. Records of neither are dropped.
std::vector<TCarrierLine> CarrierLines(const TReplyLines& lines) {
    constexpr std::string_view kPrefix = "+QCAINFO:";
    std::vector<TCarrierLine> result;
    for (const std::string& line : lines) {
        const std::string_view text = Trim(line);
        const std::string upper = UpperCase(text);
        for (std::size_t at = upper.find(kPrefix); at != std::string::npos;) {
            const std::size_t start = at + kPrefix.size();
            const std::size_t next = upper.find(kPrefix, start);
            const std::string_view record =
                text.substr(start, next == std::string::npos ? next : next - start);
            TCarrierLine cc{TCarrierRole::Primary, false, SplitFields(record)};
            const std::string_view tag = TextAt(cc.Fields, 0);
            std::string_view band;
            cc.Role = EqualIgnoringCase(tag, "SCC") ? TCarrierRole::Secondary : cc.Role;
            cc.Nr = HasPrefix(TextAt(cc.Fields, 3), "NR", band);
            if ((EqualIgnoringCase(tag, "PCC") || EqualIgnoringCase(tag, "SCC")) &&
                (cc.Nr || HasPrefix(TextAt(cc.Fields, 3), "LTE", band)))
                result.push_back(std::move(cc));
            at = next;
        }
    }
    return result;
}

// A secondary carrier the network has deconfigured (<scell_state> 0) is not in use.
bool Deconfigured(const TCarrierLine& cc) {
    const bool hasState = !cc.Nr || cc.Fields.size() >= 9;
    return cc.Role == TCarrierRole::Secondary && hasState && IntAt(cc.Fields, 4) == 0;
}

TCarrier LteCarrier(const TFields& f, const TQuectelQuirks& quirks) {
    TCarrier c;
    c.Tech = TAccessTech::Lte;
    c.Channel = Within(IntAt(f, 1), 0, 262143);
    c.BandwidthMhz = LteBandwidthMhz(IntAt(f, 2));
    c.Band = Within(TrailingNumber(TextAt(f, 3)), 1, 256);
    c.PhysicalId = Within(IntAt(f, 5), 0, 503);
    c.Rsrp = Measured(NumberAt(f, 6));
    c.Rsrq = Measured(NumberAt(f, 7));
    c.Rssi = LteRssi(NumberAt(f, 8), quirks);
    c.Sinr = LteSinr(NumberAt(f, 9), quirks);
    return c;
}

// The short, long and SA PCC forms have the PCI behind the band; the SA SCC form (nine fields
// and more) has <scell_state> there and its levels behind the uplink fields.
TCarrier NrCarrier(const TFields& f, TAccessTech tech) {
    const bool withState = f.size() >= 9;
    const std::size_t levels = withState ? 9 : 5;
    TCarrier c;
    c.Tech = tech;
    c.Channel = Within(IntAt(f, 1), 0, 3279165);
    c.BandwidthMhz = NrBandwidthMhz(IntAt(f, 2));
    c.Band = Within(TrailingNumber(TextAt(f, 3)), 1, 1024);
    c.PhysicalId = Within(IntAt(f, withState ? 5 : 4), 0, 1007);
    c.Rsrp = Measured(NumberAt(f, levels));
    c.Rsrq = Measured(NumberAt(f, levels + 1));
    c.Sinr = NrSnr(NumberAt(f, levels + 2));
    return c;
}

} // namespace

void ParseQuectelCarriers(const TReplyLines& lines, TModemStatus& status,
                          const TQuectelQuirks& quirks) {
    const std::vector<TCarrierLine> carriers = CarrierLines(lines);
    auto any = [&](TCarrierRole role, bool nr) {
        return std::any_of(carriers.begin(), carriers.end(),
                           [&](const TCarrierLine& cc) { return cc.Role == role && cc.Nr == nr; });
    };
    // NR behind an LTE primary is the leg of EN-DC; an NR primary, or NR alone, is SA.
    const bool anyLte = any(TCarrierRole::Primary, false) || any(TCarrierRole::Secondary, false);
    const TAccessTech nrTech =
        any(TCarrierRole::Primary, true) || !anyLte ? TAccessTech::NrSa : TAccessTech::NrNsa;
    status.Radio.Carriers.clear();
    for (TCarrierRole role : {TCarrierRole::Primary, TCarrierRole::Secondary})
        for (const TCarrierLine& cc : carriers) {
            if (cc.Role != role || Deconfigured(cc))
                continue;
            TCarrier carrier = cc.Nr ? NrCarrier(cc.Fields, nrTech) : LteCarrier(cc.Fields, quirks);
            carrier.Role = role;
            AddCarrier(status.Radio, carrier);
        }
}

TQuectelQuirks QuectelQuirksFor(std::string_view model) {
    for (const TQuirkRow& row : kQuirkRows)
        if (ModelStartsWith(model, row.ModelPrefix))
            return row.Quirks;
    return {};
}

void ParseQuectelServing(const TReplyLines& lines, TModemStatus& status,
                         const TQuectelQuirks& quirks) {
    const std::vector<TFields> qeng = QengLines(lines);
    const TFields* lte = nullptr;
    const TFields* nr = nullptr;
    for (const TFields& f : qeng) {
        const std::string_view first = TextAt(f, 0);
        if (EqualIgnoringCase(first, "servingcell") && f.size() > 3)
            return ReadServingLine(f, status, quirks);
        if (EqualIgnoringCase(first, "LTE"))
            lte = &f;
        else if (EqualIgnoringCase(first, "NR5G-NSA"))
            nr = &f;
    }
    // 5G NSA: "servingcell",<state> alone, then the LTE anchor and the NR leg.
    if (lte) {
        TRadioCell& anchor =
            BeginServing(status, TAccessTech::Lte, nr ? TAccessTech::NrNsa : TAccessTech::Lte);
        ReadLte(*lte, 1, anchor, quirks);
    }
    if (nr) {
        if (!lte)
            BeginServing(status, TAccessTech::Lte, TAccessTech::NrNsa);
        ReadNrNsa(*nr, BeginNrLeg(status));
    }
}

void ParseQuectelNeighbours(const TReplyLines& lines, TModemStatus& status,
                            const TQuectelQuirks& quirks) {
    for (const TFields& f : QengLines(lines)) {
        const std::string_view first = TextAt(f, 0);
        if (first.size() < 13 || !EqualIgnoringCase(first.substr(0, 13), "neighbourcell"))
            continue;
        const TAccessTech tech = TechOfName(TextAt(f, 1));
        if (tech == TAccessTech::Lte)
            AddNeighbour(status.Radio, LteNeighbour(f, quirks));
        else if (tech == TAccessTech::Umts || tech == TAccessTech::Gsm)
            AddNeighbour(status.Radio, OtherNeighbour(f, tech));
    }
}

std::vector<TRadioQuery> QuectelQueries(std::string_view model) {
    const TQuectelQuirks quirks = QuectelQuirksFor(model);
    return {
        {"AT+QENG=\"servingcell\"\r",
         [quirks](const TReplyLines& lines, TModemStatus& status) {
             ParseQuectelServing(lines, status, quirks);
         }},
        {"AT+QENG=\"neighbourcell\"\r",
         [quirks](const TReplyLines& lines, TModemStatus& status) {
             ParseQuectelNeighbours(lines, status, quirks);
         }},
        {"AT+QCAINFO\r",
         [quirks](const TReplyLines& lines, TModemStatus& status) {
             ParseQuectelCarriers(lines, status, quirks);
         }},
    };
}

} // namespace celdara
