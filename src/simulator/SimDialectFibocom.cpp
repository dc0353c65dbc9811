// Fibocom (FM350-GL, FM150, FM160, L850/L860): AT+GTCCINFO? in the layout of the Fibocom
// manuals (FIBOCOM FG150 & FM150 Series AT Commands, and the FM350 AT Commands User Manual,
// +GTCCINFO): after "+GTCCINFO:" a label line per section ("LTE service cell:", "LTE
// neighbor cell:", "NR service cell:", "NR neighbor cell:", "UMTS service cell:", and on EN-DC
// one "LTE-NR EN-DC service cell:" over the anchor's row and the NR row), then one unprefixed
// row a cell:
//   LTE/NR service:  <IsServiceCell>,<rat>,<mcc>,<mnc>,<tac>,<cellid>,<earfcn>,<physicalcellId>,
//                    <band>,<bandwidth>,<rssnr_value | ss-sinr>,<rxlev>,<rsrp>,<rsrq>
//   LTE neighbour:   ...,<physicalcellId>,<bandwidth>,<rxlev>,<rsrp>,<rsrq>
//   NR neighbour:    ...,<physicalcellId>,<ss-sinr>,<rxlev>,<ss_rsrp>,<ss_rsrq>
//   UMTS service:    ...,<uarfcn>,<psc>,<band>,<ecno>,<rscp>,<rac>,<rxlev>,<reserved>,<ec_io_lev>
// IsServiceCell 1 serving, 2 neighbour; rat 2 WCDMA, 4 LTE, 9 NR. Levels are the 27.007 / 36.133
// / 38.133 indexes: rsrp 0..97 (-141 + n dBm), rsrq 0..34 (-20 + n/2 dB), ss_rsrp 0..126
// (-157 + n), ss_rsrq 0..127 (-43.5 + n/2), ss-sinr 0..127 (-23.5 + n/2); rssnr_value is in
// half dB (-100..100); rxlev repeats the rsrp index as the modules write it. Bands are coded
// as in AT+GTACT: 100 + n for LTE band n, "50" followed by n for NR band n (5078 is n78). The
// LTE bandwidth is in resource blocks, the NR one in MHz; TAC and cell id are hex. Firmware
// habit: the FM160 writes the channel and the PCI in hex too.
// AT+GTCAINFO? (FM350 manual, +GTCAINFO): "+GTCAINFO:", then "PCC:<band>,<pci>,<earfcn>,
// <dl_bandwidth>,..." for each primary cell (on EN-DC the NR leg's own primary first, then the
// LTE one) and "SCC <n>:<scell_state>,<ul_configured>,<band>,<pci>,<earfcn>,<dl_bandwidth>,..."
// for each secondary one. The fields after <dl_bandwidth> are not laid out in a manual we can
// read; they are written as a captured FM350 reply has them, the last one the carrier's RSRP
// in dBm as that capture suggests.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

bool HexChannels(std::string_view model) {
    return model.rfind("FM160", 0) == 0;
}

std::string Channel(int value, std::string_view model) {
    return HexChannels(model) ? Hex(value) : Num(value);
}

std::string BandCode(const TSimRadioCell& c) {
    return c.Rat == TSimRat::Lte ? Num(100 + c.Band) : "50" + Num(c.Band);
}

std::string Bandwidth(const TSimRadioCell& c) {
    return Num(c.Rat == TSimRat::Lte ? c.BandwidthMhz * 5 : c.BandwidthMhz);
}

// rsrp, rsrq and the signal-to-noise field as the technology codes them.
struct Levels {
    std::string rsrp, rsrq, sinr;
};
Levels LevelCodes(const TSimRadioCell& c) {
    if (c.Rat == TSimRat::Lte)
        return {Num(Clamp(c.Rsrp + 141, 0, 97)), Num(Clamp(2 * c.Rsrq + 40, 0, 34)),
                Num(Clamp(2 * c.Sinr, -100, 100))};
    return {Num(Clamp(c.Rsrp + 157, 0, 126)), Num(Clamp(2 * c.Rsrq + 87, 0, 127)),
            Num(Clamp(2 * c.Sinr + 47, 0, 127))};
}

// The fields every row starts with: IsServiceCell, rat, mcc, mnc, tac, cell id, channel, PCI.
std::vector<std::string> RowHead(const TSimRadioCell& c, bool serving, std::string_view model) {
    const int rat = c.Rat == TSimRat::Umts ? 2 : c.Rat == TSimRat::Lte ? 4 : 9;
    const int areaDigits = c.Rat == TSimRat::NrSa ? 6 : 4;
    return {serving ? "1" : "2",
            Num(rat),
            Num(c.Mcc),
            TwoDigits(c.Mnc),
            Hex(c.Area, areaDigits),
            Hex(c.CellId, 9),
            Channel(c.Channel, model),
            Channel(c.Pci, model)};
}

