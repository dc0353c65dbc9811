// Sierra Wireless (EM74xx, MC73xx): AT!GSTATUS? in the layout of the Sierra manual (AirPrime
// EM74xx/MC74xx AT Command Reference, !GSTATUS): label/value pairs two to a line, separated
// by tabs, the first RSRP the main antenna's. On WCDMA and GSM the channel, LAC and cell
// come instead of the LTE lines; "---" stands where a value is not. Carrier aggregation adds
// the lines the EM7455/MC7455 firmware writes: "LTE CA state:" with the secondary cell's
// band, bandwidth and channel glued to their labels, and its "SCC RxM/RxD RSSI" lines after
// the primary's; without a secondary cell the state reads "NOT ASSIGNED".
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

// "Label:" padded to the value column, as the modem aligns its two columns.
std::string Pair(std::string_view left, const std::string& leftValue, std::string_view right,
                 const std::string& rightValue) {
    std::string line(left);
    line.resize(std::max<std::size_t>(line.size() + 1, 15), ' ');
    line += leftValue + "\t\t" + std::string(right);
    line.resize(std::max(line.size() + 1, line.rfind('\t') + 14), ' ');
    return line + rightValue;
}

std::string Mode(TSimRat rat, bool service) {
    if (!service)
        return "No service";
    return rat == TSimRat::Gsm ? "GSM" : rat == TSimRat::Umts ? "WCDMA" : "LTE";
}

// The two antennas' lines of a carrier, the diversity branch a little weaker.
void AntennaLines(std::string_view carrier, const TSimRadioCell& c,
                  std::vector<std::string>& lines) {
    const std::string name(carrier);
    lines.push_back(Pair(name + " RxM RSSI:", Num(c.Rssi), "RSRP (dBm):", Num(c.Rsrp)));
    lines.push_back(Pair(name + " RxD RSSI:", Num(c.Rssi - 2), "RSRP (dBm):", Num(c.Rsrp - 2)));
}

// "LTE CA state:" and, while a secondary cell is active, its band, bandwidth and channel.
void CaLines(const TSimRadioCell* scell, std::vector<std::string>& lines) {
    std::string state = "LTE CA state:";
    state.resize(15, ' ');
    if (scell == nullptr) {
        lines.push_back(state + "NOT ASSIGNED");
        return;
    }
    lines.push_back(state + "ACTIVE\t\tLTE Scell band:B" + Num(scell->Band));
    lines.push_back("LTE Scell bw:" + Num(scell->BandwidthMhz) +
                    " MHz\t\tLTE Scell chan:" + Num(scell->Channel));
}

void LteLines(const TSimRadioCell& c, const TSimRadioCell* scell, std::vector<std::string>& lines) {
    lines.push_back(Pair("LTE band:", "B" + Num(c.Band), "LTE bw:", Num(c.BandwidthMhz) + " MHz"));
    // FDD uplink channels lie 18000 above the downlink ones (36.101 5.7.3).
    lines.push_back(Pair("LTE Rx chan:", Num(c.Channel), "LTE Tx chan:", Num(c.Channel + 18000)));
    CaLines(scell, lines);
    AntennaLines("PCC", c, lines);
    if (scell != nullptr)
        AntennaLines("SCC", *scell, lines);
    lines.push_back(Pair("Tx Power:", "---", "TAC:", Hex(c.Area, 4) + " (" + Num(c.Area) + ")"));
    lines.push_back(Pair("RSRQ (dB):", Decimal(c.Rsrq),
                         "Cell ID:", Hex(c.CellId, 8) + " (" + Num(c.CellId) + ")"));
    std::string sinr = "SINR (dB):";
    sinr.resize(15, ' ');
    lines.push_back(sinr + Decimal(c.Sinr));
}

void Status(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    const TSimNetwork& n = ctx.Network;
    const auto cell = n.RadioServing();
    const TSimRat rat = n.Technology();
    const bool service = Service(n) != TSimService::None && (rat == TSimRat::Gsm || cell);
    lines.push_back("!GSTATUS: ");
    lines.push_back(Pair("Current Time:", Num(static_cast<long long>(ctx.UptimeSeconds)),
                         "Temperature:", "37"));
    lines.push_back(Pair("System mode:", Mode(rat, service), "PS state:",
                         Service(n) == TSimService::Registered ? "Attached" : "Not attached"));
    if (!service)
        return;
    if (cell && cell->Rat == TSimRat::Lte) {
        const auto carriers = n.Carriers();
        const bool aggregated = carriers.size() > 1 && carriers[1].Rat == TSimRat::Lte;
        LteLines(*cell, aggregated ? &carriers[1] : nullptr, lines);
        return;
    }
    // Hex codes with their decimal value, as the LTE lines give them.
    const bool umts = cell.has_value();
    const int lac = umts ? cell->Area : n.Serving()->Lac;
    const std::int64_t id = umts ? cell->CellId : n.Serving()->CellId;
    lines.push_back(Pair(
        umts ? "WCDMA channel:" : "GSM channel:", Num(umts ? cell->Channel : n.Serving()->Channel),
        "LAC:", Hex(lac, 4) + " (" + Num(lac) + ")"));
    std::string line = "Cell ID:";
    line.resize(15, ' ');
    lines.push_back(line + Hex(id, umts ? 8 : 4) + " (" + Num(id) + ")");
}

class TSierraDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "sierra"; }
    std::string_view Manufacturer() const override { return "Sierra Wireless, Incorporated"; }
    std::string_view Model() const override { return "EM7455"; }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        if (cmd.Name != "!GSTATUS")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test)
            return TSimDialectResult::Ok;
        if (cmd.Kind != TSimCommandKind::Read && cmd.Kind != TSimCommandKind::Action)
            return TSimDialectResult::Error;
        Status(c, lines);
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimSierraDialect() {
    static const TSierraDialect dialect;
    return dialect;
}

} // namespace celdara
