// The radio queries of 3GPP TS 27.007 that every modem may answer: +CESQ, +CEREG, +CGREG,
// +C5GREG.
#include "modem/DialectFields.h"
#include "modem/RadioDialects.h"
#include "modem/Registration.h"

namespace celdara {

using namespace dialect;

namespace {

// ---- Conversions: 27.007 8.69 (+CESQ), each level the lower bound of its step. ----------
// rxlev 0..63: -111 + n dBm (0 below -110, 63 from -48), 99 not known.
std::optional<double> RxlevDbm(std::optional<int> n) {
    return Stepped(n, 63, -111, 1);
}
// ber 0..7 (RXQUAL classes of 45.008), 99 not known.
std::optional<int> BerClass(std::optional<int> n) {
    return n && *n >= 0 && *n <= 7 ? n : std::nullopt;
}
// rscp 0..96: -121 + n dBm, 255 not known.
std::optional<double> RscpDbm(std::optional<int> n) {
    return Stepped(n, 96, -121, 1);
}
// ecno 0..49: -24.5 + n/2 dB, 255 not known.
std::optional<double> EcnoDb(std::optional<int> n) {
    return Stepped(n, 49, -24.5, 0.5);
}
// rsrq 0..34: -20 + n/2 dB, 255 not known.
std::optional<double> RsrqDb(std::optional<int> n) {
    return Stepped(n, 34, -20, 0.5);
}
// rsrp 0..97: -141 + n dBm, 255 not known.
std::optional<double> RsrpDbm(std::optional<int> n) {
    return Stepped(n, 97, -141, 1);
}
// ss_rsrq 0..127: -43.5 + n/2 dB; ss_rsrp 0..126: -157 + n dBm; ss_sinr 0..127:
// -23.5 + n/2 dB; 255 not known (27.007 Rel-15, 38.133 10.1.11 / 10.1.6 / 10.1.16).
std::optional<double> SsRsrqDb(std::optional<int> n) {
    return Stepped(n, 127, -43.5, 0.5);
}
std::optional<double> SsRsrpDbm(std::optional<int> n) {
    return Stepped(n, 126, -157, 1);
}
std::optional<double> SsSinrDb(std::optional<int> n) {
    return Stepped(n, 127, -23.5, 0.5);
}
// -------------------------------------------------------------------------------------------

// The technology CESQ's values point at when nobody named one.
TAccessTech TechOfCesq(const TRadioCell& cell, bool nr) {
    if (cell.Rsrp || cell.Rsrq)
        return TAccessTech::Lte;
    if (cell.Rscp || cell.EcIo)
        return TAccessTech::Umts;
    if (cell.Rssi)
        return TAccessTech::Gsm;
    return nr ? TAccessTech::NrSa : TAccessTech::Unknown;
}

// The NR values of the nine-field form: with LTE values beside them the NR leg of EN-DC,
// alone the serving cell of 5G SA.
void StoreCesqNr(const TFields& f, const TRadioCell& read, TRadioStatus& radio,
                 TModemStatus& status) {
    TRadioCell nr;
    nr.Rsrq = SsRsrqDb(IntAt(f, 6));
    nr.Rsrp = SsRsrpDbm(IntAt(f, 7));
    nr.Sinr = SsSinrDb(IntAt(f, 8));
    if (!nr.Rsrq && !nr.Rsrp && !nr.Sinr)
        return;
    TRadioCell* target = &radio.Serving;
    if (read.Rsrp || read.Rsrq) {
        // LTE and NR measured at once: EN-DC, whatever +COPS named.
        target = &BeginNrLeg(status);
        radio.Tech = TAccessTech::NrNsa;
    }
    SetIf(target->Rsrq, nr.Rsrq);
    SetIf(target->Rsrp, nr.Rsrp);
    SetIf(target->Sinr, nr.Sinr);
}

// The answer to the read command of `domain`, the first line of that domain in its read
// form; the unsolicited lines of any domain that came in between are skipped.
void ParseRegistrationReply(const TReplyLines& lines, TModemStatus& status, TRegDomain domain) {
    for (const std::string& line : lines) {
        const std::optional<TRegistration> registration = ParseRegistrationLine(line);
        if (registration && registration->Domain == domain && !registration->Unsolicited) {
            ApplyRegistration(*registration, status);
            return;
        }
    }
}

} // namespace

void ParseCesq(const TReplyLines& lines, TModemStatus& status) {
    const TFields f = FieldsOfLine(lines, "+CESQ:");
    if (f.size() < 6)
        return;
    TRadioCell read;
    read.Rssi = RxlevDbm(IntAt(f, 0));
    read.BitErrors = BerClass(IntAt(f, 1));
    read.Rscp = RscpDbm(IntAt(f, 2));
    read.EcIo = EcnoDb(IntAt(f, 3));
    read.Rsrq = RsrqDb(IntAt(f, 4));
    read.Rsrp = RsrpDbm(IntAt(f, 5));

    TRadioStatus& radio = status.Radio;
    TRadioCell& serving = radio.Serving;
    SetIf(serving.Rssi, read.Rssi);
    SetIf(serving.BitErrors, read.BitErrors);
    SetIf(serving.Rscp, read.Rscp);
    SetIf(serving.EcIo, read.EcIo);
    SetIf(serving.Rsrq, read.Rsrq);
    SetIf(serving.Rsrp, read.Rsrp);

    const bool nr =
        f.size() >= 9 && (SsRsrqDb(IntAt(f, 6)) || SsRsrpDbm(IntAt(f, 7)) || SsSinrDb(IntAt(f, 8)));
    const TAccessTech tech = TechOfCesq(read, nr);
    if (serving.Tech == TAccessTech::Unknown)
        serving.Tech = tech;
    if (radio.Tech == TAccessTech::Unknown)
        radio.Tech = tech;
    if (f.size() >= 9)
        StoreCesqNr(f, read, radio, status);
}

void ParseCgreg(const TReplyLines& lines, TModemStatus& status) {
    ParseRegistrationReply(lines, status, TRegDomain::Ps);
}

void ParseCereg(const TReplyLines& lines, TModemStatus& status) {
    ParseRegistrationReply(lines, status, TRegDomain::Eps);
}

void ParseC5greg(const TReplyLines& lines, TModemStatus& status) {
    ParseRegistrationReply(lines, status, TRegDomain::Fgs);
}

std::vector<TRadioQuery> StandardRadioQueries() {
    return {
        {"AT+CESQ\r", ParseCesq},
        {"AT+CEREG?\r", ParseCereg},
        {"AT+CGREG?\r", ParseCgreg},
        {"AT+C5GREG?\r", ParseC5greg},
    };
}

} // namespace celdara
