// u-blox: AT+UCGED? ("Channel and network environment description"), as the SARA-R4 series
// AT commands manual (UBX-17003787), the SARA-R5 series AT commands manual (UBX-19047455) and
// the LARA-R6 series AT commands manual lay it out. The layout depends on the model and on
// the reporting mode set with AT+UCGED=<mode>, so the query sets the mode on the same line.
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions and "no value" marks ------------------------------------------------------
// Mode 2 (SARA-R5, LARA-R6): <earfcn>/<uarfcn> 65535, <Lband>/<Wband> 255, <tac>/<lac> "ffff",
// <LcellId> "0000000" (or all F), <rsrp>/<rsrq>/<Lsinr>/<rxlev> 255 are "not known or not
// detectable"; MCC/MNC "fff" read as no number. SARA-R4 mode 5 and SARA-R422 write the levels
// in dBm/dB, where a missing field is the only "no value".
std::optional<int> Channel(std::optional<int> v) {
    return Within(v, 0, 65534);
}
std::optional<int> Band(std::optional<int> v) {
    return Within(v, 1, 254);
}
std::optional<int> AreaCode(const TFields& f, std::size_t index) {
    const std::optional<int> v = AreaCodeAt(f, index);
    return v && *v != 0xFFFF ? v : std::nullopt;
}
std::optional<std::int64_t> CellIdentity(const TFields& f, std::size_t index) {
    const std::optional<std::int64_t> v = HexAt(f, index);
    // Zero, or every bit of a field of 16 bits or more set, is the cell not read yet.
    const bool allOnes = v && *v >= 0xFFFF && (*v & (*v + 1)) == 0;
    return v && *v != 0 && !allOnes ? v : std::nullopt;
}
// <rsrp> as 3GPP TS 36.133 reports it: "0: -141 dBm or less, 1..96: from -140 dBm to -45 dBm
// with 1 dBm steps, 97: -44 dBm or greater, 255: not known or not detectable".
std::optional<double> RsrpIndex(std::optional<int> n) {
    return Stepped(n, 97, -141, 1);
}
// <rsrq> as 36.133 reports it, with its extended range: "-30: less than -34 dB, -29..46:
// from -34 dB to 2.5 dB with 0.5 dB steps", 0..34 the classic "-19.5 dB or less" up to "-3 dB
// or greater", 255 not known. Each step is given by its lower bound, as +CESQ is.
std::optional<double> RsrqIndex(std::optional<int> n) {
    if (!n || *n < -30 || *n > 46)
        return std::nullopt;
    if (*n < 0)
        return -19.5 + *n / 2.0;
    if (*n <= 34)
        return -20 + *n / 2.0;
    return -20.5 + *n / 2.0;
}
// <Lsinr> in dB ("13.75"); 255 not known.
std::optional<double> Sinr(std::optional<double> v) {
    return v && *v != 255 && *v > -50 && *v < 100 ? v : std::nullopt;
}
// <rxlev> of a GSM cell: "0: less than -110 dBm, 1..62: from -110 to -48 dBm with 1 dBm
// steps, 63: -48 dBm or greater, 255: not known or not detectable".
std::optional<double> Rxlev(std::optional<int> n) {
    return Stepped(n, 63, -111, 1);
}
// -------------------------------------------------------------------------------------------

// Layouts by model (+CGMM as modems write it: "SARA-R410M-02B", "SARA-R500S",
// "LARA-R6001D"), first matching prefix. SARA-R422 left the SARA-R4 family's mode 5 for its
// own mode 2; other u-blox modules are not asked.
struct TLayoutRow {
    std::string_view ModelPrefix;
    TUcgedLayout Layout;
};
constexpr TLayoutRow kLayoutRows[] = {
    {"SARA-R422", TUcgedLayout::SaraR422},
    {"SARA-R4", TUcgedLayout::SaraR4Mode5},
    {"SARA-R5", TUcgedLayout::SaraR5},
    {"LARA-R6", TUcgedLayout::LaraR6},
};

// The information rows that follow "+UCGED: 2", which carry no prefix: the first two that
// begin with a digit, before any other reply's line (one beginning with "+"). A module
// without a cell gives the first alone.
std::vector<TFields> Mode2Rows(const TReplyLines& lines) {
    std::vector<TFields> rows;
    bool inside = false;
    for (const std::string& line : lines) {
        std::string_view rest;
        const std::string_view text = Trim(line);
        if (HasPrefix(text, "+UCGED:", rest)) {
            inside = IntOf(rest) == 2;
            rows.clear();
        } else if (!text.empty() && text.front() == '+') {
            inside = false;
        } else if (inside && rows.size() < 2 && !text.empty() && text.front() >= '0' &&
                   text.front() <= '9') {
            rows.push_back(SplitFields(text));
        }
    }
    return rows;
}

