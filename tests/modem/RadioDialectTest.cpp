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

namespace celdara {
namespace {

using TParse = std::function<void(const TReplyLines&, TModemStatus&)>;

// A cell as one line: its technology, then every value it has. Measurements print with %g,
// so -20 + 16 / 5 reads as -16.8; LAC/TAC ("area") and cell ids ("id") in hex, as most
// modems write them.
std::string Describe(const TRadioCell& c) {
    std::string out = AccessTechName(c.Tech);
    char text[64];
    auto add = [&](const char* format, auto value) {
        std::snprintf(text, sizeof text, format, value);
        out += text;
    };
    auto number = [&](const char* name, const std::optional<double>& v) {
        if (v) {
            out += std::string(" ") + name;
            add("=%g", *v);
        }
    };
    if (c.Channel)
        add(" ch=%d", *c.Channel);
    if (c.Band)
        add(" band=%d", *c.Band);
    if (c.PhysicalId)
        add(" pci=%d", *c.PhysicalId);
    if (c.AreaCode)
        add(" area=%X", *c.AreaCode);
    if (c.CellId)
        add(" id=%llX", static_cast<unsigned long long>(*c.CellId));
    if (c.Mcc || c.Mnc) {
        std::snprintf(text, sizeof text, " plmn=%d-%0*d", c.Mcc.value_or(-1),
                      c.MncDigits.value_or(1), c.Mnc.value_or(-1));
        out += text;
    }
    number("rssi", c.Rssi);
    number("rscp", c.Rscp);
    number("ecio", c.EcIo);
    number("rsrp", c.Rsrp);
    number("rsrq", c.Rsrq);
    number("sinr", c.Sinr);
    if (c.BitErrors)
        add(" ber=%d", *c.BitErrors);
    return out;
}

// "<tech>[ act=n] | <serving>[ | nr: <leg>][ | nb: <neighbour>]...[ | eps=n][ | 5gs=n]"
std::string Describe(const TRadioStatus& r) {
    std::string out = AccessTechName(r.Tech);
    if (r.Act)
        out += " act=" + std::to_string(*r.Act);
    out += " | " + Describe(r.Serving);
    if (r.NrLeg)
        out += " | nr: " + Describe(*r.NrLeg);
    for (const TRadioCell& n : r.Neighbours)
        out += " | nb: " + Describe(n);
    if (r.EpsRegState)
        out += " | eps=" + std::to_string(*r.EpsRegState);
    if (r.NrRegState)
        out += " | 5gs=" + std::to_string(*r.NrRegState);
    return out;
}

struct DialectCase {
    const char* name;
    TParse parse;
    TReplyLines lines;
    std::string expected;
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
    EXPECT_EQ(Describe(status.Radio), GetParam().expected);
}

auto CaseName = [](const auto& info) { return std::string(info.param.name); };

constexpr TAccessTech Gsm = TAccessTech::Gsm;
constexpr TAccessTech Umts = TAccessTech::Umts;
constexpr TAccessTech Lte = TAccessTech::Lte;
constexpr TAccessTech NbIot = TAccessTech::NbIot;
constexpr TAccessTech NrSa = TAccessTech::NrSa;
constexpr TAccessTech NrNsa = TAccessTech::NrNsa;

// A status a parser finds from an earlier query of the cycle.
TRadioStatus Before(TAccessTech tech, std::optional<int> act = {}) {
    TRadioStatus r;
    r.Tech = tech;
    r.Act = act;
    r.Serving.Tech = tech;
    r.Serving.Rsrp = -96;
    return r;
}

// ---- 27.007 -------------------------------------------------------------------------------
// 3GPP TS 27.007 8.69 "Extended signal quality +CESQ" (six fields; nine from Rel-15),
// 10.1.22 "+CEREG", 10.1.23 "+C5GREG".
const char* const kEndc = "5G NSA | LTE rsrp=-96 rsrq=-10 | nr: 5G NSA rsrp=-87 rsrq=-3.5 sinr=6.5";

INSTANTIATE_TEST_SUITE_P(
    Radio3gpp, RadioDialectTest,
    ::testing::Values(
        DialectCase{"cesq_lte_six_fields",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45"},
                    "LTE | LTE rsrp=-96 rsrq=-10"},
        DialectCase{
            "cesq_gsm", ParseCesq, {"+CESQ: 40,3,255,255,255,255"}, "GSM | GSM rssi=-71 ber=3"},
        DialectCase{"cesq_umts",
                    ParseCesq,
                    {"+CESQ: 99,99,60,30,255,255"},
                    "UMTS | UMTS rscp=-61 ecio=-9.5"},
        DialectCase{"cesq_nine_fields_without_nr",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45,255,255,255"},
                    "LTE | LTE rsrp=-96 rsrq=-10"},
        DialectCase{
            "cesq_nine_fields_endc", ParseCesq, {"+CESQ: 99,99,255,255,20,45,80,70,60"}, kEndc},
        DialectCase{"cesq_nine_fields_endc_after_cops_lte",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,20,45,80,70,60"},
                    "5G NSA act=7 | LTE rsrp=-96 rsrq=-10 | nr: 5G NSA rsrp=-87 rsrq=-3.5 sinr=6.5",
                    Before(Lte, 7)},
        DialectCase{"cesq_nine_fields_sa",
                    ParseCesq,
                    {"+CESQ: 99,99,255,255,255,255,80,70,60"},
                    "5G SA | 5G SA rsrp=-87 rsrq=-3.5 sinr=6.5"},
        DialectCase{"cesq_all_not_known", ParseCesq, {"+CESQ: 99,99,255,255,255,255"}, "? | ?"},
        DialectCase{"cesq_top_of_every_scale",
                    ParseCesq,
                    {"+CESQ: 63,7,96,49,34,97,127,126,127"},
                    "5G NSA | LTE rssi=-48 rscp=-25 ecio=0 rsrp=-44 rsrq=-3 ber=7 | nr: 5G NSA "
                    "rsrp=-31 rsrq=20 sinr=40"},
        DialectCase{"cesq_bottom_of_every_scale",
                    ParseCesq,
                    {"+CESQ: 0,0,0,0,0,0"},
                    "LTE | LTE rssi=-111 rscp=-121 ecio=-24.5 rsrp=-141 rsrq=-20 ber=0"},
        DialectCase{
            "cesq_beyond_every_scale", ParseCesq, {"+CESQ: 64,8,97,50,35,98,128,127,128"}, "? | ?"},
        DialectCase{
            "cesq_five_fields_are_no_reply", ParseCesq, {"+CESQ: 99,99,255,255,20"}, "? | ?"},
        DialectCase{"cesq_between_unsolicited_lines_with_blanks",
                    ParseCesq,
                    {"RING", "  +CESQ: 99, 99, 255, 255, 20, 45 \r", "+CREG: 1"},
                    "LTE | LTE rsrp=-96 rsrq=-10"},
        DialectCase{"cereg_registered_with_location",
                    ParseCereg,
                    {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
                    "LTE act=7 | LTE area=A5B1 id=1A2D101 | eps=1"},
        DialectCase{"cereg_state_only", ParseCereg, {"+CEREG: 0,1"}, "? | ? | eps=1"},
        DialectCase{"cereg_searching_gives_no_location",
                    ParseCereg,
                    {"+CEREG: 2,2,\"A5B1\",\"01A2D101\",7"},
                    "? | ? | eps=2"},
        DialectCase{"cereg_state_out_of_range", ParseCereg, {"+CEREG: 0,12"}, "? | ? | eps=-1"},
        DialectCase{"cereg_unsolicited_line_before_the_reply",
                    ParseCereg,
                    {"+CEREG: 5,\"FFFF\",\"0FFFFFFF\",7", "+CEREG: 2,5,\"00C1\",\"00000101\",7"},
                    "LTE act=7 | LTE area=C1 id=101 | eps=5"},
        DialectCase{"cereg_fills_only_what_the_serving_cell_lacks",
                    ParseCereg,
                    {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
                    "LTE | LTE area=A5B1 id=1A2D101 rsrp=-96 | eps=1",
                    Before(Lte)},
        DialectCase{"cereg_keeps_the_serving_cells_own_location",
                    ParseCereg,
                    {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
                    "LTE | LTE area=1 id=2 rsrp=-96 | eps=1",
                    [] {
                        TRadioStatus r = Before(Lte);
                        r.Serving.AreaCode = 1;
                        r.Serving.CellId = 2;
                        return r;
                    }()},
        DialectCase{"cereg_not_into_a_umts_cell",
                    ParseCereg,
                    {"+CEREG: 2,1,\"A5B1\",\"01A2D101\",7"},
                    "UMTS | UMTS rsrp=-96 | eps=1",
                    Before(Umts)},
        DialectCase{"c5greg_registered_sa",
                    ParseC5greg,
                    {"+C5GREG: 2,1,\"A5B1C2\",\"1A2D1011F\",11"},
                    "5G SA act=11 | 5G SA area=A5B1C2 id=1A2D1011F | 5gs=1"},
        DialectCase{"c5greg_not_registered", ParseC5greg, {"+C5GREG: 0,0"}, "? | ? | 5gs=0"},
        DialectCase{"c5greg_oversized_location_is_dropped",
                    ParseC5greg,
                    {"+C5GREG: 2,1,\"FFFFFFFF\",\"FFFFFFFFFFFFFFFFFFFF\",11"},
                    "5G SA act=11 | 5G SA | 5gs=1"}),
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

// ---- Quectel ------------------------------------------------------------------------------
// Quectel EC2x&EG9x&EM05 QENG AT Commands Manual and RM500Q AT Commands Manual, "AT+QENG
// Switch on/off Engineering Mode": +QENG: "servingcell",<state>,"LTE"|"WCDMA"|"GSM"|
// "NR5G-SA",...; on EN-DC three lines; +QENG: "neighbourcell ...".
TParse QuectelServing(const char* model) {
    const TQuectelQuirks quirks = QuectelQuirksFor(model);
    return [quirks](const TReplyLines& l, TModemStatus& s) { ParseQuectelServing(l, s, quirks); };
}
TParse QuectelNeighbours(const char* model) {
    const TQuectelQuirks quirks = QuectelQuirksFor(model);
    return
        [quirks](const TReplyLines& l, TModemStatus& s) { ParseQuectelNeighbours(l, s, quirks); };
}
const char* const kQuectelLteLine = "+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",262,01,"
                                    "1A2D101,123,6300,20,3,3,A5B1,-95,-11,-65,140,10,-32768,47";
const char* const kQuectelLte = "LTE | LTE ch=6300 band=20 pci=123 area=A5B1 id=1A2D101 "
                                "plmn=262-01 rssi=-65 rsrp=-95 rsrq=-11 sinr=8";
const char* const kQuectelNsaLte = "+QENG: \"LTE\",\"FDD\",262,01,1A2D101,123,1300,3,5,5,A5B1,"
                                   "-92,-10,-63,14,9,-32768,40";
const char* const kQuectelNsaAnchor = "5G NSA | LTE ch=1300 band=3 pci=123 area=A5B1 id=1A2D101 "
                                      "plmn=262-01 rssi=-63 rsrp=-92 rsrq=-10 sinr=14";
const char* const kQuectelWcdmaNeighbour =
    "+QENG: \"neighbourcell\",\"WCDMA\",10688,0,4,2,286,-88,-9,22";

std::string Repeated(const std::string& part, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i)
        all += part;
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    RadioQuectel, RadioDialectTest,
    ::testing::Values(
        DialectCase{"lte_sinr_in_fifths", QuectelServing("EG25"), {kQuectelLteLine}, kQuectelLte},
        DialectCase{"lte_between_unsolicited_lines",
                    QuectelServing("EC25"),
                    {"RING", std::string("  ") + kQuectelLteLine + " ", "+CREG: 1"},
                    kQuectelLte},
        DialectCase{"bg96_emtc_in_the_ec2x_layout",
                    QuectelServing("BG96"),
                    {"+QENG: \"servingcell\",\"NOCONN\",\"eMTC\",\"FDD\",262,01,1A2D101,123,6300,"
                     "20,3,3,A5B1,-95,-11,-65,140,-"},
                    kQuectelLte},
        DialectCase{"lte_no_value_marks",
                    QuectelServing("EG25"),
                    {"+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",262,01,1A2D101,123,6300,"
                     "20,3,3,A5B1,-,-,-32768,-,-,-,-"},
                    "LTE | LTE ch=6300 band=20 pci=123 area=A5B1 id=1A2D101 plmn=262-01"},
        DialectCase{"wcdma",
                    QuectelServing("EG25"),
                    {"+QENG: \"servingcell\",\"NOCONN\",\"WCDMA\",262,01,A5B1,2F0C1A3,10688,286,"
                     "0,-85,-7,-,-,-,-,-"},
                    "UMTS | UMTS ch=10688 pci=286 area=A5B1 id=2F0C1A3 plmn=262-01 rscp=-85 "
                    "ecio=-7"},
        DialectCase{"gsm",
                    QuectelServing("EG25"),
                    {"+QENG: \"servingcell\",\"NOCONN\",\"GSM\",262,01,A5B1,3C4D,27,71,0,-72,"
                     "255,255,0,34,34,1,-,-,-,-,-,-,-,-,-,-"},
                    "GSM | GSM ch=71 band=900 pci=27 area=A5B1 id=3C4D plmn=262-01 rssi=-72"},
        DialectCase{"nr5g_sa_with_a_36_bit_cell_id",
                    QuectelServing("RM500Q-GL"),
                    {"+QENG: \"servingcell\",\"NOCONN\",\"NR5G-SA\",\"TDD\",262,01,FA2D1011F,"
                     "301,A5B1C2,643296,78,12,-86,-11,15,1,-"},
                    "5G SA | 5G SA ch=643296 band=78 pci=301 area=A5B1C2 id=FA2D1011F "
                    "plmn=262-01 rsrp=-86 rsrq=-11 sinr=15"},
        DialectCase{"nr5g_nsa_three_lines",
                    QuectelServing("RM500Q-GL"),
                    {"+QENG: \"servingcell\",\"NOCONN\"", kQuectelNsaLte,
                     "+QENG: \"NR5G-NSA\",262,01,501,-88,18,-11,643296,78"},
                    std::string(kQuectelNsaAnchor) + " | nr: 5G NSA ch=643296 band=78 pci=501 "
                                                     "plmn=262-01 rsrp=-88 rsrq=-11 sinr=18"},
        DialectCase{"nr5g_nsa_leg_without_measurements",
                    QuectelServing("RM500Q-GL"),
                    {"+QENG: \"servingcell\",\"NOCONN\"", kQuectelNsaLte,
                     "+QENG: \"NR5G-NSA\",262,01,501,-32768,-32768,-32768,643296,78"},
                    std::string(kQuectelNsaAnchor) +
                        " | nr: 5G NSA ch=643296 band=78 pci=501 plmn=262-01"},
        DialectCase{"searching_tells_nothing",
                    QuectelServing("EG25"),
                    {"+QENG: \"servingcell\",\"SEARCH\""},
                    "LTE | LTE rsrp=-96",
                    Before(Lte)},
        DialectCase{"an_other_technology_replaces_the_serving_cell",
                    QuectelServing("EG25"),
                    {kQuectelLteLine},
                    kQuectelLte,
                    Before(Umts)},
        DialectCase{
            "neighbours_lte_wcdma_gsm",
            QuectelNeighbours("RM500Q"),
            {"+QENG: \"neighbourcell intra\",\"LTE\",6300,124,-14,-104,-73,2,22,3,62,10,62", "RING",
             "+QENG: \"neighbourcell inter\",\"LTE\",1300,55,-12,-99,-70,-,30,5,8,8",
             kQuectelWcdmaNeighbour, "+QENG: \"neighbourcell\",\"GSM\",71,0,4,2,1,0,27,-80,20"},
            "? | ? | nb: LTE ch=6300 pci=124 rssi=-73 rsrp=-104 rsrq=-14 sinr=2 | nb: LTE "
            "ch=1300 pci=55 rssi=-70 rsrp=-99 rsrq=-12 | nb: UMTS ch=10688 pci=286 "
            "rscp=-88 ecio=-9 | nb: GSM ch=71 band=900 pci=27 rssi=-80"},
        DialectCase{"neighbours_are_bounded", QuectelNeighbours("RM500Q"),
                    TReplyLines(kMaxRadioNeighbours + 4, kQuectelWcdmaNeighbour),
                    "? | ?" + Repeated(" | nb: UMTS ch=10688 pci=286 rscp=-88 ecio=-9",
                                       kMaxRadioNeighbours)}),
    CaseName);

// ---- SIMCom -------------------------------------------------------------------------------
// SIM7500_SIM7600 Series AT Command Manual and SIM8200 Series AT Command Manual, "AT+CPSI
// Inquiring UE system information". Cell ids are decimal there and print in hex here.
TParse SimcomCpsi(const char* model) {
    const TSimcomQuirks quirks = SimcomQuirksFor(model);
    return [quirks](const TReplyLines& l, TModemStatus& s) { ParseSimcomCpsi(l, s, quirks); };
}
const char* const kSimcomLteLine =
    "+CPSI: LTE,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,5,5,-110,-950,-650,16";
const char* const kSimcomLteCell = "LTE ch=6300 band=20 pci=123 area=A5B1 id=1A21101 plmn=262-01 "
                                   "rssi=-65 rsrp=-95 rsrq=-11 sinr=16";
const char* const kSimcomGsm = "GSM | GSM ch=27 band=900 area=A5B1 id=3C4D plmn=262-01 rssi=-72";

INSTANTIATE_TEST_SUITE_P(
    RadioSimcom, RadioDialectTest,
    ::testing::Values(
        DialectCase{"no_service_empties_the_serving_cell",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CPSI: NO SERVICE,Online"},
                    "? | ?",
                    Before(Lte)},
        DialectCase{"gsm",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CPSI: GSM,Online,262-01,0xA5B1,15437,27 EGSM900,-72,0,34-34"},
                    kSimcomGsm},
        DialectCase{"gsm_cell_id_written_in_hex",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CPSI: GSM,Online,262-01,0xA5B1,0x3C4D,27 EGSM900,-72,0,34-34"},
                    kSimcomGsm},
        DialectCase{"wcdma",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CPSI: WCDMA,Online,262-01,0xA5B1,49332643,WCDMA IMT 2000,286,10688,0,"
                     "-7.5,-85,22,52,0"},
                    "UMTS | UMTS ch=10688 band=1 pci=286 area=A5B1 id=2F0C1A3 plmn=262-01 "
                    "rscp=-85 ecio=-7.5"},
        DialectCase{"wcdma_levels_written_as_magnitudes",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CPSI: WCDMA,Online,262-01,0xA5B1,49332643,WCDMA 900,286,2950,0,1.5,62,33,"
                     "52,500"},
                    "UMTS | UMTS ch=2950 band=8 pci=286 area=A5B1 id=2F0C1A3 plmn=262-01 rscp=-62 "
                    "ecio=-1.5"},
        DialectCase{"lte_in_tenths",
                    SimcomCpsi("SIM7600E-H"),
                    {kSimcomLteLine},
                    std::string("LTE | ") + kSimcomLteCell},
        DialectCase{"lte_cat_m1_in_whole_units",
                    SimcomCpsi("SIM7000G"),
                    {"+CPSI: LTE CAT-M1,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,0,"
                     "0,-11,-95,-65,16"},
                    std::string("LTE | ") + kSimcomLteCell},
        DialectCase{"nb_iot",
                    SimcomCpsi("SIM7080G"),
                    {"+CPSI: LTE NB-IOT,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,0,0,"
                     "-11,-95,-65,16"},
                    "NB-IoT | NB-IoT ch=6300 band=20 pci=123 area=A5B1 id=1A21101 plmn=262-01 "
                    "rssi=-65 rsrp=-95 rsrq=-11 sinr=16"},
        DialectCase{"nr5g_nsa_second_line",
                    SimcomCpsi("SIM8200EA-M2"),
                    {kSimcomLteLine, "+CPSI: NR5G_NSA,501,NR5G_BAND78,643296,-880,-110,180"},
                    std::string("5G NSA | ") + kSimcomLteCell +
                        " | nr: 5G NSA ch=643296 band=78 pci=501 rsrp=-88 rsrq=-11 sinr=18"},
        DialectCase{"nr5g_sa_with_a_decimal_36_bit_cell_id",
                    SimcomCpsi("SIM8200EA-M2"),
                    {"+CPSI: NR5G_SA,Online,262-01,0xA5B1C2,7038521631,301,NR5G_BAND78,643296,"
                     "-860,-110,150"},
                    "5G SA | 5G SA ch=643296 band=78 pci=301 area=A5B1C2 id=1A387511F "
                    "plmn=262-01 rsrp=-86 rsrq=-11 sinr=15"},
        DialectCase{"missing_and_garbled_fields",
                    SimcomCpsi("SIM7600E-H"),
                    {"+CREG: 1", "+CPSI: LTE,Online,26-01,0xZZ,99999999999999999999,,EUTRAN,x"},
                    "LTE | LTE"}),
    CaseName);

// ---- Huawei -------------------------------------------------------------------------------
// HUAWEI ME909s Series LTE Module AT Command Interface manual, "^HCSQ" and "^SYSINFOEX".
INSTANTIATE_TEST_SUITE_P(
    RadioHuawei, RadioDialectTest,
    ::testing::Values(
        DialectCase{"hcsq_lte",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"LTE\",52,45,126,20"},
                    "LTE | LTE rssi=-69 rsrp=-96 rsrq=-10 sinr=5"},
        DialectCase{"hcsq_lte_top_of_the_scales",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"LTE\",96,97,251,34"},
                    "LTE | LTE rssi=-25 rsrp=-44 rsrq=-3 sinr=30"},
        DialectCase{"hcsq_lte_unknown_255",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"LTE\",255,255,255,255"},
                    "LTE | LTE"},
        DialectCase{"hcsq_wcdma",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"WCDMA\",30,36,50"},
                    "UMTS | UMTS rssi=-91 rscp=-85 ecio=-7.5"},
        DialectCase{"hcsq_wcdma_ecio_lowest_step",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"WCDMA\",30,36,1"},
                    "UMTS | UMTS rssi=-91 rscp=-85 ecio=-32"},
        DialectCase{"hcsq_wcdma_ecio_top",
                    ParseHuaweiHcsq,
                    {"^HCSQ: \"WCDMA\",30,36,65"},
                    "UMTS | UMTS rssi=-91 rscp=-85 ecio=0"},
        DialectCase{"hcsq_gsm", ParseHuaweiHcsq, {"^HCSQ: \"GSM\",50"}, "GSM | GSM rssi=-71"},
        DialectCase{
            "hcsq_no_service", ParseHuaweiHcsq, {"^HCSQ: \"NOSERVICE\""}, "? | ?", Before(Lte)},
        DialectCase{"sysinfoex_lte",
                    ParseHuaweiSysinfoex,
                    {"^SYSINFOEX: 2,3,0,1,,6,\"LTE\",101,\"LTE\""},
                    "LTE | LTE rsrp=-96",
                    Before(Lte)},
        DialectCase{"sysinfoex_wcdma",
                    ParseHuaweiSysinfoex,
                    {"^SYSINFOEX: 2,3,0,1,,3,\"WCDMA\",41,\"HSPA+\""},
                    "UMTS | UMTS",
                    Before(Lte)},
        DialectCase{"sysinfoex_no_service",
                    ParseHuaweiSysinfoex,
                    {"^SYSINFOEX: 0,0,0,1,,0,\"NO SERVICE\",0,\"NO SERVICE\""},
                    "? | ?",
                    Before(Lte)}),
    CaseName);

