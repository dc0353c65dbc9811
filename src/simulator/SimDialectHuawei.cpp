// Huawei (ME909s, E3372, MU709): AT^HCSQ? and AT^SYSINFOEX in the layouts of the Huawei
// manual (HUAWEI ME909s Series LTE Module AT command interface manual, ^HCSQ and
// ^SYSINFOEX). Levels are indices on the manual's scales, 255 where there is none.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

std::string SignalLine(const TSimNetwork& n) {
    const auto cell = n.RadioServing();
    const TSimRat rat = n.Technology();
    if (Service(n) == TSimService::None || (rat != TSimRat::Gsm && !cell))
        return "^HCSQ: \"NOSERVICE\"";
    if (rat == TSimRat::Gsm)
        return "^HCSQ: \"GSM\"," + Num(Clamp(n.Serving()->Dbm + 121, 0, 96));
    const std::string rssi = Num(Clamp(cell->Rssi + 121, 0, 96));
    if (rat == TSimRat::Umts)
        return "^HCSQ: " + Join({"\"WCDMA\"", rssi, Num(Clamp(cell->Rscp + 121, 0, 96)),
                                 Num(Clamp(cell->EcIo2 + 65, 0, 65))});
    return "^HCSQ: " +
           Join({"\"LTE\"", rssi, Num(Clamp(cell->Rsrp + 141, 0, 97)),
                 Num(Clamp(5 * cell->Sinr + 101, 0, 251)), Num(Clamp(2 * cell->Rsrq + 40, 0, 34))});
}

std::string SystemLine(const TSimNetwork& n) {
    const TSimService service = Service(n);
    if (service == TSimService::None)
        return "^SYSINFOEX: 0,0,0,1,,0,\"NO SERVICE\",0,\"NO SERVICE\"";
    const bool registered = service == TSimService::Registered;
    std::string mode;
    switch (n.Technology()) {
    case TSimRat::Gsm:
        mode = "1,\"GSM\",3,\"EDGE\"";
        break;
    case TSimRat::Umts:
        mode = "3,\"WCDMA\",4,\"WCDMA\"";
        break;
    default:
        mode = "6,\"LTE\",101,\"LTE\"";
        break;
    }
    return "^SYSINFOEX: " + Join({registered ? "2" : "1", registered ? "3" : "0",
                                  n.RegState() == 5 ? "1" : "0", "1", "", mode});
}

class THuaweiDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "huawei"; }
    std::string_view Manufacturer() const override { return "Huawei"; }
    std::string_view Model() const override { return "ME909s-120"; }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        const bool signal = cmd.Name == "^HCSQ";
        if (!signal && cmd.Name != "^SYSINFOEX")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test) {
            if (signal)
                lines.push_back("^HCSQ: \"NOSERVICE\",\"GSM\",\"WCDMA\",\"LTE\"");
            return TSimDialectResult::Ok;
        }
        if (cmd.Kind != (signal ? TSimCommandKind::Read : TSimCommandKind::Action))
            return TSimDialectResult::Error;
        lines.push_back(signal ? SignalLine(c.Network) : SystemLine(c.Network));
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimHuaweiDialect() {
    static const THuaweiDialect dialect;
    return dialect;
}

} // namespace celdara