// The <rat> of the first row: 2 GSM, 3 UMTS, 4 LTE, 6 LTE Cat M1, 7 NB-IoT.
TAccessTech TechOfRat(std::optional<int> rat) {
    switch (rat.value_or(-1)) {
    case 2:
        return TAccessTech::Gsm;
    case 3:
        return TAccessTech::Umts;
    case 4:
    case 6:
        return TAccessTech::Lte;
    case 7:
        return TAccessTech::NbIot;
    default:
        return TAccessTech::Unknown;
    }
}

// SARA-R5 / LARA-R6 LTE: <earfcn>,<Lband>,<ul_BW>,<dl_BW>,<tac>,<LcellId>,<PCID>,<mTmsi>,
// <mmeGrId>,<mmeCode>,<rsrp>,<rsrq>,<Lsinr>,<Lrrc>,<RI>,<CQI>,<avg_rsrp>,...
void ReadLte(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, Channel(IntAt(f, 0)));
    SetIf(cell.Band, Band(IntAt(f, 1)));
    SetIf(cell.AreaCode, AreaCode(f, 4));
    SetIf(cell.CellId, CellIdentity(f, 5));
    SetIf(cell.PhysicalId, Within(IntAt(f, 6), 0, 503));
    SetIf(cell.Rsrp, RsrpIndex(IntAt(f, 10)));
    SetIf(cell.Rsrq, RsrqIndex(IntAt(f, 11)));
    SetIf(cell.Sinr, Sinr(NumberAt(f, 12)));
}

// SARA-R422 LTE: <EARFCN>,<Lband>,<ul_BW>,<dl_BW>,<TAC>,<P-CID>,<RSRP_value>,<RSRQ_value>,
// <NBMsinr>,... with RSRP in dBm and RSRQ in dB.
void ReadR422Lte(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, Channel(IntAt(f, 0)));
    SetIf(cell.Band, Band(IntAt(f, 1)));
    SetIf(cell.AreaCode, AreaCode(f, 4));
    SetIf(cell.PhysicalId, Within(IntAt(f, 5), 0, 503));
    const std::optional<double> rsrp = NumberAt(f, 6);
    const std::optional<double> rsrq = NumberAt(f, 7);
    SetIf(cell.Rsrp, rsrp && *rsrp >= -160 && *rsrp <= -30 ? rsrp : std::nullopt);
    SetIf(cell.Rsrq, rsrq && *rsrq >= -40 && *rsrq <= 10 ? rsrq : std::nullopt);
}

// LARA-R6 GSM: <arfcn>,<band1900>,<GcellId>,<BSIC>,<Glac>,<Grac>,<RxLev>,<t_adv>,<C1>,<C2>,...
void ReadGsm(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, Within(IntAt(f, 0), 0, 1023));
    if (cell.Channel)
        SetIf(cell.Band, GsmBandOfArfcn(*cell.Channel, IntAt(f, 1) == 1));
    SetIf(cell.CellId, CellIdentity(f, 2));
    SetIf(cell.PhysicalId, Within(IntAt(f, 3), 0, 63));
    SetIf(cell.AreaCode, AreaCode(f, 4));
    SetIf(cell.Rssi, Rxlev(IntAt(f, 6)));
}

// LARA-R6 UMTS: <uarfcn>,<Wband>,<WcellId>,<Wlac>,<Wrac>,<scrambling_code>,<Wrrc>,<rssi>,
// <ecn0_lev>,... The levels are left to +CESQ, whose scales the manual names.
void ReadUmts(const TFields& f, TRadioCell& cell) {
    SetIf(cell.Channel, Channel(IntAt(f, 0)));
    SetIf(cell.Band, Band(IntAt(f, 1)));
    SetIf(cell.CellId, CellIdentity(f, 2));
    SetIf(cell.AreaCode, AreaCode(f, 3));
    SetIf(cell.PhysicalId, Within(IntAt(f, 5), 0, 511));
}

// LTE of any kind keeps NB-IoT when the 27.007 queries told it (a SARA-R4 does not say).
TAccessTech LteKind(const TModemStatus& status, TAccessTech tech) {
    if (tech == TAccessTech::Lte && status.Radio.Serving.Tech == TAccessTech::NbIot)
        return TAccessTech::NbIot;
    return tech;
}