// ---- Cinterion ----------------------------------------------------------------------------
// Cinterion ELS61 / PLS62 AT Command Set, "AT^SMONI" and "AT^SMONP".
INSTANTIATE_TEST_SUITE_P(
    RadioCinterion, RadioDialectTest,
    ::testing::Values(
        DialectCase{"smoni_2g",
                    ParseCinterionSmoni,
                    {"^SMONI: 2G,71,-61,262,01,A5B1,3C4D,33,33,3,6,G,NOCONN"},
                    "GSM | GSM ch=71 band=900 pci=30 area=A5B1 id=3C4D plmn=262-01 rssi=-61"},
        DialectCase{"smoni_3g",
                    ParseCinterionSmoni,
                    {"^SMONI: 3G,10688,286,-7.5,-85,262,01,A5B1,2F0C1A3,22,29,NOCONN"},
                    "UMTS | UMTS ch=10688 pci=286 area=A5B1 id=2F0C1A3 plmn=262-01 rscp=-85 "
                    "ecio=-7.5"},
        DialectCase{"smoni_4g",
                    ParseCinterionSmoni,
                    {"^SMONI: 4G,6300,20,10,10,FDD,262,01,A5B1,1A2D101,123,33,-95,-11.0,NOCONN"},
                    "LTE | LTE ch=6300 band=20 pci=123 area=A5B1 id=1A2D101 plmn=262-01 rsrp=-95 "
                    "rsrq=-11"},
        DialectCase{"smoni_4g_no_value_marks",
                    ParseCinterionSmoni,
                    {"^SMONI: 4G,6300,20,10,10,FDD,262,01,A5B1,1A2D101,123,--,---,-,CONN"},
                    "LTE | LTE ch=6300 band=20 pci=123 area=A5B1 id=1A2D101 plmn=262-01"},
        DialectCase{
            "smoni_searching", ParseCinterionSmoni, {"^SMONI: 4G,SEARCH"}, "? | ?", Before(Lte)},
        DialectCase{"smonp_sections",
                    ParseCinterionSmonp,
                    {"2G:", "71,43,-68,262,01,3,6,30,30,A5B1,3C4D",
                     "3G:", "10688,286,-7.5,-85,22,29,SN,-32767", "RING",
                     "4G:", "6300,-11.0,-95,33,124,A5B1", "+CREG: 1", "1300,-12.5,---,20,55,A5B1"},
                    "? | ? | nb: GSM ch=71 band=900 pci=30 area=A5B1 id=3C4D plmn=262-01 "
                    "rssi=-68 | nb: UMTS ch=10688 pci=286 rscp=-85 ecio=-7.5 | nb: LTE ch=6300 "
                    "pci=124 area=A5B1 rsrp=-95 rsrq=-11 | nb: LTE ch=1300 pci=55 area=A5B1 "
                    "rsrq=-12.5"},
        DialectCase{"smonp_rows_before_a_heading_are_not_read",
                    ParseCinterionSmonp,
                    {"6300,-11.0,-95,33,124,A5B1", "4G: 1300,-12.5,-99,20,55,A5B1"},
                    "? | ? | nb: LTE ch=1300 pci=55 area=A5B1 rsrp=-99 rsrq=-12.5"}),
    CaseName);

