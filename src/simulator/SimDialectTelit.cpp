// Telit (LE910Cx, LN940): AT#RFSTS? in the layouts of the Telit manual (LE910Cx AT Commands
// Reference Guide, #RFSTS): one line whose fields depend on the technology, area and cell
// codes in hex, the LTE SINR in fifths of a dB from -20 dB. Out of service the LTE layout
// comes with its values left empty, so that the command is not taken for a missing one.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

std::string Plmn(int mcc, int mnc) {
    return "\"" + Num(mcc) + " " + TwoDigits(mnc) + "\"";
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string NetworkName(const TSimNetwork& n) {
    const TSimOperator* op = n.Registered();
    return Quoted(op == nullptr ? "" : op->LongName);
}

std::string LteLine(const TSimRadioCell& c, const TSimDialectContext& ctx) {
    return "#RFSTS: " + Join({Plmn(c.Mcc, c.Mnc), Num(c.Channel), Num(c.Rsrp), Num(c.Rssi),
                              Num(c.Rsrq), Hex(c.Area, 4), "FF", "", "128", "19", "0",
                              Hex(c.CellId), Quoted(ctx.Imsi), NetworkName(ctx.Network), "3",
                              Num(c.Band), "720", "3240", Num(Clamp((c.Sinr + 20) * 5, 0, 250))});
}

std::string WcdmaLine(const TSimRadioCell& c, const TSimDialectContext& ctx) {
    return "#RFSTS: " +
           Join({Plmn(c.Mcc, c.Mnc), Num(c.Channel), Num(c.Pci), Decimal(c.EcIo2, true),
                 Num(c.Rscp), Num(c.Rssi), Hex(c.Area, 4), "FF", "-10", "128", "19", "0", "0", "0",
                 Hex(c.CellId), Quoted(ctx.Imsi), NetworkName(ctx.Network), "3", "0"});
}

// ABND: 2 GSM 900, 3 DCS 1800.
std::string GsmLine(const TSimCellReport& s, const TSimDialectContext& ctx) {
    const bool dcs = s.Channel >= 512 && s.Channel <= 885;
    return "#RFSTS: " + Join({Plmn(s.Mcc, s.Mnc), Num(s.Channel), Num(s.Dbm), Hex(s.Lac, 4), "FF",
                              "0", "19", "0", "1", Hex(s.CellId, 4), Quoted(ctx.Imsi),
                              NetworkName(ctx.Network), "3", dcs ? "3" : "2"});
}

std::string StatusLine(const TSimDialectContext& ctx) {
    const TSimNetwork& n = ctx.Network;
    const auto cell = n.RadioServing();
    const TSimRat rat = n.Technology();
    if (Service(n) == TSimService::None || (rat != TSimRat::Gsm && !cell))
        return "#RFSTS: " + Join({"\"\"", "", "", "", "", "", "", "", "", "", "", "",
                                  Quoted(ctx.Imsi), "\"\"", "0", "", "", "", ""});
    if (rat == TSimRat::Gsm)
        return GsmLine(*n.Serving(), ctx);
    if (rat == TSimRat::Umts)
        return WcdmaLine(*cell, ctx);
    return LteLine(*cell, ctx);
}

class TTelitDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "telit"; }
    std::string_view Manufacturer() const override { return "Telit"; }
    std::string_view Model() const override { return "LE910C4-EU"; }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        if (cmd.Name != "#RFSTS")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test)
            return TSimDialectResult::Ok;
        if (cmd.Kind != TSimCommandKind::Read)
            return TSimDialectResult::Error;
        lines.push_back(StatusLine(c));
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimTelitDialect() {
    static const TTelitDialect dialect;
    return dialect;
}

} // namespace celdara
