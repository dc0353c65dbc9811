// Fibocom: AT+GTCCINFO? and AT+GTCAINFO? (Fibocom FM350 "AT Commands User Manual" V2.10,
// 11.1.15 "+GTCCINFO" and 11.1.16 "+GTCAINFO"; the FM150/FM160 manuals name the same layout).
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

#include <algorithm>

namespace celdara {

using namespace dialect;

namespace {

constexpr int kRatUmts = 2;
constexpr int kRatLte = 4;
constexpr int kRatNr = 9;

// ---- Conversions and "no value" marks ------------------------------------------------------
// Empty fields (a neighbour's MCC/MNC, an LTE neighbour's bandwidth) read as nothing. <tac>
// and <cellid> are hex; every bit set ("FFFF", "FFFFFFF", "00FFFFFFF") is "not known".
// <band> 0 is BAND_INVALID. The levels are 3GPP index codes with 255 "not known".
std::optional<std::int64_t> AllOnesIsNothing(std::optional<std::int64_t> v) {
    return v && *v >= 0xFFFF && (*v & (*v + 1)) == 0 ? std::nullopt : v;
}
std::optional<int> AreaCode(const TFields& f, std::size_t index) {
    const std::optional<std::int64_t> v = AllOnesIsNothing(HexAt(f, index));
    return v && *v <= 0xFFFFFF ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
}
// Channel and PCI: decimal as the FM350 writes them ("1300,358"); the FM160 writes them in
// hex ("672,1E4" is EARFCN 1650, PCI 484, with band 103 = B3 beside them).
std::optional<int> DecimalOrHexAt(const TFields& f, std::size_t index, const TFibocomQuirks& quirks,
                                  int max) {
    if (!quirks.ChannelAndPciInHex)
        return Within(IntAt(f, index), 0, max);
    const std::optional<std::int64_t> v = HexAt(f, index);
    return v && *v <= max ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
}
std::optional<int> ChannelAt(const TFields& f, std::size_t index, const TFibocomQuirks& quirks) {
    return DecimalOrHexAt(f, index, quirks, 3279165);
}
std::optional<int> PciAt(const TFields& f, std::size_t index, const TFibocomQuirks& quirks) {
    return DecimalOrHexAt(f, index, quirks, 1007);
}
// <band> names the enumeration of AT+GTACT: BAND_LTE_n is 100 + n ("103" B3), BAND_NR_n the
// digits "50" followed by n ("501" n1, "5078" n78, "50258" n258).
std::optional<int> LteBand(std::string_view text) {
    const std::optional<int> v = Within(IntOf(text), 101, 356); // B1..B256
    return v ? std::optional<int>(*v - 100) : std::nullopt;
}
std::optional<int> NrBand(std::string_view text) {
    text = Trim(text);
    if (text.size() < 3 || text.substr(0, 2) != "50" || text[2] == '0')
        return std::nullopt;
    return Within(IntOf(text.substr(2)), 1, 1024);
}
// LTE <rsrp>: "0: rsrp < -140 dBm or not detectable", 1..97 as +CESQ (-140 + n - 1 up to
// -44 and above); NR <ss-rsrp> 0..126 from -157 dBm in 1 dB steps.
std::optional<double> Rsrp(int rat, std::optional<int> n) {
    if (rat == kRatLte)
        return n == 0 ? std::nullopt : Stepped(n, 97, -141, 1);
    return Stepped(n, 126, -157, 1);
}
// LTE <rsrq> 0..34 from -20 dB in 0.5 dB steps; NR <ss-rsrq> 0..127 from -43.5 dB.
std::optional<double> Rsrq(int rat, std::optional<int> n) {
    return rat == kRatLte ? Stepped(n, 34, -20, 0.5) : Stepped(n, 127, -43.5, 0.5);
}
// LTE <rssnr_value>: "-100..100, in 0.5 dB steps", 255 not known; NR <ss-sinr> 0..127 from
// -23.5 dB in 0.5 dB steps.
std::optional<double> Sinr(int rat, std::optional<int> n) {
    if (rat != kRatLte)
        return Stepped(n, 127, -23.5, 0.5);
    n = Within(n, -100, 100);
    return n ? std::optional<double>(*n / 2.0) : std::nullopt;
}
// LTE <dl_bandwidth> in resource blocks (LteBandwidthMhz).
// -------------------------------------------------------------------------------------------

// Quirks by model (+CGMM, BareModel), first matching prefix; other models write decimal.
struct TQuirkRow {
    std::string_view ModelPrefix;
    TFibocomQuirks Quirks;
};
constexpr TQuirkRow kQuirkRows[] = {
    {"FM160", {true}},
};

bool BeginsWithDigit(std::string_view text) {
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

// The rows of +GTCCINFO: the lines after its header that begin with a digit, up to the next
// reply's line (one beginning with "+"). The labels between ("LTE service cell:") and blank
// lines are skipped; a row on the header's own line counts too.
std::vector<TFields> CellRows(const TReplyLines& lines) {
    std::vector<TFields> rows;
    bool inside = false;
    for (const std::string& line : lines) {
        std::string_view text = Trim(line);
        std::string_view rest;
        if (HasPrefix(text, "+GTCCINFO:", rest)) {
            inside = true;
            text = Trim(rest);
        } else if (!text.empty() && text.front() == '+') {
            inside = false;
        }
        if (inside && BeginsWithDigit(text))
            rows.push_back(SplitFields(text));
    }
    return rows;
}

// The fields every row begins with: <IsServiceCell>,<rat>,<mcc>,<mnc>,<tac>/<lac>,<cellid>,
// <earfcn>/<narfcn>/<uarfcn>,<physicalcellId>/<psc>.
void ReadIdentity(const TFields& f, TRadioCell& cell, const TFibocomQuirks& quirks) {
    ReadMccMnc(f, 2, cell);
    SetIf(cell.AreaCode, AreaCode(f, 4));
    SetIf(cell.CellId, AllOnesIsNothing(HexAt(f, 5)));
    SetIf(cell.Channel, ChannelAt(f, 6, quirks));
    SetIf(cell.PhysicalId, PciAt(f, 7, quirks));
}

// A serving row of LTE or NR: ...,<band>,<bandwidth>,<rssnr_value>/<ss-sinr>,<rxlev>,
// <rsrp>,<rsrq>; of WCDMA the identity and <band>.
void ReadServing(const TFields& f, TRadioCell& cell, const TFibocomQuirks& quirks) {
    const int rat = IntAt(f, 1).value_or(0);
    ReadIdentity(f, cell, quirks);
    if (rat == kRatUmts) {
        SetIf(cell.Band, Within(IntAt(f, 8), 1, 32));
        return;
    }
    SetIf(cell.Band, rat == kRatLte ? LteBand(TextAt(f, 8)) : NrBand(TextAt(f, 8)));
    SetIf(cell.Sinr, Sinr(rat, IntAt(f, 10)));
    SetIf(cell.Rsrp, Rsrp(rat, IntAt(f, 12)));
    SetIf(cell.Rsrq, Rsrq(rat, IntAt(f, 13)));
}

// A neighbour row: LTE ...,<bandwidth>,<rxlev>,<rsrp>,<rsrq>; NR ...,<ss-sinr>,<rxlev>,
// <ss-rsrp>,<ss-rsrq>; WCDMA the identity.
TRadioCell Neighbour(const TFields& f, TAccessTech tech, const TFibocomQuirks& quirks) {
    const int rat = IntAt(f, 1).value_or(0);
    TRadioCell cell;
    cell.Tech = tech;
    ReadIdentity(f, cell, quirks);
    if (rat == kRatNr)
        cell.Sinr = Sinr(rat, IntAt(f, 8));
    if (rat != kRatUmts) {
        cell.Rsrp = Rsrp(rat, IntAt(f, 10));
        cell.Rsrq = Rsrq(rat, IntAt(f, 11));
    }
    return cell;
}

// The first serving row of the technology, or none.
const TFields* ServingRow(const std::vector<TFields>& rows, int rat) {
    for (const TFields& f : rows)
        if (IntAt(f, 0) == 1 && IntAt(f, 1) == rat)
            return &f;
    return nullptr;
}

// One carrier line of +GTCAINFO: "PCC:<band>,<pci>,<earfcn>,<dl_bandwidth>,..." or
// "SCC <n>:<scell_state>,<ul_configured>,<band>,<pci>,<earfcn>,<dl_bandwidth>,...". What
// follows differs between firmware versions and is not read.
struct TCarrierLine {
    bool Primary = false;
    TCarrier Carrier;
};
std::optional<TCarrierLine> CarrierLine(std::string_view text, const TFibocomQuirks& quirks) {
    std::string_view rest;
    const bool primary = HasPrefix(text, "PCC", rest);
    if (!primary && !HasPrefix(text, "SCC", rest))
        return std::nullopt;
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const TFields f = SplitFields(rest.substr(colon + 1));
    const std::size_t o = primary ? 0 : 2;
    TCarrierLine line{primary, {}};
    TCarrier& c = line.Carrier;
    c.Band = LteBand(TextAt(f, o));
    c.Tech = c.Band ? TAccessTech::Lte : TAccessTech::NrSa;
    if (!c.Band)
        c.Band = NrBand(TextAt(f, o));
    if (!c.Band)
        return std::nullopt; // a carrier slot not in use
    c.PhysicalId = PciAt(f, o + 1, quirks);
    c.Channel = ChannelAt(f, o + 2, quirks);
    if (c.Tech == TAccessTech::Lte)
        c.BandwidthMhz = LteBandwidthMhz(IntAt(f, o + 3));
    return line;
}

// The carrier lines after "+GTCAINFO:" (the first may stand on the header's line) up to the
// next reply's line; `seen` tells that the reply was there at all.
std::vector<TCarrierLine> CarrierLines(const TReplyLines& lines, const TFibocomQuirks& quirks,
                                       bool& seen) {
    std::vector<TCarrierLine> result;
    bool inside = false;
    for (const std::string& line : lines) {
        std::string_view text = Trim(line);
        std::string_view rest;
        if (HasPrefix(text, "+GTCAINFO:", rest)) {
            seen = inside = true;
            text = Trim(rest);
        } else if (!text.empty() && text.front() == '+') {
            inside = false;
        }
        if (!inside)
            continue;
        if (std::optional<TCarrierLine> carrier = CarrierLine(text, quirks))
            result.push_back(*carrier);
    }
    return result;
}

} // namespace

TFibocomQuirks FibocomQuirksFor(std::string_view model) {
    for (const TQuirkRow& row : kQuirkRows)
        if (ModelStartsWith(model, row.ModelPrefix))
            return row.Quirks;
    return {};
}

void ParseFibocomCells(const TReplyLines& lines, TModemStatus& status,
                       const TFibocomQuirks& quirks) {
    const std::vector<TFields> rows = CellRows(lines);
    const TFields* lte = ServingRow(rows, kRatLte);
    const TFields* nr = ServingRow(rows, kRatNr);
    const TFields* umts = ServingRow(rows, kRatUmts);
    // EN-DC gives two serving rows: the LTE anchor and the NR leg.
    if (lte) {
        const TAccessTech radio = nr ? TAccessTech::NrNsa : TAccessTech::Lte;
        ReadServing(*lte, BeginServing(status, TAccessTech::Lte, radio), quirks);
        if (nr)
            ReadServing(*nr, BeginNrLeg(status), quirks);
    } else if (nr) {
        ReadServing(*nr, BeginServing(status, TAccessTech::NrSa, TAccessTech::NrSa), quirks);
    } else if (umts) {
        ReadServing(*umts, BeginServing(status, TAccessTech::Umts, TAccessTech::Umts), quirks);
    }
    const TAccessTech nrTech = lte && nr ? TAccessTech::NrNsa : TAccessTech::NrSa;
    for (const TFields& f : rows) {
        if (IntAt(f, 0) != 2)
            continue;
        const int rat = IntAt(f, 1).value_or(0);
        if (rat == kRatLte)
            AddNeighbour(status.Radio, Neighbour(f, TAccessTech::Lte, quirks));
        else if (rat == kRatNr)
            AddNeighbour(status.Radio, Neighbour(f, nrTech, quirks));
        else if (rat == kRatUmts)
            AddNeighbour(status.Radio, Neighbour(f, TAccessTech::Umts, quirks));
    }
}

void ParseFibocomCarriers(const TReplyLines& lines, TModemStatus& status,
                          const TFibocomQuirks& quirks) {
    bool seen = false;
    std::vector<TCarrierLine> found = CarrierLines(lines, quirks, seen);
    if (!seen)
        return;
    status.Radio.Carriers.clear();
    bool anyLte = false;
    for (const TCarrierLine& line : found)
        anyLte = anyLte || line.Carrier.Tech == TAccessTech::Lte;
    // The primary: the LTE PCC (on EN-DC the NR "PCC" is the leg's own primary cell), or the
    // NR PCC of 5G SA. Without one the reply names no connection.
    auto primary = std::find_if(found.begin(), found.end(), [&](const TCarrierLine& line) {
        return line.Primary && (line.Carrier.Tech == TAccessTech::Lte || !anyLte);
    });
    if (primary == found.end())
        return;
    std::rotate(found.begin(), primary, primary + 1);
    for (std::size_t i = 0; i < found.size(); ++i) {
        TCarrier carrier = found[i].Carrier;
        carrier.Role = i == 0 ? TCarrierRole::Primary : TCarrierRole::Secondary;
        if (carrier.Tech == TAccessTech::NrSa && anyLte)
            carrier.Tech = TAccessTech::NrNsa;
        AddCarrier(status.Radio, carrier);
    }
}

std::vector<TRadioQuery> FibocomQueries(std::string_view model) {
    const TFibocomQuirks quirks = FibocomQuirksFor(model);
    return {
        {"AT+GTCCINFO?\r",
         [quirks](const TReplyLines& lines, TModemStatus& status) {
             ParseFibocomCells(lines, status, quirks);
         }},
        {"AT+GTCAINFO?\r",
         [quirks](const TReplyLines& lines, TModemStatus& status) {
             ParseFibocomCarriers(lines, status, quirks);
         }},
    };
}

} // namespace celdara