// ---- Sierra Wireless ----------------------------------------------------------------------
// AirPrime EM74xx/MC74xx AT Command Reference, "!GSTATUS".
TReplyLines SierraLte(const char* sinr) {
    return {"!GSTATUS: ",
            "Current Time:  4946\t\tTemperature: 37",
            "System mode:   LTE        \tPS state:    Attached",
            "LTE band:      B20     \t\tLTE bw:      10 MHz",
            "LTE Rx chan:   6300\t\tLTE Tx chan: 24300",
            "PCC RxM RSSI:  -65\t\tRSRP (dBm):  -95",
            "PCC RxD RSSI:  -67\t\tRSRP (dBm):  -97",
            "Tx Power:      0\t\tTAC:         A5B1 (42417)",
            "RSRQ (dB):     -11.0\t\tCell ID:     01A2D101 (27447553)",
            std::string("SINR (dB):      ") + sinr};
}
const char* const kSierraLte =
    "LTE | LTE ch=6300 band=20 area=A5B1 id=1A2D101 rssi=-65 rsrp=-95 rsrq=-11";

INSTANTIATE_TEST_SUITE_P(
    RadioSierra, RadioDialectTest,
    ::testing::Values(
        DialectCase{"lte_main_antenna", ParseSierraGstatus, SierraLte("8.0"),
                    std::string(kSierraLte) + " sinr=8"},
        DialectCase{"lte_no_value_mark", ParseSierraGstatus, SierraLte("---"), kSierraLte},
        DialectCase{"pairs_parted_by_blanks",
                    ParseSierraGstatus,
                    {"System mode:   LTE           PS state:    Attached",
                     "PCC RxM RSSI:  -65           RSRP (dBm):  -95"},
                    "LTE | LTE rssi=-65 rsrp=-95"},
        DialectCase{"wcdma",
                    ParseSierraGstatus,
                    {"System mode:   WCDMA      \tPS state:    Attached",
                     "WCDMA band:    WCDMA 2100", "WCDMA channel: 10688",
                     "WCDMA L1 state:L1M_PCH_SLEEP\tLAC:         A5B1 (42417)",
                     "RRC state:     DISCONNECTED\tCell ID:     02F0C1A3 (49332643)"},
                    "UMTS | UMTS ch=10688 area=A5B1 id=2F0C1A3"},
        DialectCase{
            "no_system_mode", ParseSierraGstatus, {"!GSTATUS: ", "Temperature: 37"}, "? | ?"}),
    CaseName);

