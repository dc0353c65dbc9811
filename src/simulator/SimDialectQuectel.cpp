// Quectel (EC2x, EG25, EG06, RM5xx): AT+QENG="servingcell" and ="neighbourcell" in the
// layouts of the Quectel AT manuals (EC2x&EG9x&EG2x-G&EM05 Series AT Commands Manual, AT+QENG;
// RG50xQ&RM5xxQ Series AT Commands Manual, AT+QENG and AT+QCAINFO). Firmware habits kept:
// +CSQ answers 99,99 while LTE or NR serves, +CREG is not registered then, the LTE SINR of the
// LTE-only models (serving cell and neighbours) is in fifths of a dB from -20 dB, the RM5xx
// drop the sign of the LTE RSSI, and values the modem does not have are "-" or -32768.
#include "simulator/SimDialect.h"

namespace celdara {

using namespace simdialect;

namespace {

bool IsFiveGModel(std::string_view model) {
    return model.rfind("RM5", 0) == 0 || model.rfind("RG5", 0) == 0;
}

// The bandwidth codes of the LTE fields: 1.4, 3, 5, 10, 15, 20 MHz.
int LteBandwidthCode(int mhz) {
    return mhz >= 20 ? 5 : mhz >= 15 ? 4 : mhz >= 10 ? 3 : mhz >= 5 ? 2 : mhz >= 3 ? 1 : 0;
}

// The NR bandwidth codes: 5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100 MHz.
int NrBandwidthCode(int mhz) {
    static const int widths[] = {5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100};
    int code = 0;
    for (int i = 0; i < static_cast<int>(std::size(widths)); ++i)
        code = mhz >= widths[i] ? i : code;
    return code;
}

std::string State(const TSimNetwork& n) {
    if (Service(n) == TSimService::Limited)
        return "\"LIMSRV\"";
    return n.CallState() == TSimCallState::Idle || n.CallState() == TSimCallState::Ringing
               ? "\"NOCONN\""
               : "\"CONNECT\"";
}

std::string Plmn(const TSimRadioCell& c) {
    return Num(c.Mcc) + "," + TwoDigits(c.Mnc);
}

// The LTE SINR as the model writes it: in fifths of a dB from -20 dB on the models of the
// EC2x&EG9x&EG2x-G&EM05 manual and the BG9x, in dB on the others (EG06, EG12, RM5xx).
int LteSinr(int sinr, std::string_view model) {
    for (std::string_view prefix : {"EC2", "EG2", "EG9", "EM05", "EM06", "EP06", "BG9"}) {
        if (model.rfind(prefix, 0) == 0)
            return Clamp((sinr + 20) * 5, 0, 250);
    }
    return sinr;
}

// From "LTE" on: the fields of the LTE serving line (the second line on 5G NSA). The RM5xx
// firmware drops the sign of the RSSI.
std::string LteFields(const TSimRadioCell& c, std::string_view model) {
    const int sinr = LteSinr(c.Sinr, model);
    const int rssi = IsFiveGModel(model) ? -c.Rssi : c.Rssi;
    const int cqi = Clamp((c.Sinr + 10) / 3 + 1, 1, 15);
    const std::string bw = Num(LteBandwidthCode(c.BandwidthMhz));
    return Join({"\"LTE\"", c.Tdd ? "\"TDD\"" : "\"FDD\"", Plmn(c), Hex(c.CellId), Num(c.Pci),
                 Num(c.Channel), Num(c.Band), bw, bw, Hex(c.Area), Num(c.Rsrp), Num(c.Rsrq),
                 Num(rssi), Num(sinr), Num(cqi), "-32768", Num(c.Rsrp + 142)});
}

std::string WcdmaFields(const TSimRadioCell& c) {
    return Join({"\"WCDMA\"", Plmn(c), Hex(c.Area), Hex(c.CellId), Num(c.Channel), Num(c.Pci), "0",
                 Num(c.Rscp), Num(c.EcIo2 / 2), "-", "-", "-", "-", "-"});
}

std::string GsmFields(const TSimCellReport& s) {
    std::vector<std::string> f = {"\"GSM\"",      Num(s.Mcc),    TwoDigits(s.Mnc),
                                  Hex(s.Lac),     Hex(s.CellId), Num(s.Ncc * 8 + s.Bcc),
                                  Num(s.Channel), "0",           Num(s.Dbm),
                                  "255",          "255",         "0",
                                  Num(s.C1),      Num(s.C2),     "1"};
    f.insert(f.end(), 10, "-"); // the dedicated-mode fields: no call, no values
    return Join(f);
}

std::string NrSaFields(const TSimRadioCell& c) {
    return Join({"\"NR5G-SA\"", c.Tdd ? "\"TDD\"" : "\"FDD\"", Plmn(c), Hex(c.CellId), Num(c.Pci),
                 Hex(c.Area), Num(c.Channel), Num(c.Band), Num(NrBandwidthCode(c.BandwidthMhz)),
                 Num(c.Rsrp), Num(c.Rsrq), Num(c.Sinr), c.Band == 78 ? "1" : "0", "-"});
}

void ServingCell(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    const TSimNetwork& n = ctx.Network;
    const std::string head = "+QENG: \"servingcell\"," + State(n);
    const auto cell = n.RadioServing();
    if (Service(n) == TSimService::None || (n.Technology() != TSimRat::Gsm && !cell)) {
        lines.push_back("+QENG: \"servingcell\",\"SEARCH\"");
        return;
    }
    switch (n.Technology()) {
    case TSimRat::Gsm:
        lines.push_back(head + "," + GsmFields(*n.Serving()));
        return;
    case TSimRat::Umts:
        lines.push_back(head + "," + WcdmaFields(*cell));
        return;
    case TSimRat::Lte:
        lines.push_back(head + "," + LteFields(*cell, ctx.Model));
        return;
    case TSimRat::NrSa:
        lines.push_back(head + "," + NrSaFields(*cell));
        return;
    case TSimRat::LteNr:
        break;
    }
    // EN-DC: the state alone, then the anchor, then the leg while it is up.
    lines.push_back(head);
    lines.push_back("+QENG: " + LteFields(*cell, ctx.Model));
    if (auto leg = n.NrLeg())
        lines.push_back("+QENG: " +
                        Join({"\"NR5G-NSA\"", Plmn(*leg), Num(leg->Pci), Num(leg->Rsrp),
                              Num(leg->Sinr), Num(leg->Rsrq), Num(leg->Channel), Num(leg->Band)}));
}

// GSM rows: arfcn, cell_resel_priority, thresh_gsm_high, thresh_gsm_low, ncc_permitted,
// band, bsic, rssi, srxlev.
void GsmNeighbours(const TSimNetwork& n, std::vector<std::string>& lines) {
    for (const TSimCellReport& c : n.Neighbours())
        lines.push_back("+QENG: " +
                        Join({"\"neighbourcell\"", "\"GSM\"", Num(c.Channel), "0", "0", "0", "255",
                              "0", Num(c.Ncc * 8 + c.Bcc), Num(c.Dbm), Num(c.C1)}));
}

void NeighbourCells(const TSimNetwork& n, std::string_view model, std::vector<std::string>& lines) {
    if (n.Technology() == TSimRat::Gsm) {
        GsmNeighbours(n, lines);
        return;
    }
    const auto serving = n.RadioServing();
    if (!serving)
        return;
    for (const TSimRadioCell& c : n.RadioNeighbours()) {
        if (c.Rat == TSimRat::Umts) {
            lines.push_back("+QENG: " +
                            Join({"\"neighbourcell\"", "\"WCDMA\"", Num(c.Channel), "0", "4", "2",
                                  Num(c.Pci), Num(c.Rscp), Num(c.EcIo2 / 2), Num(c.Rscp + 110)}));
        } else if (c.Rat == TSimRat::Lte && serving->Rat == TSimRat::Lte &&
                   c.Channel == serving->Channel) {
            lines.push_back("+QENG: " + Join({"\"neighbourcell intra\"", "\"LTE\"", Num(c.Channel),
                                              Num(c.Pci), Num(c.Rsrq), Num(c.Rsrp), Num(c.Rssi),
                                              Num(LteSinr(c.Sinr, model)), Num(c.Rsrp + 142), "3",
                                              "62", "10", "62"}));
        } else if (c.Rat == TSimRat::Lte) {
            lines.push_back("+QENG: " + Join({"\"neighbourcell inter\"", "\"LTE\"", Num(c.Channel),
                                              Num(c.Pci), Num(c.Rsrq), Num(c.Rsrp), Num(c.Rssi),
                                              "-", Num(c.Rsrp + 142), "5", "8", "8"}));
        }
    }
}

// AT+QCAINFO is in the manuals of the LTE-A modules and the 5G ones; the EC2x/EG25 lack it.
bool HasCarrierInfo(std::string_view model) {
    for (std::string_view prefix : {"EG06", "EP06", "EM06", "EG12", "EM12", "EG18", "RM5", "RG5"}) {
        if (model.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

// The RM520N and RG520N firmware write an NR secondary carrier in the long form, with its
// state, uplink and measurements; the RM500Q family gives EN-DC's NR carrier in four fields.
bool LongNrCarrier(std::string_view model) {
    return model.rfind("RM52", 0) == 0 || model.rfind("RG52", 0) == 0;
}

// LTE bandwidth in resource blocks: 6, 15, 25, 50, 75, 100 for 1.4 to 20 MHz.
int ResourceBlocks(int mhz) {
    return mhz >= 3 ? mhz * 5 : 6;
}

// The LTE lines: "PCC",<freq>,<bandwidth>,<band>,<pcell_state>,<PCID>,<RSRP>,<RSRQ>,<RSSI>,
// <RSSNR>; a secondary one has <scell_state> (2: configured and activated) and, on the 5G
// models, <UL_configured>,<UL_bandwidth>,<UL_EARFCN> after them (downlink only: 0,-,-). The
// RSSNR is in the unit AT+QENG uses on the model.
std::string LteCarrier(const TSimRadioCell& c, bool primary, std::string_view model) {
    std::vector<std::string> f = {primary ? "\"PCC\"" : "\"SCC\"",
                                  Num(c.Channel),
                                  Num(ResourceBlocks(c.BandwidthMhz)),
                                  "\"LTE BAND " + Num(c.Band) + "\"",
                                  primary ? "1" : "2",
                                  Num(c.Pci),
                                  Num(c.Rsrp),
                                  Num(c.Rsrq),
                                  Num(c.Rssi),
                                  Num(LteSinr(c.Sinr, model))};
    if (!primary && IsFiveGModel(model))
        f.insert(f.end(), {"0", "-", "-"});
    return "+QCAINFO: " + Join(f);
}

// The NR lines, bandwidth as the index of AT+QENG: SA's primary and EN-DC's leg
// "PCC"|"SCC",<freq>,<bandwidth>,<band>,<PCID>,<RSRP>,<RSRQ>,<SNR>, where the RM500Q family
// leaves the leg's measurements out; SA's secondary "SCC",<freq>,<bandwidth>,<band>,
// <scell_state>,<PCID>,<UL_configured>,<UL_bandwidth>,<UL_ARFCN>, the long form with <RSRP>,
// <RSRQ>,<SNR> after them.
std::string NrCarrier(const TSimRadioCell& c, bool primary, bool endc, std::string_view model) {
    std::vector<std::string> f = {primary ? "\"PCC\"" : "\"SCC\"", Num(c.Channel),
                                  Num(NrBandwidthCode(c.BandwidthMhz)),
                                  "\"NR5G BAND " + Num(c.Band) + "\""};
    if (primary || endc)
        f.push_back(Num(c.Pci));
    else
        f.insert(f.end(), {"2", Num(c.Pci), "0", "-", "-"});
    if (primary || LongNrCarrier(model))
        f.insert(f.end(), {Num(c.Rsrp), Num(c.Rsrq), Num(c.Sinr)});
    return "+QCAINFO: " + Join(f);
}

void CarrierLines(const TSimDialectContext& ctx, std::vector<std::string>& lines) {
    const auto carriers = ctx.Network.Carriers();
    const bool endc = ctx.Network.Technology() == TSimRat::LteNr;
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        const TSimRadioCell& c = carriers[i];
        lines.push_back(c.Rat == TSimRat::Lte ? LteCarrier(c, i == 0, ctx.Model)
                                              : NrCarrier(c, i == 0, endc, ctx.Model));
    }
}

class TQuectelDialect final : public TSimDialect {
public:
    std::string_view Name() const override { return "quectel"; }
    std::string_view Manufacturer() const override { return "Quectel"; }
    std::string_view Model() const override { return "EG25"; }
    bool HasNr(std::string_view model) const override { return IsFiveGModel(model); }

    std::string CsqLine(const TSimDialectContext& c) const override {
        const TSimRat rat = c.Network.Technology();
        if (rat == TSimRat::Gsm || rat == TSimRat::Umts)
            return TSimDialect::CsqLine(c);
        return "+CSQ: 99,99";
    }
    int CregState(const TSimDialectContext& c) const override { return SimCsRegState(c); }

    TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                             std::vector<std::string>& lines) const override {
        if (cmd.Name == "+QCAINFO" && HasCarrierInfo(c.Model))
            return AnswerCarriers(cmd, c, lines);
        if (cmd.Name != "+QENG")
            return TSimDialect::Answer(cmd, c, lines);
        if (cmd.Kind == TSimCommandKind::Test) {
            lines.push_back("+QENG: (\"servingcell\",\"neighbourcell\")");
            return TSimDialectResult::Ok;
        }
        if (cmd.Kind == TSimCommandKind::Set && ArgIs(cmd.Args, "servingcell"))
            ServingCell(c, lines);
        else if (cmd.Kind == TSimCommandKind::Set && ArgIs(cmd.Args, "neighbourcell"))
            NeighbourCells(c.Network, c.Model, lines);
        else
            return TSimDialectResult::Error;
        return TSimDialectResult::Ok;
    }

private:
    static TSimDialectResult AnswerCarriers(const TSimDialectCommand& cmd,
                                            const TSimDialectContext& c,
                                            std::vector<std::string>& lines) {
        if (cmd.Kind == TSimCommandKind::Test)
            return TSimDialectResult::Ok;
        if (cmd.Kind != TSimCommandKind::Action)
            return TSimDialectResult::Error;
        CarrierLines(c, lines);
        return TSimDialectResult::Ok;
    }
};

} // namespace

const TSimDialect& SimQuectelDialect() {
    static const TQuectelDialect dialect;
    return dialect;
}

} // namespace celdara
