// The Siemens-type GSM modem the simulator has always been: ^MONI / ^MONP (which the engine
// answers itself), +CSQ and +CREG, and nothing of the later 27.007 commands.
#include "simulator/SimDialect.h"

namespace celdara {

namespace {

class TGsmDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "gsm"; }
    std::string_view Manufacturer() const override { return "Celdara"; }
    std::string_view Model() const override { return "Virtual GSM modem"; }
    bool SiemensMonitor() const override { return true; }
    TSimDialectResult Answer(const TSimDialectCommand&, const TSimDialectContext&,
                             std::vector<std::string>&) const override {
        return TSimDialectResult::Unknown;
    }
};

} // namespace

const TSimDialect& SimGsmDialect() {
    static const TGsmDialect dialect;
    return dialect;
}

} // namespace celdara