// ---- Telit --------------------------------------------------------------------------------
// Telit LE910Cx AT Commands Reference Guide, "#RFSTS - Read Current Network Status".
const char* const kTelitLte =
    "LTE | LTE ch=6300 band=20 area=A5B1 id=1A2D101 plmn=262-01 rssi=-65 rsrp=-95 rsrq=-11";

INSTANTIATE_TEST_SUITE_P(
    RadioTelit, RadioDialectTest,
    ::testing::Values(
        DialectCase{"lte_with_sinr",
                    ParseTelitRfsts,
                    {"#RFSTS: \"262 01\",6300,-95,-65,-11,A5B1,FF,,128,19,0,1A2D101,"
                     "\"262011234567890\",\"Telekom.de\",3,20,720,3240,90"},
                    std::string(kTelitLte) + " sinr=-2"},
        DialectCase{"lte_without_timers_and_sinr",
                    ParseTelitRfsts,
                    {"#RFSTS: \"262 01\",6300,-95,-65,-11,A5B1,FF,,128,19,0,1A2D101,"
                     "\"262011234567890\",\"Telekom.de\",3,20"},
                    kTelitLte},
        DialectCase{"wcdma_as_long_as_lte",
                    ParseTelitRfsts,
                    {"#RFSTS: \"262 01\",10688,286,-7.5,-85,-78,A5B1,FF,-10,128,19,0,0,0,"
                     "2F0C1A3,\"262011234567890\",\"Telekom.de\",3,0"},
                    "UMTS | UMTS ch=10688 pci=286 area=A5B1 id=2F0C1A3 plmn=262-01 rscp=-85 "
                    "ecio=-7.5"},
        DialectCase{"gsm",
                    ParseTelitRfsts,
                    {"#RFSTS: \"262 01\",27,-72,A5B1,FF,0,19,0,1,3C4D,\"262011234567890\","
                     "\"Telekom.de\",3,3"},
                    "GSM | GSM ch=27 band=900 area=A5B1 id=3C4D plmn=262-01 rssi=-72"},
        DialectCase{"empty_fields_are_no_value",
                    ParseTelitRfsts,
                    {"#RFSTS: \"262 01\",6300,,,,A5B1,FF,,128,19,0,1A2D101,"
                     "\"262011234567890\",\"Telekom.de\",3,20,720,3240,255"},
                    "LTE | LTE ch=6300 band=20 area=A5B1 id=1A2D101 plmn=262-01"},
        DialectCase{"unknown_layout", ParseTelitRfsts, {"#RFSTS: \"262 01\",6300,-95"}, "? | ?"}),
    CaseName);

