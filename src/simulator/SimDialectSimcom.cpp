// SIMCom (SIM7500/SIM7600, SIM8200): AT+CPSI? in the layouts of the SIMCom AT manuals
// (SIM7500_SIM7600 Series AT Command Manual, AT+CPSI; SIM8200 Series AT Command Manual,
// AT+CPSI). Identities are decimal, area codes "0x" hex, LTE and NR levels in tenths of a
// dB, the RS-SNR of LTE in whole dB.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

std::string Plmn(int mcc, int mnc) {
    return Num(mcc) + "-" + TwoDigits(mnc);
}

int BandwidthCode(int mhz) {
    return mhz >= 20 ? 5 : mhz >= 15 ? 4 : mhz >= 10 ? 3 : mhz >= 5 ? 2 : mhz >= 3 ? 1 : 0;
}

std::string GsmLine(const TSimCellReport& s) {
    const bool dcs = s.Channel >= 512 && s.Channel <= 885;
    return "+CPSI: " + Join({"GSM", "Online", Plmn(s.Mcc, s.Mnc), "0x" + Hex(s.Lac, 4),
                             Num(s.CellId), Num(s.Channel) + (dcs ? " DCS1800" : " EGSM900"),
                             Num(s.Dbm), "0", Num(s.C1) + "-" + Num(s.C2)});
}

// The SIM7600 manual's order: the PSC before the UARFCN ("Freq"), then SSC, Ec/Io (dB),
// RSCP (dBm), Qual, RxLev, TXPWR.
std::string WcdmaLine(const TSimRadioCell& c) {
    return "+CPSI: " +
           Join({"WCDMA", "Online", Plmn(c.Mcc, c.Mnc), "0x" + Hex(c.Area, 4), Num(c.CellId),
                 c.Band == 8 ? "WCDMA 900" : "WCDMA IMT 2000", Num(c.Pci), Num(c.Channel), "0",
                 Decimal(c.EcIo2, true), Num(c.Rscp), Num(Clamp(c.EcIo2 / 2 + 24, 0, 49)),
                 Num(Clamp(c.Rscp + 137, 0, 63)), "0"});
}

std::string LteLine(const TSimRadioCell& c) {
    const std::string bw = Num(BandwidthCode(c.BandwidthMhz));
    return "+CPSI: " +
           Join({"LTE", "Online", Plmn(c.Mcc, c.Mnc), "0x" + Hex(c.Area, 4), Num(c.CellId),
                 Num(c.Pci), "EUTRAN-BAND" + Num(c.Band), Num(c.Channel), bw, bw, Num(c.Rsrq * 10),
                 Num(c.Rsrp * 10), Num(c.Rssi * 10), Num(c.Sinr)});
}

std::string NrSaLine(const TSimRadioCell& c) {
    return "+CPSI: " + Join({"NR5G_SA", "Online", Plmn(c.Mcc, c.Mnc), "0x" + Hex(c.Area, 6),
                             Num(c.CellId), Num(c.Pci), "NR5G_BAND" + Num(c.Band), Num(c.Channel),
                             Num(c.Rsrp * 10), Num(c.Rsrq * 10), Num(c.Sinr * 10)});
}

std::string NsaLine(const TSimRadioCell& c) {
    return "+CPSI: " + Join({"NR5G_NSA", Num(c.Pci), "NR5G_BAND" + Num(c.Band), Num(c.Channel),
                             Num(c.Rsrp * 10), Num(c.Rsrq * 10), Num(c.Sinr * 10)});
}

void SystemInfo(const TSimNetwork& n, std::vector<std::string>& lines) {
    const auto cell = n.RadioServing();
    const TSimRat rat = n.Technology();
    if (Service(n) == TSimService::None || (rat != TSimRat::Gsm && !cell)) {
        lines.push_back("+CPSI: NO SERVICE,Online");
        return;
    }
    if (rat == TSimRat::Gsm)
        lines.push_back(GsmLine(*n.Serving()));
    else if (rat == TSimRat::Umts)
        lines.push_back(WcdmaLine(*cell));
    else if (rat == TSimRat::NrSa)
        lines.push_back(NrSaLine(*cell));
    else
        lines.push_back(LteLine(*cell));
    if (auto leg = n.NrLeg())
        lines.push_back(NsaLine(*leg));
}

class TSimcomDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "simcom"; }
    std::string_view Manufacturer() const override { return "SIMCOM INCORPORATED"; }
    std::string_view Model() const override { return "SIMCOM_SIM7600E-H"; }
    bool HasNr(std::string_view model) const override {
        return model.find("SIM82") != std::string_view::npos;
    }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        if (cmd.Name != "+CPSI")
            return TSimDialect::Answer(cmd, c, lines);
        switch (cmd.Kind) {
        case TSimCommandKind::Read:
            SystemInfo(c.Network, lines);
            return TSimDialectResult::Ok;
        case TSimCommandKind::Test:
            lines.push_back("+CPSI: (0-255)");
            return TSimDialectResult::Ok;
        case TSimCommandKind::Set: // the period of unsolicited reports, which are not sent
            return TSimDialectResult::Ok;
        case TSimCommandKind::Action:
            break;
        }
        return TSimDialectResult::Error;
    }
};

} // namespace

const TSimDialect& SimSimcomDialect() {
    static const TSimcomDialect dialect;
    return dialect;
}

} // namespace celdara
