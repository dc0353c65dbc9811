// Huawei: AT^HCSQ? and AT^SYSINFOEX (HUAWEI ME909s Series LTE Module AT Command Interface
// manual, "^HCSQ - Query System Information and Signal Strength" and "^SYSINFOEX - Query
// Extended System Information").
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions (^HCSQ), each level the lower bound of its step; 255 "unknown" ---------
// rssi (GSM, WCDMA, LTE) 0..96: 0 below -120 dBm, n from -121 + n dBm.
std::optional<double> RssiDbm(std::optional<int> n) {
    return Stepped(n, 96, -121, 1);
}
// wcdma_rscp 0..96: -121 + n dBm.
std::optional<double> RscpDbm(std::optional<int> n) {
    return Stepped(n, 96, -121, 1);
}
// wcdma_ecio 0..65: 0 below -32 dB, 1 from -32 dB, 65 from 0 dB: -32.5 + n/2 dB.
std::optional<double> EcioDb(std::optional<int> n) {
    return Stepped(n, 65, -32.5, 0.5);
}
// lte_rsrp 0..97: -141 + n dBm.
std::optional<double> RsrpDbm(std::optional<int> n) {
    return Stepped(n, 97, -141, 1);
}
// lte_sinr 0..251: 0 below -20 dB, 1 from -20 dB in steps of 0.2, 251 from 30 dB.
std::optional<double> SinrDb(std::optional<int> n) {
    return Stepped(n, 251, -20.2, 0.2);
}
// lte_rsrq 0..34: 0 below -19.5 dB, 1 from -19.5 dB: -20 + n/2 dB.
std::optional<double> RsrqDb(std::optional<int> n) {
    return Stepped(n, 34, -20, 0.5);
}
// -------------------------------------------------------------------------------------------

// ^SYSINFOEX <sysmode>: 0 no service, 1 GSM, 3 WCDMA, 4 TD-SCDMA, 6 LTE; others (CDMA, WiMAX)
// are no technology this program knows.
TAccessTech TechOfSysmode(int sysmode) {
    switch (sysmode) {
    case 1:
        return TAccessTech::Gsm;
    case 3:
    case 4:
        return TAccessTech::Umts;
    case 6:
        return TAccessTech::Lte;
    default:
        return TAccessTech::Unknown;
    }
}

} // namespace

void ParseHuaweiHcsq(const TReplyLines& lines, TModemStatus& status) {
    const TFields f = FieldsOfLine(lines, "^HCSQ:");
    const std::string_view mode = TextAt(f, 0);
    if (EqualIgnoringCase(mode, "NOSERVICE")) {
        ClearServing(status);
    } else if (EqualIgnoringCase(mode, "GSM")) {
        TRadioCell& cell = BeginServing(status, TAccessTech::Gsm, TAccessTech::Gsm);
        SetIf(cell.Rssi, RssiDbm(IntAt(f, 1)));
    } else if (EqualIgnoringCase(mode, "WCDMA")) {
        TRadioCell& cell = BeginServing(status, TAccessTech::Umts, TAccessTech::Umts);
        SetIf(cell.Rssi, RssiDbm(IntAt(f, 1)));
        SetIf(cell.Rscp, RscpDbm(IntAt(f, 2)));
        SetIf(cell.EcIo, EcioDb(IntAt(f, 3)));
    } else if (EqualIgnoringCase(mode, "LTE")) {
        TRadioCell& cell = BeginServing(status, TAccessTech::Lte, TAccessTech::Lte);
        SetIf(cell.Rssi, RssiDbm(IntAt(f, 1)));
        SetIf(cell.Rsrp, RsrpDbm(IntAt(f, 2)));
        SetIf(cell.Sinr, SinrDb(IntAt(f, 3)));
        SetIf(cell.Rsrq, RsrqDb(IntAt(f, 4)));
    }
}

void ParseHuaweiSysinfoex(const TReplyLines& lines, TModemStatus& status) {
    const TFields f = FieldsOfLine(lines, "^SYSINFOEX:");
    const std::optional<int> sysmode = IntAt(f, 5);
    if (!sysmode)
        return;
    if (*sysmode == 0) {
        ClearServing(status);
        return;
    }
    const TAccessTech tech = TechOfSysmode(*sysmode);
    if (tech != TAccessTech::Unknown)
        BeginServing(status, tech, tech);
}

std::vector<TRadioQuery> HuaweiQueries() {
    // The system mode first, the levels of that mode after it.
    return {{"AT^SYSINFOEX\r", ParseHuaweiSysinfoex}, {"AT^HCSQ?\r", ParseHuaweiHcsq}};
}

} // namespace celdara