// The quirk table of DialectQuectel.cpp row by row, and what each row does to one reply:
// an LTE line with SINR 16 and a positive RSSI 65.
TEST(RadioQuectelQuirks, EveryModelRowReadsTheSinrAndRssiItsWay) {
    struct Row {
        const char* model;
        bool fifths;
        bool negated;
        double sinr;
        double rssi;
    };
    const Row rows[] = {
        {"EC25", true, false, -16.8, 65},    {"EG25-G", true, false, -16.8, 65},
        {"EG95", true, false, -16.8, 65},    {"EM05", true, false, -16.8, 65},
        {"EM06-E", true, false, -16.8, 65},  {"EP06", true, false, -16.8, 65},
        {"BG96", true, false, -16.8, 65},    {" ec21 ", true, false, -16.8, 65},
        {"RM500Q-GL", false, true, 16, -65}, {"RG502Q-EA", false, true, 16, -65},
        {"EG12", false, false, 16, 65},      {"", false, false, 16, 65},
    };
    for (const Row& row : rows) {
        const TQuectelQuirks quirks = QuectelQuirksFor(row.model);
        EXPECT_EQ(quirks.LteSinrInFifths, row.fifths) << row.model;
        EXPECT_EQ(quirks.PositiveLteRssiNegated, row.negated) << row.model;
        TModemStatus s;
        ParseQuectelServing({"+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",262,01,1A2D101,"
                             "123,6300,20,3,3,A5B1,-95,-11,65,16,10,-32768,47"},
                            s, quirks);
        ASSERT_TRUE(s.Radio.Serving.Sinr && s.Radio.Serving.Rssi) << row.model;
        EXPECT_NEAR(*s.Radio.Serving.Sinr, row.sinr, 1e-9) << row.model;
        EXPECT_NEAR(*s.Radio.Serving.Rssi, row.rssi, 1e-9) << row.model;
    }
    // Fifths beyond 0..250 are no value.
    TModemStatus s;
    ParseQuectelServing({"+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",262,01,1A2D101,123,"
                         "6300,20,3,3,A5B1,-95,-11,-65,251,10,-32768,47"},
                        s, QuectelQuirksFor("EG25"));
    EXPECT_EQ(s.Radio.Serving.Sinr, std::nullopt);
}

