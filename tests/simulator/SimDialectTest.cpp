// The dialects' replies: the layouts of the vendors' manuals field by field, their "no
// value" marks and firmware habits, and every vendor's numbers agreeing with 27.007's for
// the same moment of the same world.
#include "SimHarness.h"

#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <set>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;

TSimModemOptions DialectOptions(const char* dialect, const char* model,
                                std::vector<TSimRadioPhase> phases, std::uint64_t seed = 7) {
    TSimModemOptions o = QuietOptions(seed);
    o.Echo = false;
    o.Dialect = dialect;
    o.Model = model;
    o.Phases = std::move(phases);
    return o;
}

// The information lines of a reply, without its final result code.
Lines Info(SimHarness& h, const std::string& command) {
    Lines lines = h.Command(command + "\r");
    EXPECT_FALSE(lines.empty()) << command;
    if (!lines.empty() && lines.back() == "OK")
        lines.pop_back();
    return lines;
}

// The fields after the "+NAME: " prefix (or the whole line without one), split at commas.
std::vector<std::string> Fields(const std::string& line) {
    std::string rest = line;
    if (auto colon = line.find(": "); colon != std::string::npos && line.find(':') == colon)
        rest = line.substr(colon + 2);
    std::vector<std::string> fields(1);
    for (char c : rest) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

double Number(const std::string& field) {
    return std::stod(field);
}

// The layouts, as the manuals write them. Each pattern is also held against an example line,
// so that a pattern cannot drift from the layout it stands for: the manual's own where it
// gives one, else one written field by field from the manual's parameter list.
struct Layout {
    const char* pattern;
    const char* example;
};

// Quectel EC2x&EG9x&EG2x-G&EM05 Series AT Commands Manual, AT+QENG="servingcell".
constexpr Layout kQuectelLte = {
    R"(\+QENG: "servingcell","NOCONN","LTE","FDD",\d{3},\d\d,[0-9A-F]{1,7},\d{1,3},\d+,\d+,[0-5],[0-5],[0-9A-F]{1,4},-\d+,-\d+,-\d+,-?\d+,\d+,-32768,-?\d+)",
    R"(+QENG: "servingcell","NOCONN","LTE","FDD",262,01,1A2D101,123,6300,20,3,3,A5B1,-95,-11,-65,16,10,-32768,47)"};
constexpr Layout kQuectelWcdma = {
    R"(\+QENG: "servingcell","NOCONN","WCDMA",\d{3},\d\d,[0-9A-F]{1,4},[0-9A-F]{1,7},\d+,\d{1,3},0,-\d+,-?\d+,-,-,-,-,-)",
    R"(+QENG: "servingcell","NOCONN","WCDMA",262,01,A5B1,2F0C1A3,10688,286,0,-85,-7,-,-,-,-,-)"};
constexpr Layout kQuectelGsm = {
    R"(\+QENG: "servingcell","NOCONN","GSM",\d{3},\d\d,[0-9A-F]{1,4},[0-9A-F]{1,4},\d+,\d+,0,-\d+,255,255,0,-?\d+,-?\d+,1(,-){10})",
    R"(+QENG: "servingcell","NOCONN","GSM",262,01,A5B1,3C4D,27,71,0,-72,255,255,0,34,34,1,-,-,-,-,-,-,-,-,-,-)"};
constexpr Layout kQuectelNrSa = {
    R"(\+QENG: "servingcell","NOCONN","NR5G-SA","[TF]DD",\d{3},\d\d,[0-9A-F]{1,9},\d{1,4},[0-9A-F]{1,6},\d{6},\d+,\d+,-\d+,-\d+,-?\d+,[01],-)",
    R"(+QENG: "servingcell","NOCONN","NR5G-SA","TDD",262,01,1A2D1011F,301,A5B1C2,643296,78,12,-86,-11,15,1,-)"};
// Quectel RG50xQ&RM5xxQ Series AT Commands Manual, AT+QENG="servingcell" on EN-DC.
constexpr Layout kQuectelNsaHead = {R"(\+QENG: "servingcell","NOCONN")",
                                    R"(+QENG: "servingcell","NOCONN")"};
constexpr Layout kQuectelNsaLte = {
    R"(\+QENG: "LTE","FDD",\d{3},\d\d,[0-9A-F]{1,7},\d{1,3},\d+,3,[0-5],[0-5],[0-9A-F]{1,4},-\d+,-\d+,-\d+,-?\d+,\d+,-32768,-?\d+)",
    R"(+QENG: "LTE","FDD",262,01,1A2D101,123,1300,3,5,5,A5B1,-92,-10,-63,14,9,-32768,40)"};
constexpr Layout kQuectelNsaNr = {
    R"(\+QENG: "NR5G-NSA",\d{3},\d\d,\d{1,4},-\d+,-?\d+,-\d+,\d{6},78)",
    R"(+QENG: "NR5G-NSA",262,01,501,-88,18,-11,643296,78)"};
// SIM7500_SIM7600 Series AT Command Manual, AT+CPSI; SIM8200 Series AT Command Manual, AT+CPSI.
constexpr Layout kSimcomLte = {
    R"(\+CPSI: LTE,Online,\d{3}-\d\d,0x[0-9A-F]{4},\d+,\d{1,3},EUTRAN-BAND\d+,\d+,[0-5],[0-5],-\d+,-\d+,-\d+,-?\d+)",
    R"(+CPSI: LTE,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,5,5,-110,-950,-650,16)"};
constexpr Layout kSimcomWcdma = {
    R"(\+CPSI: WCDMA,Online,\d{3}-\d\d,0x[0-9A-F]{4},\d+,WCDMA (IMT 2000|900),\d+,\d{1,3},0,-\d+,-?\d+,-?\d+,0,0)",
    R"(+CPSI: WCDMA,Online,262-01,0xA5B1,49332643,WCDMA IMT 2000,10688,286,0,-85,-7,22,0,0)"};
constexpr Layout kSimcomGsm = {
    R"(\+CPSI: GSM,Online,\d{3}-\d\d,0x[0-9A-F]{4},\d+,\d+ (EGSM900|DCS1800),-\d+,0,-?\d+--?\d+)",
    R"(+CPSI: GSM,Online,262-01,0xA5B1,15437,27 EGSM900,-72,0,34-34)"};
constexpr Layout kSimcomNrSa = {
    R"(\+CPSI: NR5G_SA,Online,\d{3}-\d\d,0x[0-9A-F]{6},\d+,\d{1,4},NR5G_BAND\d+,\d+,-\d+,-\d+,-?\d+)",
    R"(+CPSI: NR5G_SA,Online,262-01,0xA5B1C2,7038521631,301,NR5G_BAND78,643296,-860,-110,150)"};
constexpr Layout kSimcomNsaNr = {R"(\+CPSI: NR5G_NSA,\d{1,4},NR5G_BAND78,\d{6},-\d+,-\d+,-?\d+)",
                                 R"(+CPSI: NR5G_NSA,501,NR5G_BAND78,643296,-880,-110,180)"};
// HUAWEI ME909s Series LTE Module AT Command Interface Specification, ^HCSQ and ^SYSINFOEX.
constexpr Layout kHuaweiLte = {R"(\^HCSQ: "LTE",\d+,\d+,\d+,\d+)", R"(^HCSQ: "LTE",52,45,126,20)"};
constexpr Layout kHuaweiWcdma = {R"(\^HCSQ: "WCDMA",\d+,\d+,\d+)", R"(^HCSQ: "WCDMA",36,36,50)"};
constexpr Layout kHuaweiGsm = {R"(\^HCSQ: "GSM",\d+)", R"(^HCSQ: "GSM",49)"};
constexpr Layout kHuaweiSysLte = {R"(\^SYSINFOEX: 2,3,0,1,,6,"LTE",101,"LTE")",
                                  R"(^SYSINFOEX: 2,3,0,1,,6,"LTE",101,"LTE")"};
constexpr Layout kHuaweiSysWcdma = {R"(\^SYSINFOEX: 2,3,0,1,,3,"WCDMA",\d+,"[A-Z+]+")",
                                    R"(^SYSINFOEX: 2,3,0,1,,3,"WCDMA",4,"WCDMA")"};
// ELS61-E AT Command Set, ^SMONI and ^SMONP.
constexpr Layout kCinterion4g = {
    R"(\^SMONI: 4G,\d+,\d+,\d+,\d+,FDD,\d{3},\d\d,[0-9A-F]{4},[0-9A-F]{1,7},\d{1,3},-?\d+,-\d+,-\d+\.\d,NOCONN)",
    R"(^SMONI: 4G,6300,20,10,10,FDD,262,01,A5B1,1A2D101,123,33,-95,-11.0,NOCONN)"};
constexpr Layout kCinterion3g = {
    R"(\^SMONI: 3G,\d+,\d{1,3},-?\d+\.\d,-\d+,\d{3},\d\d,[0-9A-F]{4},[0-9A-F]{1,7},\d+,-?\d+,NOCONN)",
    R"(^SMONI: 3G,10688,286,-7.5,-85,262,01,A5B1,2F0C1A3,22,29,NOCONN)"};
constexpr Layout kCinterion2g = {
    R"(\^SMONI: 2G,\d+,-\d+,\d{3},\d\d,[0-9A-F]{4},[0-9A-F]{4},-?\d+,-?\d+,[0-7],[0-7],G,NOCONN)",
    R"(^SMONI: 2G,71,-61,262,01,A5B1,3C4D,33,33,3,6,G,NOCONN)"};
// LE910Cx AT Commands Reference Guide, #RFSTS: LTE, WCDMA and GSM fields.
constexpr Layout kTelitLte = {
    R"(#RFSTS: "\d{3} \d\d",\d+,-\d+,-\d+,-\d+,[0-9A-F]{4},FF,,\d+,\d+,\d+,[0-9A-F]{1,7},"\d{15}","[^"]*",\d,\d+,\d+,\d+,\d+)",
    R"(#RFSTS: "262 01",6300,-95,-65,-11,A5B1,FF,,128,19,0,1A2D101,"262011234567890","Telekom.de",3,20,720,3240,90)"};
constexpr Layout kTelitWcdma = {
    R"(#RFSTS: "\d{3} \d\d",\d+,\d{1,3},-?\d+\.\d,-\d+,-\d+,[0-9A-F]{4},FF,-?\d+,\d+,\d+,\d+,\d+,\d+,[0-9A-F]{1,7},"\d{15}","[^"]*",\d,\d+)",
    R"(#RFSTS: "262 01",10688,286,-7.5,-85,-78,A5B1,FF,-10,128,19,0,0,0,2F0C1A3,"262011234567890","Telekom.de",3,0)"};
constexpr Layout kTelitGsm = {
    R"(#RFSTS: "\d{3} \d\d",\d+,-\d+,[0-9A-F]{4},FF,-?\d+,\d+,\d+,\d+,[0-9A-F]{4},"\d{15}","[^"]*",\d,\d+)",
    R"(#RFSTS: "262 01",27,-72,A5B1,FF,0,19,0,1,3C4D,"262011234567890","Telekom.de",3,3)"};
constexpr Layout kTelitNoService = {R"(#RFSTS: "",,,,,,,,,,,,"\d{15}","",0,,,,)",
                                    R"(#RFSTS: "",,,,,,,,,,,,"262011234567890","",0,,,,)"};
// AirPrime EM74xx/MC74xx AT Command Reference, !GSTATUS: two label/value pairs a line.
constexpr Layout kSierraHead = {R"(!GSTATUS:\s*)", "!GSTATUS:"};
constexpr Layout kSierraTime = {R"(Current Time:\s+\d+\t+Temperature:\s+\d+)",
                                "Current Time:  4946\t\tTemperature: 37"};
constexpr Layout kSierraModeLte = {R"(System mode:\s+LTE\s*\t+PS state:\s+Attached)",
                                   "System mode:   LTE        \tPS state:    Attached"};
constexpr Layout kSierraModeWcdma = {R"(System mode:\s+WCDMA\s*\t+PS state:\s+Attached)",
                                     "System mode:   WCDMA\t\tPS state:    Attached"};
constexpr Layout kSierraModeNone = {R"(System mode:\s+No service\s*\t+PS state:\s+Not attached)",
                                    "System mode:   No service\t\tPS state:    Not attached"};
constexpr Layout kSierraBand = {R"(LTE band:\s+B\d+\s*\t+LTE bw:\s+\d+ MHz)",
                                "LTE band:      B20     \t\tLTE bw:      10 MHz"};
constexpr Layout kSierraChan = {R"(LTE Rx chan:\s+\d+\t+LTE Tx chan:\s+\d+)",
                                "LTE Rx chan:   6300\t\tLTE Tx chan: 24300"};
constexpr Layout kSierraRxM = {R"(PCC RxM RSSI:\s+-\d+\t+RSRP \(dBm\):\s+-\d+)",
                               "PCC RxM RSSI:  -65\t\tRSRP (dBm):  -95"};
constexpr Layout kSierraRxD = {R"(PCC RxD RSSI:\s+-\d+\t+RSRP \(dBm\):\s+-\d+)",
                               "PCC RxD RSSI:  -67\t\tRSRP (dBm):  -97"};
constexpr Layout kSierraTac = {R"(Tx Power:\s+(-?\d+|---)\t+TAC:\s+[0-9A-F]{4} \(\d+\))",
                               "Tx Power:      0\t\tTAC:         A5B1 (42417)"};
constexpr Layout kSierraCell = {R"(RSRQ \(dB\):\s+-\d+\.\d\t+Cell ID:\s+[0-9A-F]{8} \(\d+\))",
                                "RSRQ (dB):     -11.0\t\tCell ID:     01A2D101 (27447553)"};
constexpr Layout kSierraSinr = {R"(SINR \(dB\):\s+-?\d+\.\d)", "SINR (dB):      8.0"};
// 3GPP TS 27.007, +CEREG (10.1.22) and +C5GREG (10.1.23) with <n> 2.
constexpr Layout kCereg = {R"(\+CEREG: 2,1,"[0-9A-F]{4}","[0-9A-F]{8}",7)",
                           R"(+CEREG: 2,1,"A5B1","01A2D101",7)"};
constexpr Layout kC5greg = {R"(\+C5GREG: 2,1,"[0-9A-F]{6}","[0-9A-F]{10}",11)",
                            R"(+C5GREG: 2,1,"A5B1C2","0701A2D101",11)"};

struct ShapeCase {
    const char* name;
    const char* dialect;
    const char* model;
    TSimRat rat;
    const char* command;
    std::vector<Layout> lines;
    bool service = true; // false: every network is out of reach
};

class SimDialectShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SimDialectShapeTest, ReplyFollowsTheManualsLayout) {
    const ShapeCase& c = GetParam();
    for (const Layout& l : c.lines)
        ASSERT_TRUE(std::regex_match(l.example, std::regex(l.pattern))) << l.example;
    SimHarness h(DialectOptions(c.dialect, c.model, {{c.rat, 3600}}));
    for (const TSimOperator& op : SimOperators())
        h.modem.Network().SetOutage(op, c.service ? 0 : 3600);
    h.Run(3000);
    ASSERT_EQ(h.modem.Network().RegState(), c.service ? 1 : 2);
    const Lines got = Info(h, c.command);
    ASSERT_EQ(got.size(), c.lines.size()) << ::testing::PrintToString(got);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(std::regex_match(got[i], std::regex(c.lines[i].pattern)))
            << got[i] << "\n  does not have the layout of\n"
            << c.lines[i].example;
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, SimDialectShapeTest,
    ::testing::Values(
        ShapeCase{"quectel_lte",
                  "quectel",
                  "EG25",
                  TSimRat::Lte,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelLte}},
        ShapeCase{"quectel_umts",
                  "quectel",
                  "EG25",
                  TSimRat::Umts,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelWcdma}},
        ShapeCase{"quectel_gsm",
                  "quectel",
                  "EG25",
                  TSimRat::Gsm,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelGsm}},
        ShapeCase{"quectel_nsa",
                  "quectel",
                  "RM500Q-GL",
                  TSimRat::LteNr,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelNsaHead, kQuectelNsaLte, kQuectelNsaNr}},
        ShapeCase{"quectel_sa",
                  "quectel",
                  "RM500Q-GL",
                  TSimRat::NrSa,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelNrSa}},
        // A module without NR on an EN-DC anchor sees plain LTE.
        ShapeCase{"quectel_lte_only_on_nsa",
                  "quectel",
                  "EG25",
                  TSimRat::LteNr,
                  "AT+QENG=\"servingcell\"",
                  {kQuectelLte}},
        ShapeCase{"simcom_lte", "simcom", "", TSimRat::Lte, "AT+CPSI?", {kSimcomLte}},
        ShapeCase{"simcom_umts", "simcom", "", TSimRat::Umts, "AT+CPSI?", {kSimcomWcdma}},
        ShapeCase{"simcom_gsm", "simcom", "", TSimRat::Gsm, "AT+CPSI?", {kSimcomGsm}},
        ShapeCase{"simcom_nsa",
                  "simcom",
                  "SIMCOM_SIM8262E-M2",
                  TSimRat::LteNr,
                  "AT+CPSI?",
                  {kSimcomLte, kSimcomNsaNr}},
        ShapeCase{
            "simcom_sa", "simcom", "SIMCOM_SIM8262E-M2", TSimRat::NrSa, "AT+CPSI?", {kSimcomNrSa}},
        ShapeCase{"huawei_lte", "huawei", "", TSimRat::Lte, "AT^HCSQ?", {kHuaweiLte}},
        ShapeCase{"huawei_umts", "huawei", "", TSimRat::Umts, "AT^HCSQ?", {kHuaweiWcdma}},
        ShapeCase{"huawei_gsm", "huawei", "", TSimRat::Gsm, "AT^HCSQ?", {kHuaweiGsm}},
        ShapeCase{
            "huawei_sysinfo_lte", "huawei", "", TSimRat::Lte, "AT^SYSINFOEX", {kHuaweiSysLte}},
        ShapeCase{
            "huawei_sysinfo_umts", "huawei", "", TSimRat::Umts, "AT^SYSINFOEX", {kHuaweiSysWcdma}},
        ShapeCase{"cinterion_4g", "cinterion", "", TSimRat::Lte, "AT^SMONI", {kCinterion4g}},
        ShapeCase{"cinterion_3g", "cinterion", "", TSimRat::Umts, "AT^SMONI", {kCinterion3g}},
        ShapeCase{"cinterion_2g", "cinterion", "", TSimRat::Gsm, "AT^SMONI", {kCinterion2g}},
        ShapeCase{"telit_lte", "telit", "", TSimRat::Lte, "AT#RFSTS?", {kTelitLte}},
        ShapeCase{"telit_umts", "telit", "", TSimRat::Umts, "AT#RFSTS?", {kTelitWcdma}},
        ShapeCase{"telit_gsm", "telit", "", TSimRat::Gsm, "AT#RFSTS?", {kTelitGsm}},
        ShapeCase{
            "telit_no_service", "telit", "", TSimRat::Lte, "AT#RFSTS?", {kTelitNoService}, false},
        ShapeCase{"sierra_lte",
                  "sierra",
                  "",
                  TSimRat::Lte,
                  "AT!GSTATUS?",
                  {kSierraHead, kSierraTime, kSierraModeLte, kSierraBand, kSierraChan, kSierraRxM,
                   kSierraRxD, kSierraTac, kSierraCell, kSierraSinr}},
        // The radio lines are LTE's: on UMTS and without service only the state lines.
        ShapeCase{"sierra_umts",
                  "sierra",
                  "",
                  TSimRat::Umts,
                  "AT!GSTATUS?",
                  {kSierraHead, kSierraTime, kSierraModeWcdma}},
        ShapeCase{"sierra_no_service",
                  "sierra",
                  "",
                  TSimRat::Lte,
                  "AT!GSTATUS?",
                  {kSierraHead, kSierraTime, kSierraModeNone},
                  false},
        ShapeCase{"cereg_on_lte", "3gpp", "", TSimRat::Lte, "AT+CEREG=2;+CEREG?", {kCereg}},
        ShapeCase{"c5greg_on_sa", "3gpp", "", TSimRat::NrSa, "AT+C5GREG=2;+C5GREG?", {kC5greg}}),
    [](const auto& info) { return std::string(info.param.name); });

