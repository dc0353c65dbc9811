// Cinterion / Thales (ELS61, PLS62, PLS8): AT^SMONI and AT^SMONP in the layouts of the
// Cinterion AT manuals (ELS61-E AT Command Set, ^SMONI and ^SMONP). The old Siemens ^MONI
// and ^MONP are gone from these modules and answer ERROR.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

std::string State(const TSimNetwork& n) {
    if (Service(n) == TSimService::Limited)
        return "LIMSRV";
    return n.CallState() == TSimCallState::Voice || n.CallState() == TSimCallState::Data ? "CONN"
                                                                                         : "NOCONN";
}

std::string Generation(TSimRat rat) {
    return rat == TSimRat::Gsm ? "2G" : rat == TSimRat::Umts ? "3G" : "4G";
}

std::string ServingLine(const TSimNetwork& n) {
    const TSimRat rat = n.Technology();
    const auto cell = n.RadioServing();
    if (Service(n) == TSimService::None || (rat != TSimRat::Gsm && !cell))
        return "^SMONI: " + Generation(rat) + ",SEARCH";
    if (rat == TSimRat::Gsm) {
        const TSimCellReport s = *n.Serving();
        return "^SMONI: " + Join({"2G", Num(s.Channel), Num(s.Dbm), Num(s.Mcc), TwoDigits(s.Mnc),
                                  Hex(s.Lac, 4), Hex(s.CellId, 4), Num(s.C1), Num(s.C2), Num(s.Ncc),
                                  Num(s.Bcc), "G", State(n)});
    }
    const TSimRadioCell& c = *cell;
    if (rat == TSimRat::Umts)
        return "^SMONI: " +
               Join({"3G", Num(c.Channel), Num(c.Pci), Decimal(c.EcIo2, true), Num(c.Rscp),
                     Num(c.Mcc), TwoDigits(c.Mnc), Hex(c.Area, 4), Hex(c.CellId),
                     Num(Clamp(c.EcIo2 / 2 + 24, 0, 49)), Num(c.Rscp + 115), State(n)});
    return "^SMONI: " +
           Join({"4G", Num(c.Channel), Num(c.Band), Num(c.BandwidthMhz), Num(c.BandwidthMhz),
                 c.Tdd ? "TDD" : "FDD", Num(c.Mcc), TwoDigits(c.Mnc), Hex(c.Area, 4), Hex(c.CellId),
                 Num(c.Pci), Num(c.Rsrp + 128), Num(c.Rsrp), Decimal(c.Rsrq), State(n)});
}

// One section a technology, each neighbour a line; the GSM neighbours while GSM serves.
void NeighbourLines(const TSimNetwork& n, std::vector<std::string>& lines) {
    if (n.Technology() == TSimRat::Gsm) {
        lines.push_back("2G:");
        for (const TSimCellReport& c : n.Neighbours())
            lines.push_back(Join({Num(c.Channel), Num(c.Rssi), Num(c.Dbm), Num(c.Mcc),
                                  TwoDigits(c.Mnc), Num(c.Ncc), Num(c.Bcc), Num(c.C1), Num(c.C2),
                                  Hex(c.Lac, 4), Hex(c.CellId, 4)}));
    }
    const auto cells = n.RadioNeighbours();
    lines.push_back("3G:");
    for (const TSimRadioCell& c : cells) {
        if (c.Rat == TSimRat::Umts)
            lines.push_back(Join({Num(c.Channel), Num(c.Pci), Decimal(c.EcIo2, true), Num(c.Rscp),
                                  Num(Clamp(c.EcIo2 / 2 + 24, 0, 49)), Num(c.Rscp + 115)}));
    }
    lines.push_back("4G:");
    for (const TSimRadioCell& c : cells) {
        if (c.Rat == TSimRat::Lte)
            lines.push_back(Join({Num(c.Channel), Decimal(c.Rsrq), Num(c.Rsrp), Num(c.Rsrp + 128),
                                  Num(c.Pci), Hex(c.Area, 4)}));
    }
}

class TCinterionDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "cinterion"; }
    std::string_view Manufacturer() const override { return "Cinterion"; }
    std::string_view Model() const override { return "ELS61-E"; }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        const bool serving = cmd.Name == "^SMONI";
        if (!serving && cmd.Name != "^SMONP")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test)
            return TSimDialectResult::Ok;
        if (cmd.Kind != TSimCommandKind::Action)
            return TSimDialectResult::Error;
        if (serving)
            lines.push_back(ServingLine(c.Network));
        else
            NeighbourLines(c.Network, lines);
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimCinterionDialect() {
    static const TCinterionDialect dialect;
    return dialect;
}

} // namespace celdara
