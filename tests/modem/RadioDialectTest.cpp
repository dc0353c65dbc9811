// The parsers of the radio dialects, with replies in the layouts of the vendors' public AT
// manuals (doc/modem-dialects.md names them), one named row per case; the choice of queries
// by +CGMI / +CGMM; the quirk tables row by row; a reply that came in pieces.
#include "modem/LineFraming.h"
#include "modem/RadioDialects.h"
#include "modem/ReplyParsers.h"
#include "util/TextConvert.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

// The expected cells are written with designated initializers naming only the fields a reply
// fills; GCC counts every other field as "missing".
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace celdara {
namespace {

using TParse = std::function<void(const TReplyLines&, TModemStatus&)>;

// Every field of a cell, the measurements to four decimals, so that -20 + 16 / 5 and -16.8
// compare equal and a failure shows the whole cell.
std::string Describe(const TRadioCell& c) {
    std::ostringstream out;
    out << AccessTechName(c.Tech);
    auto i = [&](const char* name, const auto& v) {
        if (v)
            out << ' ' << name << '=' << *v;
    };
    auto d = [&](const char* name, const std::optional<double>& v) {
        if (v) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4f", *v);
            out << ' ' << name << '=' << text;
        }
    };
    i("ch", c.Channel);
    i("band", c.Band);
    i("pci", c.PhysicalId);
    i("area", c.AreaCode);
    i("cell", c.CellId);
    i("mcc", c.Mcc);
    i("mnc", c.Mnc);
    i("mncDigits", c.MncDigits);
    d("rssi", c.Rssi);
    d("rscp", c.Rscp);
    d("ecio", c.EcIo);
    d("rsrp", c.Rsrp);
    d("rsrq", c.Rsrq);
    d("sinr", c.Sinr);
    i("ber", c.BitErrors);
    return out.str();
}

std::string Describe(const TRadioStatus& r) {
    std::ostringstream out;
    out << "tech=" << AccessTechName(r.Tech);
    if (r.Act)
        out << " act=" << *r.Act;
    out << "\n serving: " << Describe(r.Serving);
    if (r.NrLeg)
        out << "\n nr leg: " << Describe(*r.NrLeg);
    for (const TRadioCell& n : r.Neighbours)
        out << "\n neighbour: " << Describe(n);
    if (r.EpsRegState)
        out << "\n eps=" << *r.EpsRegState;
    if (r.NrRegState)
        out << "\n 5gs=" << *r.NrRegState;
    return out.str();
}

struct DialectCase {
    const char* name;
    TParse parse;
    TReplyLines lines;
    TRadioStatus expected;
    TRadioStatus before{};
};
void PrintTo(const DialectCase& c, std::ostream* os) {
    *os << c.name;
}

class RadioDialectTest : public ::testing::TestWithParam<DialectCase> {};

TEST_P(RadioDialectTest, ReadsWhatTheReplyGives) {
    TModemStatus status;
    status.Radio = GetParam().before;
    GetParam().parse(GetParam().lines, status);
    EXPECT_EQ(Describe(status.Radio), Describe(GetParam().expected));
}

auto CaseName = [](const auto& info) { return std::string(info.param.name); };

constexpr TAccessTech Gsm = TAccessTech::Gsm;
constexpr TAccessTech Umts = TAccessTech::Umts;
constexpr TAccessTech Lte = TAccessTech::Lte;
constexpr TAccessTech NbIot = TAccessTech::NbIot;
constexpr TAccessTech NrSa = TAccessTech::NrSa;
constexpr TAccessTech NrNsa = TAccessTech::NrNsa;

TRadioStatus Serving(TAccessTech tech, TRadioCell cell) {
    TRadioStatus r;
    r.Tech = tech;
    r.Serving = cell;
    return r;
}

// ---- 27.007 -------------------------------------------------------------------------------
// 3GPP TS 27.007 8.69 "Extended signal quality +CESQ" (Rel-8 six fields, Rel-15 nine);
// 10.1.22 "+CEREG", 10.1.23 "+C5GREG".
TRadioStatus Endc() {
    TRadioStatus r = Serving(NrNsa, {.Tech = Lte, .Rsrp = -96, .Rsrq = -10});
    r.NrLeg = TRadioCell{.Tech = NrNsa, .Rsrp = -87, .Rsrq = -3.5, .Sinr = 6.5};
    return r;
}
TRadioStatus Registered(TRadioStatus r, std::optional<int> eps, std::optional<int> nr) {
    r.EpsRegState = eps;
    r.NrRegState = nr;
    return r;
}
TRadioStatus WithAct(TRadioStatus r, int act) {
    r.Act = act;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Radio3gpp, RadioDialectTest,
    ::testing::Values(
        DialectCase{"cesq_lte_six_fields",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45"},
                    Serving(Lte, {.Tech = Lte, .Rsrp = -96, .Rsrq = -10})},
        DialectCase{"cesq_gsm",
                    ParseCesq,
                    {"+CESQ: 40,3,255,255,255,255"},
                    Serving(Gsm, {.Tech = Gsm, .Rssi = -71, .BitErrors = 3})},
        DialectCase{"cesq_umts",
                    ParseCesq,
                    {"+CESQ: 99,99,60,30,255,255"},
                    Serving(Umts, {.Tech = Umts, .Rscp = -61, .EcIo = -9.5})},
        DialectCase{"cesq_nine_fields_without_nr",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45,255,255,255"},
                    Serving(Lte, {.Tech = Lte, .Rsrp = -96, .Rsrq = -10})},
        DialectCase{
            "cesq_nine_fields_endc", ParseCesq, {"+CESQ: 99,99,255,255,20,45,80,70,60"}, Endc()},
        DialectCase{"cesq_nine_fields_endc_after_cops_lte",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45,80,70,60"},
                    WithAct(Endc(), 7),
                    WithAct(Serving(Lte, {}), 7)},
        DialectCase{"cesq_nine_fields_sa",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,255,255,80,70,60"},
                    Serving(NrSa, {.Tech = NrSa, .Rsrp = -87, .Rsrq = -3.5, .Sinr = 6.5})},
        DialectCase{"cesq_all_not_known", ParseCesq, {"+CESQ: 99,99,255,255,255,255"}, {}},
        DialectCase{"cesq_top_of_every_scale",
                    ParseCesq,
                    {"+CESQ: 63,7,96,49,34,97,127,126,127"},
                    [] {
                        TRadioStatus r = Serving(NrNsa, {.Tech = Lte,
                                                         .Rssi = -48,
                                                         .Rscp = -25,
                                                         .EcIo = 0,
                                                         .Rsrp = -44,
                                                         .Rsrq = -3,
                                                         .BitErrors = 7});
                        r.NrLeg = TRadioCell{.Tech = NrNsa, .Rsrp = -31, .Rsrq = 20, .Sinr = 40};
                        return r;
                    }()},
        DialectCase{"cesq_bottom_of_every_scale",
                    ParseCesq,
                    {"+CESQ: 0,0,0,0,0,0"},
                    Serving(Lte, {.Tech = Lte,
                                  .Rssi = -111,
                                  .Rscp = -121,
                                  .EcIo = -24.5,
                                  .Rsrp = -141,
                                  .Rsrq = -20,
                                  .BitErrors = 0})},
        DialectCase{
            "cesq_beyond_every_scale", ParseCesq, {"+CESQ: 64,8,97,50,35,98,128,127,128"}, {}},
        DialectCase{"cesq_five_fields_are_no_reply", ParseCesq, {"+CESQ: 99,99,255,255,20"}, {}},
        DialectCase{"cesq_between_unsolicited_lines_with_blanks",
                    ParseCesq,
                    {"RING", "  +CESQ: 99, 99, 255, 255, 20, 45 \r", "+CREG: 1"},
                    Serving(Lte, {.Tech = Lte, .Rsrp = -96, .Rsrq = -10})},
        DialectCase{
            "cereg_registered_with_location",
            ParseCereg,
            {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
            Registered(
                WithAct(Serving(Lte, {.Tech = Lte, .AreaCode = 0xA5B1, .CellId = 0x01A2D101}), 7),
                1, {})},
        DialectCase{"cereg_state_only", ParseCereg, {"+CEREG: 0,1"}, Registered({}, 1, {})},
        DialectCase{"cereg_searching_gives_no_location",
                    ParseCereg,
                    {"+CEREG: 2,2,\"A5B1\",\"01A2D101\",7"},
                    Registered({}, 2, {})},
        DialectCase{
            "cereg_state_out_of_range", ParseCereg, {"+CEREG: 0,9"}, Registered({}, -1, {})},
        DialectCase{
            "cereg_unsolicited_line_before_the_reply",
            ParseCereg,
            {"+CEREG: 5,\"FFFF\",\"0FFFFFFF\",7", "+CEREG: 2,5,\"00C1\",\"00000101\",7"},
            Registered(WithAct(Serving(Lte, {.Tech = Lte, .AreaCode = 0xC1, .CellId = 0x101}), 7),
                       5, {})},
        DialectCase{"cereg_keeps_what_the_serving_cell_has",
                    ParseCereg,
                    {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
                    Registered(Serving(Lte, {.Tech = Lte, .AreaCode = 1, .CellId = 2}), 1, {}),
                    Serving(Lte, {.Tech = Lte, .AreaCode = 1, .CellId = 2})},
        DialectCase{"c5greg_registered_sa",
                    ParseC5greg,
                    {"+C5GREG: 2,1,\"A5B1C2\",\"1A2D1011F\",11"},
                    Registered(WithAct(Serving(NrSa, {.Tech = NrSa,
                                                      .AreaCode = 0xA5B1C2,
                                                      .CellId = 0x1A2D1011FLL}),
                                       11),
                               {}, 1)},
        DialectCase{"c5greg_not_registered", ParseC5greg, {"+C5GREG: 0,0"}, Registered({}, {}, 0)},
        DialectCase{"c5greg_oversized_location_is_dropped",
                    ParseC5greg,
                    {"+C5GREG: 2,1,\"FFFFFFFF\",\"FFFFFFFFFFFFFFFFFFFF\",11"},
                    Registered(WithAct(Serving(NrSa, {.Tech = NrSa}), 11), {}, 1)}),
    CaseName);

TEST(RadioCopsTest, TheAccessTechnologySetsActAndTech) {
    struct Row {
        const char* line;
        std::optional<int> act;
        TAccessTech tech;
    };
    // 27.007 7.3: +COPS: <mode>[,<format>,<oper>[,<AcT>]]
    const Row rows[] = {
        {"+COPS: 0,2,\"26201\",7", 7, Lte},           {"+COPS: 0,0,\"Telekom.de\",13", 13, NrNsa},
        {"+COPS: 0,0,\"Telekom.de\",11", 11, NrSa},   {"+COPS: 0,0,\"Telekom.de\",0", 0, Gsm},
        {"+COPS: 0,0,\"Telekom.de\",2", 2, Umts},     {"+COPS: 0,1,\"TDG\",9", 9, NbIot},
        {" +COPS: 0,0,\"Telekom.de\", 7 \r", 7, Lte},
    };
    for (const Row& row : rows) {
        TModemStatus s;
        ParseOperator(row.line, s);
        EXPECT_EQ(s.Radio.Act, row.act) << row.line;
        EXPECT_EQ(s.Radio.Tech, row.tech) << row.line;
    }
    for (const char* line : {"+COPS: 0,0,\"Telekom.de\"", "+COPS: 0,0,\"Telekom.de\",x", "+COPS: 0",
                             "+COPS: 0,0,\"open,7"}) {
        TModemStatus s;
        s.Radio.Act = 9;
        s.Radio.Tech = NbIot;
        ParseOperator(line, s);
        EXPECT_EQ(s.Radio.Act, 9) << line;
        EXPECT_EQ(s.Radio.Tech, NbIot) << line;
    }
    TModemStatus s;
    ParseOperator("+COPS: 0,0,\"Telekom.de\",7", s);
    EXPECT_EQ(s.OperatorName, "Telekom.de");
    EXPECT_TRUE(s.OperatorNameValid);
}

} // namespace
} // namespace celdara