// Mode 2: "+UCGED: 2", then <rat>[,<svc>],<MCC>,<MNC>, then the row of that technology.
void ReadMode2(const TReplyLines& lines, TModemStatus& status, TUcgedLayout layout) {
    const std::vector<TFields> rows = Mode2Rows(lines);
    if (rows.empty())
        return;
    const TFields& head = rows[0];
    const TAccessTech tech = LteKind(status, TechOfRat(IntAt(head, 0)));
    const bool lte = tech == TAccessTech::Lte || tech == TAccessTech::NbIot;
    if (tech == TAccessTech::Unknown || (layout != TUcgedLayout::LaraR6 && !lte))
        return;
    // The service state <svc> ("0: not known or not detectable, 1: radio off, 2: searching,
    // 3: no service, 4: registered") is missing on SARA-R422 and on LARA-R6's GSM row.
    const bool svc = layout != TUcgedLayout::SaraR422 && tech != TAccessTech::Gsm;
    if (svc && Within(IntAt(head, 1), 1, 3)) {
        ClearServing(status);
        return;
    }
    if (rows.size() < 2)
        return;
    TRadioCell& cell = BeginServing(status, tech, tech);
    ReadMccMnc(head, svc ? 2 : 1, cell);
    if (layout == TUcgedLayout::SaraR422)
        ReadR422Lte(rows[1], cell);
    else if (lte)
        ReadLte(rows[1], cell);
    else if (tech == TAccessTech::Gsm)
        ReadGsm(rows[1], cell);
    else
        ReadUmts(rows[1], cell);
}

// Mode 5 (SARA-R4): +RSRP: <PhysCellID>,<EARFCN>,"<RSRP>"[,<PhysCellID>,<EARFCN>,"<RSRP>"...]
// and +RSRQ: in the same form, RSRP in dBm and RSRQ in dB with two decimals ("-086.60"). The
// first cell is the serving one, the others its neighbours.
struct TMode5Cell {
    std::optional<int> Pci;
    std::optional<int> Earfcn;
    std::optional<double> Value;
};
std::vector<TMode5Cell> Mode5Cells(const TReplyLines& lines, std::string_view prefix) {
    std::vector<TMode5Cell> cells;
    const TFields f = FieldsOfLine(lines, prefix);
    // A trailing comma leaves an empty last field, which makes no group.
    for (std::size_t i = 0; i + 2 < f.size(); i += 3)
        cells.push_back(
            {Within(IntAt(f, i), 0, 503), Channel(IntAt(f, i + 1)), NumberAt(f, i + 2)});
    return cells;
}

void ReadMode5(const TReplyLines& lines, TModemStatus& status) {
    const std::vector<TMode5Cell> rsrp = Mode5Cells(lines, "+RSRP:");
    const std::vector<TMode5Cell> rsrq = Mode5Cells(lines, "+RSRQ:");
    if (rsrp.empty())
        return;
    for (std::size_t i = 0; i < rsrp.size(); ++i) {
        TRadioCell cell;
        cell.Tech = TAccessTech::Lte;
        cell.PhysicalId = rsrp[i].Pci;
        cell.Channel = rsrp[i].Earfcn;
        const std::optional<double> level = rsrp[i].Value;
        cell.Rsrp = level && *level >= -160 && *level <= -30 ? level : std::nullopt;
        for (const TMode5Cell& q : rsrq)
            if (q.Pci == cell.PhysicalId && q.Earfcn == cell.Channel && q.Value &&
                *q.Value >= -40 && *q.Value <= 10)
                cell.Rsrq = q.Value;
        if (i > 0) {
            AddNeighbour(status.Radio, cell);
            continue;
        }
        const TAccessTech tech = LteKind(status, TAccessTech::Lte);
        TRadioCell& serving = BeginServing(status, tech, tech);
        SetIf(serving.PhysicalId, cell.PhysicalId);
        SetIf(serving.Channel, cell.Channel);
        SetIf(serving.Rsrp, cell.Rsrp);
        SetIf(serving.Rsrq, cell.Rsrq);
    }
}

} // namespace

TUcgedLayout UbloxLayoutFor(std::string_view model) {
    for (const TLayoutRow& row : kLayoutRows)
        if (ModelStartsWith(model, row.ModelPrefix))
            return row.Layout;
    return TUcgedLayout::None;
}

void ParseUbloxUcged(const TReplyLines& lines, TModemStatus& status, TUcgedLayout layout) {
    if (layout == TUcgedLayout::SaraR4Mode5)
        ReadMode5(lines, status);
    else if (layout != TUcgedLayout::None)
        ReadMode2(lines, status, layout);
}

std::vector<TRadioQuery> UbloxQueries(std::string_view model) {
    const TUcgedLayout layout = UbloxLayoutFor(model);
    if (layout == TUcgedLayout::None)
        return {};
    // The manuals give no default reporting mode that AT+UCGED? could rely on.
    const char* command =
        layout == TUcgedLayout::SaraR4Mode5 ? "AT+UCGED=5;+UCGED?\r" : "AT+UCGED=2;+UCGED?\r";
    return {{command, [layout](const TReplyLines& lines, TModemStatus& status) {
                 ParseUbloxUcged(lines, status, layout);
             }}};
}

} // namespace celdara