// One reply line, exactly: the marks for what a technology does not measure or has lost.
struct MarkCase {
    const char* name;
    const char* dialect;
    const char* model;
    TSimRat rat;
    bool service;
    const char* command;
    const char* pattern;
};

class SimDialectMarkTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(SimDialectMarkTest, NoValueMarksAndFirmwareHabits) {
    const MarkCase& c = GetParam();
    SimHarness h(DialectOptions(c.dialect, c.model, {{c.rat, 3600}}));
    if (!c.service) {
        for (const TSimOperator& op : SimOperators())
            h.modem.Network().SetOutage(op, 3600);
    }
    h.Run(3000);
    const Lines got = Info(h, c.command);
    ASSERT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
    EXPECT_TRUE(std::regex_match(got[0], std::regex(c.pattern))) << got[0];
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, SimDialectMarkTest,
    ::testing::Values(
        // 27.007 8.69 +CESQ: 99 and 255 for every field the serving technology lacks.
        MarkCase{"cesq_lte", "3gpp", "LTE modem", TSimRat::Lte, true, "AT+CESQ",
                 R"(\+CESQ: 99,99,255,255,\d+,\d+)"},
        MarkCase{"cesq_umts", "3gpp", "LTE modem", TSimRat::Umts, true, "AT+CESQ",
                 R"(\+CESQ: 99,99,\d+,\d+,255,255)"},
        MarkCase{"cesq_gsm", "3gpp", "LTE modem", TSimRat::Gsm, true, "AT+CESQ",
                 R"(\+CESQ: \d+,[0-7],255,255,255,255)"},
        MarkCase{"cesq_rel15_on_lte", "3gpp", "", TSimRat::Lte, true, "AT+CESQ",
                 R"(\+CESQ: 99,99,255,255,\d+,\d+,255,255,255)"},
        MarkCase{"cesq_rel15_on_sa", "3gpp", "", TSimRat::NrSa, true, "AT+CESQ",
                 R"(\+CESQ: 99,99,255,255,255,255,\d+,\d+,\d+)"},
        MarkCase{"cesq_no_service", "3gpp", "", TSimRat::Lte, false, "AT+CESQ",
                 R"(\+CESQ: 99,99,255,255,255,255,255,255,255)"},
        // 27.007 10.1.22: not on E-UTRAN, not registered for EPS; no location then.
        MarkCase{"cereg_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CEREG=2;+CEREG?",
                 R"(\+CEREG: 2,0)"},
        MarkCase{"c5greg_on_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, true,
                 "AT+C5GREG=2;+C5GREG?", R"(\+C5GREG: 2,0)"},
        MarkCase{"cereg_searching", "3gpp", "", TSimRat::Lte, false, "AT+CEREG?",
                 R"(\+CEREG: 0,2)"},
        // Quectel firmware: +CSQ 99,99 while LTE serves; the level is RSRP's.
        MarkCase{"quectel_csq_on_lte", "quectel", "EG25", TSimRat::Lte, true, "AT+CSQ",
                 R"(\+CSQ: 99,99)"},
        MarkCase{"quectel_csq_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CSQ",
                 R"(\+CSQ: ([0-9]|[12][0-9]|3[01]),99)"},
        MarkCase{"simcom_csq_on_lte", "simcom", "", TSimRat::Lte, true, "AT+CSQ",
                 R"(\+CSQ: ([0-9]|[12][0-9]|3[01]),99)"},
        // An LTE-only registration is not a circuit-switched one in 27.007 terms, while
        // modems with a combined attach report it in +CREG.
        MarkCase{"quectel_creg_on_lte", "quectel", "EG25", TSimRat::Lte, true, "AT+CREG?",
                 R"(\+CREG: 0,0)"},
        MarkCase{"3gpp_creg_on_lte", "3gpp", "", TSimRat::Lte, true, "AT+CREG=2;+CREG?",
                 R"(\+CREG: 2,0)"},
        MarkCase{"quectel_creg_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CREG=2;+CREG?",
                 R"(\+CREG: 2,1,"[0-9A-F]{4}","[0-9A-F]{8}",2)"},
        MarkCase{"simcom_creg_on_lte", "simcom", "", TSimRat::Lte, true, "AT+CREG=2;+CREG?",
                 R"(\+CREG: 2,1,"[0-9A-F]{4}","[0-9A-F]{8}",7)"},
        // +COPS <AcT>, 27.007 7.3: 13 on EN-DC, 7 where a modem without NR camps.
        MarkCase{"cops_act_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, true, "AT+COPS?",
                 R"(\+COPS: 0,0,"[^"]+",13)"},
        MarkCase{"cops_act_nsa_without_nr", "huawei", "", TSimRat::LteNr, true, "AT+COPS?",
                 R"(\+COPS: 0,0,"[^"]+",7)"},
        MarkCase{"cops_act_umts", "cinterion", "", TSimRat::Umts, true, "AT+COPS?",
                 R"(\+COPS: 0,0,"[^"]+",2)"},
        MarkCase{"cops_gsm_dialect_has_no_act", "gsm", "", TSimRat::Lte, true, "AT+COPS?",
                 R"(\+COPS: 0,0,"[^"]+")"},
        // Searching, each vendor's way.
        MarkCase{"quectel_search", "quectel", "RM500Q-GL", TSimRat::LteNr, false,
                 "AT+QENG=\"servingcell\"", R"(\+QENG: "servingcell","SEARCH")"},
        MarkCase{"simcom_search", "simcom", "", TSimRat::Lte, false, "AT+CPSI?",
                 R"(\+CPSI: NO SERVICE,Online)"},
        MarkCase{"huawei_search", "huawei", "", TSimRat::Lte, false, "AT^HCSQ?",
                 R"(\^HCSQ: "NOSERVICE")"},
        MarkCase{"huawei_sysinfo_search", "huawei", "", TSimRat::Lte, false, "AT^SYSINFOEX",
                 R"(\^SYSINFOEX: 0,0,0,1,,0,"NO SERVICE",0,"NO SERVICE")"},
        MarkCase{"cinterion_search", "cinterion", "", TSimRat::Umts, false, "AT^SMONI",
                 R"(\^SMONI: 3G,SEARCH)"},
        MarkCase{"csq_search", "huawei", "", TSimRat::Lte, false, "AT+CSQ", R"(\+CSQ: 99,99)"}),
    [](const auto& info) { return std::string(info.param.name); });

// What a dialect does not have is "ERROR", as on the real modules.
struct RefusedCase {
    const char* dialect;
    const char* model;
    const char* command;
};

TEST(SimDialectTest, CommandsOfOtherDialectsAnswerError) {
    const RefusedCase cases[] = {
        {"gsm", "", "AT+CESQ"},
        {"gsm", "", "AT+CEREG?"},
        {"gsm", "", "AT+QENG=\"servingcell\""},
        {"3gpp", "", "AT^MONI"},
        {"3gpp", "", "AT^MONP"},
        {"3gpp", "", "AT+CPSI?"},
        {"quectel", "EG25", "AT^MONI"},
        {"quectel", "EG25", "AT+C5GREG?"}, // an LTE module has no 5GS registration
        {"quectel", "EG25", "AT+QENG=\"bogus\""},
        {"quectel", "EG25", "AT+QENG?"},
        {"simcom", "", "AT^HCSQ?"},
        {"simcom", "", "AT+CPSI"},
        {"huawei", "", "AT^SMONI"},
        {"huawei", "", "AT^HCSQ"},
        {"cinterion", "", "AT^MONI"},
        {"cinterion", "", "AT^MONP"},
        {"cinterion", "", "AT+QENG=\"servingcell\""},
    };
    for (const RefusedCase& c : cases) {
        SimHarness h(DialectOptions(c.dialect, c.model, {}));
        EXPECT_EQ(h.Command(std::string(c.command) + "\r"), Lines{"ERROR"})
            << c.dialect << " " << c.command;
    }
}

TEST(SimDialectTest, IdentityIsTheDialectsUnlessChosen) {
    const std::pair<const char*, Lines> cases[] = {
        {"gsm", {"Celdara", "Virtual GSM modem"}},
        {"quectel", {"Quectel", "EG25"}},
        {"simcom", {"SIMCOM INCORPORATED", "SIMCOM_SIM7600E-H"}},
        {"huawei", {"Huawei", "ME909s-120"}},
        {"cinterion", {"Cinterion", "ELS61-E"}},
        {"telit", {"Telit", "LE910C4-EU"}},
        {"sierra", {"Sierra Wireless, Incorporated", "EM7455"}},
    };
    for (const auto& [dialect, identity] : cases) {
        SimHarness h(DialectOptions(dialect, "", {}));
        EXPECT_EQ(Info(h, "AT+CGMI"), Lines{identity[0]}) << dialect;
        EXPECT_EQ(Info(h, "AT+CGMM"), Lines{identity[1]}) << dialect;
    }
    SimHarness chosen(DialectOptions("quectel", "RM500Q-GL", {}));
    EXPECT_EQ(Info(chosen, "AT+CGMM"), Lines{"RM500Q-GL"});
}

// The levels of one moment, in dBm and dB, as one command tells them.
struct Levels {
    std::optional<double> rsrp, rsrq, sinr, rscp, ecio;
};

// 27.007 8.69 +CESQ scales.
Levels FromCesq(const std::string& line) {
    auto f = Fields(line);
    Levels l;
    if (f[5] != "255")
        l.rsrp = Number(f[5]) - 141;
    if (f[4] != "255")
        l.rsrq = Number(f[4]) / 2 - 20;
    if (f[2] != "255")
        l.rscp = Number(f[2]) - 121;
    if (f[3] != "255")
        l.ecio = Number(f[3]) / 2 - 24.5;
    return l;
}

// Each vendor's fields and units, from the manuals named at the layouts above.
// The value after `label` on a !GSTATUS line, the first such label's.
std::optional<double> SierraValue(const Lines& lines, const std::string& label) {
    for (const std::string& line : lines) {
        const auto at = line.find(label);
        if (at != std::string::npos)
            return Number(line.substr(at + label.size()));
    }
    return std::nullopt;
}

Levels FromVendor(const std::string& dialect, const std::string& model, const Lines& lines) {
    Levels l;
    if (lines.empty())
        return l;
    if (dialect == "sierra") {
        l.rsrp = SierraValue(lines, "RSRP (dBm):");
        l.rsrq = SierraValue(lines, "RSRQ (dB):");
        l.sinr = SierraValue(lines, "SINR (dB):");
        return l;
    }
    auto f = Fields(lines.size() > 1 ? lines[1] : lines[0]);
    f.resize(20); // a short line fails on its empty fields, not out of bounds
    const bool umts =
        lines[0].find("WCDMA") != std::string::npos || lines[0].rfind("^SMONI: 3G", 0) == 0;
    if (dialect == "quectel" && umts) {
        l.rscp = Number(f[10]);
        l.ecio = Number(f[11]);
    } else if (dialect == "quectel") {
        const std::size_t at = lines.size() > 1 ? 11 : 13; // the NSA anchor line has no head
        l.rsrp = Number(f[at]);
        l.rsrq = Number(f[at + 1]);
        // The LTE-only modules give SINR in fifths of a dB from -20 dB, the 5G ones dB.
        const double sinr = Number(f[at + 3]);
        l.sinr = model.rfind("RM5", 0) == 0 ? sinr : -20 + sinr / 5;
    } else if (dialect == "simcom" && umts) {
        l.rscp = Number(f[9]);
        l.ecio = Number(f[10]);
    } else if (dialect == "simcom") {
        l.rsrq = Number(f[10]) / 10;
        l.rsrp = Number(f[11]) / 10;
        l.sinr = Number(f[13]);
    } else if (dialect == "huawei" && umts) {
        l.rscp = Number(f[2]) - 121;
        l.ecio = Number(f[3]) / 2 - 32;
    } else if (dialect == "huawei") {
        l.rsrp = Number(f[2]) - 141;
        l.sinr = Number(f[3]) / 5 - 20.2;
        l.rsrq = Number(f[4]) / 2 - 20;
    } else if (dialect == "cinterion" && umts) {
        l.ecio = Number(f[3]);
        l.rscp = Number(f[4]);
    } else if (dialect == "cinterion") {
        l.rsrp = Number(f[12]);
        l.rsrq = Number(f[13]);
    } else if (dialect == "telit" && umts) {
        l.ecio = Number(f[3]);
        l.rscp = Number(f[4]);
    } else if (dialect == "telit") {
        l.rsrp = Number(f[2]);
        l.rsrq = Number(f[4]);
        l.sinr = -20 + Number(f[18]) / 5;
    }
    return l;
}

void ExpectNear(const std::optional<double>& got, const std::optional<double>& want,
                double tolerance, const std::string& what) {
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (got) {
        EXPECT_NEAR(*got, *want, tolerance) << what;
    }
}

// Over the whole timetable (LTE, the NSA phase that modules without NR see as LTE, UMTS),
// every vendor's numbers, read with the manual's units, are those of +CESQ for the same
// moment, the SINR of all vendors agrees, and all lie within the manuals' ranges.
TEST(SimDialectTest, EveryVendorTellsTheSameLevelsAsCesq) {
    const std::pair<const char*, const char*> modems[] = {
        {"quectel", "EG25"}, {"simcom", ""}, {"huawei", ""}, {"cinterion", ""}};
    const char* commands[] = {"AT+QENG=\"servingcell\"", "AT+CPSI?", "AT^HCSQ?", "AT^SMONI"};
    std::vector<std::unique_ptr<SimHarness>> harnesses;
    for (const auto& [dialect, model] : modems)
        harnesses.push_back(std::make_unique<SimHarness>(DialectOptions(dialect, model, {}, 11)));
    int lte = 0, umts = 0;
    for (int second = 1; second < 160; second += 3) {
        std::optional<double> sinr;
        for (std::size_t i = 0; i < harnesses.size(); ++i) {
            SimHarness& h = *harnesses[i];
            h.Run(static_cast<Tick>(second * 1000 + 100 - (h.now - 1000)));
            const std::string what = std::string(modems[i].first) + " at " + std::to_string(second);
            const Levels cesq = FromCesq(Info(h, "AT+CESQ").at(0));
            if (!cesq.rsrp && !cesq.rscp)
                continue; // out of service: the marks are another test's
            const Levels vendor =
                FromVendor(modems[i].first, modems[i].second, Info(h, commands[i]));
            ExpectNear(vendor.rsrp, cesq.rsrp, 0, what + " RSRP");
            ExpectNear(vendor.rsrq, cesq.rsrq, 0, what + " RSRQ");
            // !GSTATUS has radio lines for LTE only.
            if (std::string(modems[i].first) != "sierra") {
                ExpectNear(vendor.rscp, cesq.rscp, 0, what + " RSCP");
                ExpectNear(vendor.ecio, cesq.ecio, 0.5, what + " Ec/Io"); // some give whole dB
            }
            if (vendor.sinr && sinr) {
                EXPECT_NEAR(*vendor.sinr, *sinr, 0.01) << what << " SINR";
            }
            if (vendor.sinr)
                sinr = vendor.sinr;
            if (cesq.rsrp) {
                EXPECT_TRUE(*cesq.rsrp >= -140 && *cesq.rsrp <= -44) << what;
                EXPECT_TRUE(*cesq.rsrq >= -20 && *cesq.rsrq <= -3) << what;
                lte += i == 0 ? 1 : 0;
            }
            if (cesq.rscp) {
                EXPECT_TRUE(*cesq.rscp >= -120 && *cesq.rscp <= -25) << what;
                EXPECT_TRUE(*cesq.ecio >= -24 && *cesq.ecio <= 0) << what;
                umts += i == 0 ? 1 : 0;
            }
            if (vendor.sinr) {
                EXPECT_TRUE(*vendor.sinr >= -20 && *vendor.sinr <= 30) << what;
            }
        }
    }
    EXPECT_GT(lte, 20);
    EXPECT_GT(umts, 8);
}

// The NR leg and an NR SA cell read alike from the vendors' lines and +CESQ's Rel-15 fields.
TEST(SimDialectTest, NrLevelsAgreeWithCesqRel15Fields) {
    for (TSimRat rat : {TSimRat::LteNr, TSimRat::NrSa}) {
        SimHarness q(DialectOptions("quectel", "RM500Q-GL", {{rat, 3600}}, 5));
        SimHarness s(DialectOptions("simcom", "SIMCOM_SIM8262E-M2", {{rat, 3600}}, 5));
        int compared = 0;
        for (int second = 0; second < 120; second += 5) {
            q.Run(5000);
            s.Run(5000);
            const auto cesq = Fields(Info(q, "AT+CESQ").at(0));
            const Lines qeng = Info(q, "AT+QENG=\"servingcell\"");
            const Lines cpsi = Info(s, "AT+CPSI?");
            ASSERT_EQ(Fields(Info(s, "AT+CESQ").at(0)), cesq) << "same seed, same world";
            if (cesq[7] == "255")
                continue;
            ++compared;
            const double rsrp = Number(cesq[7]) - 157;
            const double rsrq = Number(cesq[6]) / 2 - 43.5;
            const double sinr = Number(cesq[8]) / 2 - 23.5;
            const auto nr = Fields(qeng.back());
            const auto sim = Fields(cpsi.back());
            if (rat == TSimRat::LteNr) {
                // "NR5G-NSA",MCC,MNC,PCID,RSRP,SINR,RSRQ,ARFCN,band; NR5G_NSA in tenths.
                EXPECT_EQ(Number(nr[4]), rsrp);
                EXPECT_EQ(Number(nr[5]), sinr);
                EXPECT_EQ(Number(nr[6]), rsrq);
                EXPECT_EQ(Number(sim[4]) / 10, rsrp);
                EXPECT_EQ(Number(sim[5]) / 10, rsrq);
                EXPECT_EQ(Number(sim[6]) / 10, sinr);
            } else {
                // "NR5G-SA",duplex,MCC,MNC,cellID,PCID,TAC,ARFCN,band,bw,RSRP,RSRQ,SINR.
                EXPECT_EQ(Number(nr[12]), rsrp);
                EXPECT_EQ(Number(nr[13]), rsrq);
                EXPECT_EQ(Number(nr[14]), sinr);
                EXPECT_EQ(Number(sim[8]) / 10, rsrp);
                EXPECT_EQ(Number(sim[9]) / 10, rsrq);
                EXPECT_EQ(Number(sim[10]) / 10, sinr);
            }
        }
        EXPECT_GT(compared, 10);
    }
}

// The NR leg comes and goes with its level: while it is gone the NSA reply has no NR line and
// +CESQ's NR fields are 255, and the <AcT> stays 13 (the anchor still offers EN-DC).
TEST(SimDialectTest, LostNrLegLeavesOnlyTheAnchor) {
    SimHarness h(DialectOptions("quectel", "RM500Q-GL", {{TSimRat::LteNr, 36000}}, 3));
    int withLeg = 0, withoutLeg = 0;
    for (int second = 0; second < 4 * 3600 && (withLeg == 0 || withoutLeg == 0); ++second) {
        h.Run(1000);
        if (h.modem.Network().RegState() != 1)
            continue;
        const bool leg = h.modem.Network().NrLeg().has_value();
        if ((leg && withLeg > 0) || (!leg && withoutLeg > 0))
            continue;
        (leg ? withLeg : withoutLeg)++;
        const Lines qeng = Info(h, "AT+QENG=\"servingcell\"");
        const auto cesq = Fields(Info(h, "AT+CESQ").at(0));
        ASSERT_EQ(qeng.size(), leg ? 3u : 2u) << ::testing::PrintToString(qeng);
        EXPECT_EQ(qeng.back().rfind("+QENG: \"NR5G-NSA\"", 0) == 0, leg);
        ASSERT_EQ(cesq.size(), 9u);
        EXPECT_EQ(cesq[7] == "255", !leg);
        EXPECT_NE(cesq[5], "255") << "the anchor is measured all the same";
        EXPECT_EQ(Info(h, "AT+COPS?").at(0).substr(Info(h, "AT+COPS?").at(0).rfind(',')), ",13");
    }
    EXPECT_EQ(withLeg, 1);
    EXPECT_EQ(withoutLeg, 1);
}

// A module of the EG25 kind writes the LTE SINR in fifths of a dB from -20 dB; the same world
// seen by a 5G module (whose LTE phase is the same) gives it in dB.
TEST(SimDialectTest, LteOnlyQuectelSinrIsInFifthsOfADb) {
    SimHarness eg25(DialectOptions("quectel", "EG25", {{TSimRat::Lte, 3600}}, 9));
    SimHarness rm500(DialectOptions("quectel", "RM500Q-GL", {{TSimRat::Lte, 3600}}, 9));
    bool outsideDbRange = false;
    for (int i = 0; i < 30; ++i) {
        eg25.Run(4000);
        rm500.Run(4000);
        if (!eg25.modem.Network().Serving())
            continue;
        const auto fifths = Fields(Info(eg25, "AT+QENG=\"servingcell\"").at(0));
        const auto db = Fields(Info(rm500, "AT+QENG=\"servingcell\"").at(0));
        ASSERT_EQ(fifths.size(), 20u);
        ASSERT_EQ(db.size(), 20u);
        const double n = Number(fifths[16]);
        EXPECT_TRUE(n >= 0 && n <= 250) << n;
        EXPECT_DOUBLE_EQ(-20 + n / 5, Number(db[16]));
        outsideDbRange = outsideDbRange || n > 30;
    }
    EXPECT_TRUE(outsideDbRange) << "fifths look different from dB somewhere";
}

TEST(SimDialectTest, NeighbourListsFollowTheirLayouts) {
    // Quectel manual, AT+QENG="neighbourcell": intra/inter LTE and WCDMA rows.
    const std::regex intra(
        R"(\+QENG: "neighbourcell intra","LTE",\d+,\d{1,3},-\d+,-\d+,-\d+,-?\d+,-?\d+,\d+,\d+,\d+,\d+)");
    const std::regex inter(
        R"(\+QENG: "neighbourcell inter","LTE",\d+,\d{1,3},-\d+,-\d+,-\d+,-,-?\d+,\d+,\d+,\d+)");
    const std::regex wcdma(
        R"(\+QENG: "neighbourcell","WCDMA",\d+,\d+,\d+,\d+,\d{1,3},-\d+,-?\d+,-?\d+)");
    ASSERT_TRUE(std::regex_match(
        R"(+QENG: "neighbourcell intra","LTE",6300,124,-14,-104,-73,2,22,3,62,10,62)", intra));
    ASSERT_TRUE(std::regex_match(
        R"(+QENG: "neighbourcell inter","LTE",1300,55,-12,-99,-70,-,30,5,8,8)", inter));
    ASSERT_TRUE(
        std::regex_match(R"(+QENG: "neighbourcell","WCDMA",10688,0,4,2,286,-88,-9,22)", wcdma));
    // ELS61-E AT Command Set, ^SMONP: a section a technology.
    const std::regex smonp3g(R"(\d+,\d{1,3},-?\d+\.\d,-\d+,\d+,-?\d+)");
    const std::regex smonp4g(R"(\d+,-\d+\.\d,-\d+,-?\d+,\d{1,3},[0-9A-F]{4})");
    for (TSimRat rat : {TSimRat::Lte, TSimRat::Umts}) {
        SimHarness q(DialectOptions("quectel", "EG25", {{rat, 3600}}, 4));
        SimHarness c(DialectOptions("cinterion", "", {{rat, 3600}}, 4));
        std::set<std::string> kinds;
        for (int i = 0; i < 20; ++i) {
            q.Run(6000);
            c.Run(6000);
            const Lines rows = Info(q, "AT+QENG=\"neighbourcell\"");
            EXPECT_LE(rows.size(), 6u);
            for (const std::string& r : rows) {
                const bool ok = std::regex_match(r, intra) || std::regex_match(r, inter) ||
                                std::regex_match(r, wcdma);
                EXPECT_TRUE(ok) << r;
                kinds.insert(r.substr(0, r.find(',', r.find(',') + 1)));
            }
            const Lines smonp = Info(c, "AT^SMONP");
            ASSERT_GE(smonp.size(), 2u);
            EXPECT_EQ(smonp[0], "3G:");
            bool in4g = false;
            for (std::size_t k = 1; k < smonp.size(); ++k) {
                if (smonp[k] == "4G:") {
                    in4g = true;
                    continue;
                }
                EXPECT_TRUE(std::regex_match(smonp[k], in4g ? smonp4g : smonp3g)) << smonp[k];
            }
            EXPECT_TRUE(in4g);
        }
        // On LTE the other LTE carriers and UMTS are measured; on UMTS also LTE.
        EXPECT_TRUE(kinds.count("+QENG: \"neighbourcell\",\"WCDMA\"")) << (int)rat;
        EXPECT_TRUE(kinds.count("+QENG: \"neighbourcell inter\",\"LTE\"")) << (int)rat;
    }
}

// A dialect's dialogue is as deterministic as the GSM one, and the split fault cuts its
// replies without changing them.
TEST(SimDialectTest, SameSeedSameRepliesAndSplitRepliesJoinUp) {
    auto script = [](SimHarness& h) {
        for (int i = 0; i < 50; ++i) {
            h.Send("AT+CSQ;+COPS?;+CREG?;+CPAS;+CESQ;+CEREG?;+C5GREG?\r");
            h.Run(500, 1);
            h.Send("AT+QENG=\"servingcell\";+QENG=\"neighbourcell\"\r");
            h.Run(1000, 1);
        }
    };
    TSimModemOptions plain = DialectOptions("quectel", "RM500Q-GL", {}, 21);
    TSimModemOptions cut = plain;
    cut.Faults.Split = true;
    TSimModemOptions other = plain;
    other.Seed = 22;
    SimHarness a(plain), b(plain), split(cut), different(other);
    for (SimHarness* h : {&a, &b, &split, &different})
        script(*h);
    EXPECT_EQ(a.pieces, b.pieces);
    EXPECT_NE(a.AllBytes(), different.AllBytes());
    EXPECT_EQ(split.AllBytes(), a.AllBytes());
    EXPECT_GT(split.pieces.size(), 2 * a.pieces.size());
    const Lines lines = split.TakeLines();
    EXPECT_EQ(lines, a.TakeLines());
    EXPECT_GT(Count(lines, "+QENG: \"NR5G-NSA\""), 5) << "the script reached the NSA phase";
    EXPECT_GT(Count(lines, "+QENG: \"servingcell\",\"NOCONN\",\"WCDMA\""), 5);
}

} // namespace
} // namespace celdara::test