TEST(RadioSimcomQuirks, EveryModelRowTellsTenthsFromWholeUnits) {
    const struct {
        const char* model;
        bool tenths;
    } rows[] = {{"SIM7000G", false},  {"SIM7080G", false}, {"SIM7500SA", true},
                {"SIM7600E-H", true}, {"sim7600g", true},  {"SIM8200EA-M2", true},
                {"A7670E", true}};
    for (const auto& row : rows) {
        const TSimcomQuirks quirks = SimcomQuirksFor(row.model);
        EXPECT_EQ(quirks.LteInTenths, row.tenths) << row.model;
        TModemStatus s;
        ParseSimcomCpsi({kSimcomLteLine}, s, quirks);
        ASSERT_TRUE(s.Radio.Serving.Rsrp) << row.model;
        EXPECT_DOUBLE_EQ(*s.Radio.Serving.Rsrp, row.tenths ? -95 : -950) << row.model;
    }
}

// ---- The queries by +CGMI / +CGMM ---------------------------------------------------------
TEST(RadioQueriesTest, TheStandardOnesFirstThenTheVendors) {
    const std::vector<std::string> standard = {"AT+CESQ\r", "AT+CEREG?\r", "AT+CGREG?\r",
                                               "AT+C5GREG?\r"};
    auto with = [&](std::vector<std::string> vendor) {
        std::vector<std::string> all = standard;
        all.insert(all.end(), vendor.begin(), vendor.end());
        return all;
    };
    const struct {
        const char* manufacturer;
        const char* model;
        std::vector<std::string> commands;
    } rows[] = {
        {"Quectel", "EG25",
         with({"AT+QENG=\"servingcell\"\r", "AT+QENG=\"neighbourcell\"\r", "AT+QCAINFO\r"})},
        {"", "Quectel RM500Q",
         with({"AT+QENG=\"servingcell\"\r", "AT+QENG=\"neighbourcell\"\r", "AT+QCAINFO\r"})},
        {"SIMCOM INCORPORATED", "SIMCOM_SIM7600E-H", with({"AT+CPSI?\r"})},
        {"HUAWEI", "ME909s-120", with({"AT^SYSINFOEX\r", "AT^HCSQ?\r"})},
        {"Cinterion", "ELS61-E", with({"AT^SMONI\r", "AT^SMONP\r"})},
        {"THALES", "PLS62-W", with({"AT^SMONI\r", "AT^SMONP\r"})},
        {"Gemalto M2M GmbH", "PLS8-E", with({"AT^SMONI\r", "AT^SMONP\r"})},
        {"Sierra Wireless, Incorporated", "EM7455", with({"AT!GSTATUS?\r"})},
        {"Telit", "LE910C4-EU", with({"AT#RFSTS?\r"})},
        {"ZTE CORPORATION", "ME3630", standard},
        {"", "", standard},
    };
    for (const auto& row : rows) {
        std::vector<std::string> commands;
        for (const TRadioQuery& query : RadioQueriesFor(row.manufacturer, row.model)) {
            commands.push_back(query.Command);
            EXPECT_TRUE(query.Parse) << query.Command;
        }
        EXPECT_EQ(commands, row.commands) << row.manufacturer << " / " << row.model;
    }
}

