// u-blox (LARA-R6, SARA-R5): AT+UCGED? in the layouts of the u-blox AT commands manuals
// (LARA-R6 series AT commands manual, SARA-R5 series AT commands manual, +UCGED) as a module
// answers after AT+UCGED=2: the mode line "+UCGED: 2", a line <rat>,<svc>,<MCC>,<MNC> (2G:
// 2,<MCC>,<MNC>), then the serving cell's line:
//   2G:  <arfcn>,<band1900>,<GcellId>,<BSIC>,<Glac>,<Grac>,<RxLev>,<t_adv>,<C1>,<C2>,<NMO>,
//        <channel_type>
//   3G:  <uarfcn>,<Wband>,<WcellId>,<Wlac>,<Wrac>,<scrambling_code>,<Wrrc>,<rssi>,<ecn0_lev>,
//        <Wspeech_mode>
//   LTE: <earfcn>,<Lband>,<ul_BW>,<dl_BW>,<tac>,<LcellId>,<PCID>,<mTmsi>,<mmeGrId>,<mmeCode>,
//        <rsrp>,<rsrq>,<Lsinr>,<Lrrc>,<RI>,<CQI>,<avg_rsrp>,<totalPuschPwr>,<avgPucchPwr>,
//        <drx>,<l2w>,<volte_mode>,<meas_gap>,<tti_bundling>
// rat 2 2G, 3 3G, 4 LTE (LARA-R6), 6 LTE Cat M1 (SARA-R5); svc 2 searching, 3 no service, 4
// registered. Identities are lower-case hex; rsrp and rsrq are the 36.133 indexes (rsrp
// -141 + n dBm, rsrq -20 + n/2 dB), avg_rsrp too, Lsinr is in dB with two decimals,
// ul_BW/dl_BW in resource blocks, RxLev the 45.008 index (-111 + n dBm), rssi and ecn0_lev
// the 25.133 ones (-100 + n dBm, -24.5 + n/2 dB); 255 where a value is not. The SARA-R5 is
// an LTE-M module: served by another technology it searches ("6,2,fff,fff", no cell line).
// Only mode 2 is kept; another mode is refused.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

bool LteOnly(std::string_view model) {
    return model.rfind("SARA-R5", 0) == 0;
}

std::string LowerHex(std::int64_t value, int digits = 0) {
    std::string text = Hex(value, digits);
    for (char& ch : text)
        ch = static_cast<char>(ch >= 'A' && ch <= 'F' ? ch - 'A' + 'a' : ch);
    return text;
}

std::string SvcCode(const TSimNetwork& n) {
    const TSimService s = Service(n);
    return s == TSimService::Registered ? "4" : s == TSimService::Limited ? "3" : "2";
}

std::string GsmLine(const TSimCellReport& s) {
    // band1900 0: the simulated networks are on the 900 and 1800 bands.
    return Join({Num(s.Channel), "0", LowerHex(s.CellId, 4), Num(s.Ncc * 8 + s.Bcc),
                 LowerHex(s.Lac, 4), "00", Num(Clamp(s.Dbm + 111, 0, 63)), "-1", Num(s.C1),
                 Num(s.C2), "1", "1"});
}

std::string UmtsLine(const TSimRadioCell& c) {
    return Join({Num(c.Channel), Num(c.Band), LowerHex(c.CellId, 7), LowerHex(c.Area, 4), "80",
                 Num(c.Pci), "4", Num(Clamp(c.Rssi + 100, 0, 76)), Num(Clamp(c.EcIo2 + 49, 0, 49)),
                 "255"});
}

std::string LteLine(const TSimRadioCell& c) {
    const std::string rsrp = Num(Clamp(c.Rsrp + 141, 0, 97));
    const std::string rb = Num(c.BandwidthMhz * 5);
    const int cqi = Clamp((c.Sinr + 10) / 3 + 1, 1, 15);
    return Join({Num(c.Channel),
                 Num(c.Band),
                 rb,
                 rb,
                 LowerHex(c.Area, 4),
                 LowerHex(c.CellId, 7),
                 Num(c.Pci),
                 "d60814d1",
                 "8001",
                 "01",
                 rsrp,
                 Num(Clamp(2 * c.Rsrq + 40, 0, 34)),
                 Num(c.Sinr) + ".00",
                 "3",
                 "1",
                 Num(cqi),
                 rsrp,
                 "255",
                 "255",
                 "0",
                 "255",
                 "255",
                 "0",
                 "0"});
}

void CellLines(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    const TSimNetwork& n = ctx.Network;
    lines.push_back("+UCGED: 2");
    const auto cell = n.RadioServing();
    const TSimRat rat = n.Technology();
    const bool lte = cell && cell->Rat == TSimRat::Lte;
    const bool lteOnly = LteOnly(ctx.Model);
    const auto gsm = n.Serving();
    if (Service(n) == TSimService::None || (lteOnly && !lte) || (rat != TSimRat::Gsm && !cell)) {
        lines.push_back(lteOnly ? "6,2,fff,fff" : "4,2,fff,fff");
        return;
    }
    if (rat == TSimRat::Gsm) {
        lines.push_back("2," + Num(gsm->Mcc) + "," + Num(gsm->Mnc));
        lines.push_back(GsmLine(*gsm));
        return;
    }
    const std::string head = lte ? (lteOnly ? "6" : "4") : "3";
    lines.push_back(Join({head, SvcCode(n), Num(cell->Mcc), TwoDigits(cell->Mnc)}));
    lines.push_back(lte ? LteLine(*cell) : UmtsLine(*cell));
}

class TUbloxDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "ublox"; }
    std::string_view Manufacturer() const override { return "u-blox"; }
    std::string_view Model() const override { return "LARA-R6001D"; }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        if (cmd.Name != "+UCGED")
            return TSimDialect::Answer(cmd, c, lines);
        switch (cmd.Kind) {
        case TSimCommandKind::Test:
            lines.push_back("+UCGED: (0,2)");
            return TSimDialectResult::Ok;
        case TSimCommandKind::Set:
            return cmd.Args == "2" ? TSimDialectResult::Ok : TSimDialectResult::Error;
        case TSimCommandKind::Read:
            CellLines(c, lines);
            return TSimDialectResult::Ok;
        case TSimCommandKind::Action:
            break;
        }
        return TSimDialectResult::Error;
    }
};

} // namespace

const TSimDialect& SimUbloxDialect() {
    static const TUbloxDialect dialect;
    return dialect;
}

} // namespace celdara