std::string ServingRow(const TSimRadioCell& c, std::string_view model) {
    std::vector<std::string> f = RowHead(c, true, model);
    if (c.Rat == TSimRat::Umts) {
        const std::string rscp = Num(Clamp(c.Rscp + 121, 0, 96));
        const std::string ecno = Num(Clamp(c.EcIo2 + 49, 0, 49));
        f.insert(f.end(), {Num(c.Band), ecno, rscp, "0", rscp, "", ecno});
        return Join(f);
    }
    const Levels l = LevelCodes(c);
    f.insert(f.end(), {BandCode(c), Bandwidth(c), l.sinr, l.rsrp, l.rsrp, l.rsrq});
    return Join(f);
}

std::string NeighbourRow(const TSimRadioCell& c, std::string_view model) {
    std::vector<std::string> f = RowHead(c, false, model);
    const Levels l = LevelCodes(c);
    f.push_back(c.Rat == TSimRat::Lte ? Bandwidth(c) : l.sinr);
    f.insert(f.end(), {l.rsrp, l.rsrp, l.rsrq});
    return Join(f);
}

const char* SectionName(TSimRat rat) {
    return rat == TSimRat::Umts ? "UMTS" : rat == TSimRat::Lte ? "LTE" : "NR";
}

// The neighbours of the serving technology; UMTS neighbour rows are not written.
void CellInfo(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    const TSimNetwork& n = ctx.Network;
    lines.push_back("+GTCCINFO:");
    const auto serving = n.RadioServing();
    if (Service(n) == TSimService::None || !serving)
        return;
    const auto leg = n.NrLeg();
    lines.push_back(leg ? std::string("LTE-NR EN-DC service cell:")
                        : SectionName(serving->Rat) + std::string(" service cell:"));
    lines.push_back(ServingRow(*serving, ctx.Model));
    if (leg)
        lines.push_back(ServingRow(*leg, ctx.Model));
    if (serving->Rat == TSimRat::Umts)
        return;
    bool headed = false;
    for (const TSimRadioCell& c : n.RadioNeighbours()) {
        if (c.Rat != serving->Rat)
            continue;
        if (!headed)
            lines.push_back(SectionName(c.Rat) + std::string(" neighbor cell:"));
        headed = true;
        lines.push_back(NeighbourRow(c, ctx.Model));
    }
}

// The downlink bandwidth of +GTCAINFO: resource blocks on LTE, MHz on NR.
std::string CarrierLine(const TSimRadioCell& c, int secondary, std::string_view model) {
    const std::string head = secondary == 0 ? "PCC:" : "SCC " + Num(secondary) + ":2,0,";
    const std::string tail = secondary == 0 ? Bandwidth(c) + ",1,1,3,1" : "255,1,255,3,255";
    return head + Join({BandCode(c), Channel(c.Pci, model), Channel(c.Channel, model), Bandwidth(c),
                        tail, Num(c.Rsrp)});
}

void CarrierInfo(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    lines.push_back("+GTCAINFO:");
    auto carriers = ctx.Network.Carriers();
    if (ctx.Network.NrLeg()) { // the leg is the primary cell of its own group
        lines.push_back(CarrierLine(carriers.back(), 0, ctx.Model));
        carriers.pop_back();
    }
    for (std::size_t i = 0; i < carriers.size(); ++i)
        lines.push_back(CarrierLine(carriers[i], static_cast<int>(i), ctx.Model));
}

class TFibocomDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "fibocom"; }
    std::string_view Manufacturer() const override { return "Fibocom Wireless Inc."; }
    std::string_view Model() const override { return "FM350-GL"; }
    // The L8x0 are LTE modules; the FM and FG ones are 5G.
    bool HasNr(std::string_view model) const override {
        return model.rfind("FM", 0) == 0 || model.rfind("FG", 0) == 0;
    }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        const bool cells = cmd.Name == "+GTCCINFO";
        if (!cells && cmd.Name != "+GTCAINFO")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test)
            return TSimDialectResult::Ok;
        if (cmd.Kind != TSimCommandKind::Read)
            return TSimDialectResult::Error;
        if (cells)
            CellInfo(c, lines);
        else
            CarrierInfo(c, lines);
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimFibocomDialect() {
    static const TFibocomDialect dialect;
    return dialect;
}

} // namespace celdara