TEST(RadioQueriesTest, TheBoundParsersKeepTheModelsQuirks) {
    const TReplyLines reply = {kQuectelLteLine};
    TModemStatus fifths;
    // The vendor's first query behind the four standard ones.
    RadioQueriesFor("Quectel", "EG25")[4].Parse(reply, fifths);
    TModemStatus decibels;
    RadioQueriesFor("Quectel", "RM500Q-GL")[4].Parse(reply, decibels);
    EXPECT_EQ(fifths.Radio.Serving.Sinr, 8);
    EXPECT_EQ(decibels.Radio.Serving.Sinr, 140);

    TModemStatus whole;
    RadioQueriesFor("SIMCOM INCORPORATED", "SIM7000G")[4].Parse({kSimcomLteLine}, whole);
    EXPECT_EQ(whole.Radio.Serving.Rsrp, -950);
}

// A reply as the serial line delivers it: in pieces of any size, framed into lines by
// TLineFraming. The lines, trimmed, without the empty ones and the final OK, must read as the
// whole reply does.
TEST(RadioPiecesTest, ARepliesCutIntoPiecesByTheSerialLineReadsAsTheWhole) {
    const TReplyLines reply = {
        "+QENG: \"servingcell\",\"NOCONN\"",
        "+QENG: \"LTE\",\"FDD\",262,01,1A2D101,123,1300,3,5,5,A5B1,-92,-10,-63,14,9,-32768,40",
        "+QENG: \"NR5G-NSA\",262,01,501,-88,18,-11,643296,78"};
    std::string bytes;
    for (const std::string& line : reply)
        bytes += "\r\n" + line;
    bytes += "\r\n\r\nOK\r\n";
    const TQuectelQuirks quirks = QuectelQuirksFor("RM500Q");
    TModemStatus whole;
    ParseQuectelServing(reply, whole, quirks);

    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::mt19937 rng(seed);
        TLineFraming framing;
        std::string buffer;
        TReplyLines lines;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 9)(rng);
            buffer += bytes.substr(at, n);
            at += n;
            for (TLineFraming::TClaim claim; (claim = framing.Next(buffer)).Length != 0;) {
                const std::string line(Trim(buffer.substr(0, claim.Length)));
                buffer.erase(0, claim.Length);
                if (!line.empty() && line != "OK")
                    lines.push_back(line);
            }
        }
        TModemStatus pieces;
        ParseQuectelServing(lines, pieces, quirks);
        EXPECT_EQ(lines, reply) << "seed " << seed;
        EXPECT_EQ(Describe(pieces.Radio), Describe(whole.Radio)) << "seed " << seed;
    }
    EXPECT_EQ(whole.Radio.Tech, NrNsa);
}

} // namespace
} // namespace celdara
