// A modem that speaks 27.007 and nothing of a vendor's own: +CESQ, +CEREG, +C5GREG and the
// <AcT> of +COPS. Its circuit-switched registration is its own: served by LTE or NR alone it
// is not registered for circuit-switched services, and +CREG says so.
#include "simulator/SimDialect.h"

namespace celdara {

namespace {

class T3gppDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "3gpp"; }
    std::string_view Manufacturer() const override { return "Celdara"; }
    std::string_view Model() const override { return "Virtual 5G modem"; }
    bool HasNr(std::string_view model) const override {
        return model.find("5G") != std::string_view::npos;
    }
    int CregState(const TSimDialectContext& c) const override { return SimCsRegState(c); }
};

} // namespace

int SimCsRegState(const TSimDialectContext& c) {
    const TSimRat rat = c.Network.Technology();
    if (rat == TSimRat::Gsm || rat == TSimRat::Umts)
        return c.Network.RegState();
    return c.Network.RegState() == 2 ? 2 : 0;
}

const TSimDialect& Sim3gppDialect() {
    static const T3gppDialect dialect;
    return dialect;
}

} // namespace celdara
