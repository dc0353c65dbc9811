// The dialects' replies: the layouts of the vendors' manuals, their "no value" marks and
// firmware habits, and every vendor's numbers agreeing with 27.007's for the same moment.
#include "SimHarness.h"
#include "modem/ModemStatus.h"
#include "modem/RadioDialect.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <set>
#include <tuple>

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

// The fields after the "+NAME: " prefix, split at commas; a short line gets empty fields.
std::vector<std::string> Fields(const std::string& line, std::size_t atLeast = 20) {
    const auto colon = line.find(": ");
    std::vector<std::string> fields(1);
    for (char c : line.substr(colon == std::string::npos ? 0 : colon + 2)) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    fields.resize(std::max(fields.size(), atLeast));
    return fields;
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The layout of a line, told apart from its values: a number (its sign and decimals apart)
// becomes "n", a hex code ("A5B1", "1A2D101") "h", a run of blanks " " or, with a tab in it,
// "\t"; words, quotes, commas, "-" marks and empty fields stay as they are.
std::vector<std::string> Layout(const std::string& line) {
    const auto hex = [](char c) {
        return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); // u-blox: lower case
    };
    std::vector<std::string> t;
    for (std::size_t i = 0, j = 0; i < line.size(); i = j) {
        const char c = line[i];
        j = i + 1;
        if (c == ' ' || c == '\t') {
            bool tab = false;
            for (j = i; j < line.size() && (line[j] == ' ' || line[j] == '\t'); ++j)
                tab = tab || line[j] == '\t';
            t.push_back(tab ? "\t" : " ");
        } else if (c == '-' && j < line.size() && IsDigit(line[j])) {
            continue; // a sign belongs to its number
        } else if (line.compare(i, 2, "0x") == 0) {
            t.push_back("0x");
            j = i + 2;
        } else if (std::isalnum(static_cast<unsigned char>(c))) {
            while (j < line.size() && std::isalnum(static_cast<unsigned char>(line[j])))
                ++j;
            const std::string run = line.substr(i, j - i);
            if (std::all_of(run.begin(), run.end(), hex)) {
                t.push_back(std::all_of(run.begin(), run.end(), IsDigit) ? "n" : "h");
                continue;
            }
            for (std::size_t k = 0, e = 0; k < run.size(); k = e) { // "BAND20": word, number
                for (e = k; e < run.size() && IsDigit(run[e]) == IsDigit(run[k]); ++e) {
                }
                t.push_back(IsDigit(run[k]) ? "n" : run.substr(k, e - k));
            }
        } else {
            t.push_back(std::string(1, c));
        }
    }
    return t;
}

// A hex code may happen to have no letters; a decimal field may not turn hex.
bool HasLayoutOf(const std::string& line, const std::string& example) {
    const auto got = Layout(line);
    const auto want = Layout(example);
    return got.size() == want.size() &&
           std::equal(got.begin(), got.end(), want.begin(), [](const auto& g, const auto& w) {
               return g == w || (w == "h" && g == "n");
           });
}

TEST(SimDialectTest, LayoutTellsFieldsApart) {
    const char* example =
        R"(+CPSI: LTE,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,5,5,-110)";
    EXPECT_TRUE(
        HasLayoutOf(R"(+CPSI: LTE,Online,230-02,0x2499,5,7,EUTRAN-BAND3,1300,3,3,9)", example));
    EXPECT_FALSE(
        HasLayoutOf(R"(+CPSI: LTE,Online,230-02,0x2499,5,7,EUTRAN-BAND3,1300,3,3)", example));
    EXPECT_FALSE(
        HasLayoutOf(R"(+CPSI: LTE,Online,230-02,0x2499,5,7,EUTRAN-BAND3,1300,3,3,-)", example));
    EXPECT_FALSE(
        HasLayoutOf(R"(+CPSI: LTE,Online,230-02,0x2499,5,7,EUTRAN-BAND3,1300,3,3,-1.5)", example));
    EXPECT_FALSE(
        HasLayoutOf(R"(+CPSI: LTE,Online,230-02,0x2499,5,7F,EUTRAN-BAND3,1300,3,3,9)", example));
    EXPECT_FALSE(
        HasLayoutOf(R"(+CPSI: WCDMA,Online,230-02,0x2499,5,7,EUTRAN-BAND3,1300,3,3,9)", example));
}

struct ShapeCase {
    const char* name;
    const char* dialect;
    const char* model;
    TSimRat rat;
    const char* command;
    Lines examples;      // the manual's, or written from its parameter list where it has none
    bool service = true; // false: every network out of reach
};

class SimDialectShapeTest : public ::testing::TestWithParam<ShapeCase> {};

// On the examples' network (Telekom.de, 262 01), so that the operator's name matches too.
TEST_P(SimDialectShapeTest, ReplyHasTheManualsLayout) {
    const ShapeCase& c = GetParam();
    SimHarness h(DialectOptions(c.dialect, c.model, {{c.rat, 3600}}));
    for (const TSimOperator& op : SimOperators())
        h.modem.Network().SetOutage(op, c.service ? 0 : 3600);
    if (c.service) {
        ASSERT_EQ(Info(h, "AT+COPS=1,2,\"26201\""), Lines{});
    }
    h.Run(2000);
    const Lines got = Info(h, c.command);
    ASSERT_EQ(got.size(), c.examples.size()) << ::testing::PrintToString(got);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(HasLayoutOf(got[i], c.examples[i])) << got[i] << "\n  is not laid out as\n"
                                                        << c.examples[i];
}

constexpr const char* kQeng = "AT+QENG=\"servingcell\"";

// Quectel EC2x&EG9x&EG2x-G&EM05 Series AT Commands Manual and RG50xQ&RM5xxQ Series AT
// Commands Manual, AT+QENG="servingcell"; SIM7500_SIM7600 and SIM8200 Series AT Command
// Manuals, AT+CPSI?; HUAWEI ME909s Series AT command interface manual, ^HCSQ? and
// ^SYSINFOEX; ELS61-E AT Command Set, ^SMONI; LE910Cx AT Commands Reference Guide, #RFSTS?;
// AirPrime EM74xx/MC74xx AT Command Reference, !GSTATUS?; 3GPP TS 27.007 10.1.22 / 10.1.23.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Dialects, SimDialectShapeTest, ::testing::Values(
    ShapeCase{"quectel_lte", "quectel", "EG25", TSimRat::Lte, kQeng, {R"(+QENG: "servingcell","NOCONN","LTE","FDD",262,01,1A2D101,123,6300,20,3,3,A5B1,-95,-11,-65,16,10,-32768,47)"}},
    ShapeCase{"quectel_umts", "quectel", "EG25", TSimRat::Umts, kQeng, {R"(+QENG: "servingcell","NOCONN","WCDMA",262,01,A5B1,2F0C1A3,10688,286,0,-85,-7,-,-,-,-,-)"}},
    ShapeCase{"quectel_gsm", "quectel", "EG25", TSimRat::Gsm, kQeng, {R"(+QENG: "servingcell","NOCONN","GSM",262,01,A5B1,3C4D,27,71,0,-72,255,255,0,34,34,1,-,-,-,-,-,-,-,-,-,-)"}},
    ShapeCase{"quectel_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, kQeng, {R"(+QENG: "servingcell","NOCONN")",
        R"(+QENG: "LTE","FDD",262,01,1A2D101,123,1300,3,5,5,A5B1,-92,-10,-63,14,9,-32768,40)", R"(+QENG: "NR5G-NSA",262,01,501,-88,18,-11,643296,78)"}},
    ShapeCase{"quectel_sa", "quectel", "RM500Q-GL", TSimRat::NrSa, kQeng, {R"(+QENG: "servingcell","NOCONN","NR5G-SA","TDD",262,01,1A2D1011F,301,A5B1C2,643296,78,12,-86,-11,15,1,-)"}},
    // A module without NR on an EN-DC anchor sees plain LTE.
    ShapeCase{"quectel_lte_only_on_nsa", "quectel", "EG25", TSimRat::LteNr, kQeng, {R"(+QENG: "servingcell","NOCONN","LTE","FDD",262,01,1A2D101,123,6300,20,3,3,A5B1,-95,-11,-65,16,10,-32768,47)"}},
    ShapeCase{"quectel_search", "quectel", "RM500Q-GL", TSimRat::LteNr, kQeng, {R"(+QENG: "servingcell","SEARCH")"}, false},
    ShapeCase{"simcom_lte", "simcom", "", TSimRat::Lte, "AT+CPSI?", {"+CPSI: LTE,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND20,6300,5,5,-110,-950,-650,16"}},
    ShapeCase{"simcom_umts", "simcom", "", TSimRat::Umts, "AT+CPSI?", {"+CPSI: WCDMA,Online,262-01,0xA5B1,49332643,WCDMA 900,286,3011,0,-7.5,-85,22,52,0"}},
    ShapeCase{"simcom_gsm", "simcom", "", TSimRat::Gsm, "AT+CPSI?", {"+CPSI: GSM,Online,262-01,0xA5B1,15437,779 DCS1800,-72,0,34-34"}},
    ShapeCase{"simcom_nsa", "simcom", "SIMCOM_SIM8262E-M2", TSimRat::LteNr, "AT+CPSI?", {"+CPSI: LTE,Online,262-01,0xA5B1,27398401,123,EUTRAN-BAND3,1300,5,5,-110,-950,-650,16",
        "+CPSI: NR5G_NSA,501,NR5G_BAND78,643296,-880,-110,180"}},
    ShapeCase{"simcom_sa", "simcom", "SIMCOM_SIM8262E-M2", TSimRat::NrSa, "AT+CPSI?", {"+CPSI: NR5G_SA,Online,262-01,0xA5B1C2,7038521631,301,NR5G_BAND78,643296,-860,-110,150"}},
    ShapeCase{"simcom_search", "simcom", "", TSimRat::Lte, "AT+CPSI?", {"+CPSI: NO SERVICE,Online"}, false},
    ShapeCase{"huawei_lte", "huawei", "", TSimRat::Lte, "AT^HCSQ?", {R"(^HCSQ: "LTE",52,45,126,20)"}},
    ShapeCase{"huawei_umts", "huawei", "", TSimRat::Umts, "AT^HCSQ?", {R"(^HCSQ: "WCDMA",36,36,50)"}},
    ShapeCase{"huawei_gsm", "huawei", "", TSimRat::Gsm, "AT^HCSQ?", {R"(^HCSQ: "GSM",49)"}},
    ShapeCase{"huawei_search", "huawei", "", TSimRat::Lte, "AT^HCSQ?", {R"(^HCSQ: "NOSERVICE")"}, false},
    ShapeCase{"huawei_sysinfo_lte", "huawei", "", TSimRat::Lte, "AT^SYSINFOEX", {R"(^SYSINFOEX: 2,3,0,1,,6,"LTE",101,"LTE")"}},
    ShapeCase{"huawei_sysinfo_umts", "huawei", "", TSimRat::Umts, "AT^SYSINFOEX", {R"(^SYSINFOEX: 2,3,0,1,,3,"WCDMA",4,"WCDMA")"}},
    ShapeCase{"huawei_sysinfo_search", "huawei", "", TSimRat::Lte, "AT^SYSINFOEX", {R"(^SYSINFOEX: 0,0,0,1,,0,"NO SERVICE",0,"NO SERVICE")"}, false},
    ShapeCase{"cinterion_4g", "cinterion", "", TSimRat::Lte, "AT^SMONI", {"^SMONI: 4G,6300,20,10,10,FDD,262,01,A5B1,1A2D101,123,33,-95,-11.0,NOCONN"}},
    ShapeCase{"cinterion_3g", "cinterion", "", TSimRat::Umts, "AT^SMONI", {"^SMONI: 3G,10688,286,-7.5,-85,262,01,A5B1,2F0C1A3,22,29,NOCONN"}},
    ShapeCase{"cinterion_2g", "cinterion", "", TSimRat::Gsm, "AT^SMONI", {"^SMONI: 2G,71,-61,262,01,A5B1,3C4D,33,33,3,6,G,NOCONN"}},
    ShapeCase{"cinterion_search", "cinterion", "", TSimRat::Umts, "AT^SMONI", {"^SMONI: 3G,SEARCH"}, false},
    ShapeCase{"telit_lte", "telit", "", TSimRat::Lte, "AT#RFSTS?", {R"(#RFSTS: "262 01",6300,-95,-65,-11,A5B1,FF,,128,19,0,1A2D101,"262011234567890","Telekom.de",3,20,720,3240,90)"}},
    ShapeCase{"telit_umts", "telit", "", TSimRat::Umts, "AT#RFSTS?", {R"(#RFSTS: "262 01",10688,286,-7.5,-85,-78,A5B1,FF,-10,128,19,0,0,0,2F0C1A3,"262011234567890","Telekom.de",3,0)"}},
    ShapeCase{"telit_gsm", "telit", "", TSimRat::Gsm, "AT#RFSTS?", {R"(#RFSTS: "262 01",27,-72,A5B1,FF,0,19,0,1,3C4D,"262011234567890","Telekom.de",3,3)"}},
    // Out of service the LTE layout with its values left empty.
    ShapeCase{"telit_search", "telit", "", TSimRat::Lte, "AT#RFSTS?", {R"(#RFSTS: "",,,,,,,,,,,,"262011234567890","",0,,,,)"}, false},
    ShapeCase{"sierra_lte", "sierra", "", TSimRat::Lte, "AT!GSTATUS?", {"!GSTATUS:", "Current Time:  4946\t\tTemperature: 37",
        "System mode:   LTE        \tPS state:    Attached", "LTE band:      B20     \t\tLTE bw:      10 MHz",
        "LTE Rx chan:   6300\t\tLTE Tx chan: 24300", "LTE CA state:  ACTIVE\t\tLTE Scell band:B12", "LTE Scell bw:10 MHz\t\tLTE Scell chan:5110",
        "PCC RxM RSSI:  -65\t\tRSRP (dBm):  -95", "PCC RxD RSSI:  -67\t\tRSRP (dBm):  -97",
        "SCC RxM RSSI:  -52\t\tRSRP (dBm):  -83", "SCC RxD RSSI:  -51\t\tRSRP (dBm):  -81",
        "Tx Power:      ---\t\tTAC:         A5B1 (42417)", "RSRQ (dB):     -11.0\t\tCell ID:     01A2D101 (27447553)", "SINR (dB):      8.0"}},
    // Carrier aggregation: RG50xQ&RM5xxQ Series AT Commands Manual, AT+QCAINFO (the RM520N's long
    // NR lines and the EG06's LTE lines as captured); u-blox LARA-R6 and SARA-R5
    // AT commands manuals, +UCGED (mode 2; the LARA-R6 examples with identities, areas and the
    // M-TMSI that show they are hex).
    ShapeCase{"quectel_qcainfo_lte", "quectel", "RM500Q-GL", TSimRat::Lte, "AT+QCAINFO", {R"(+QCAINFO: "PCC",1300,100,"LTE BAND 3",1,123,-92,-10,-63,14)",
        R"(+QCAINFO: "SCC",3350,100,"LTE BAND 7",2,124,-99,-12,-70,8,0,-,-)"}},
    ShapeCase{"quectel_qcainfo_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, "AT+QCAINFO", {R"(+QCAINFO: "PCC",1300,100,"LTE BAND 3",1,123,-92,-10,-63,14)",
        R"(+QCAINFO: "SCC",3350,100,"LTE BAND 7",2,124,-99,-12,-70,8,0,-,-)", R"(+QCAINFO: "SCC",643296,12,"NR5G BAND 78",501)"}},
    ShapeCase{"quectel_qcainfo_nsa_long", "quectel", "RM520N-GL", TSimRat::LteNr, "AT+QCAINFO", {R"(+QCAINFO: "PCC",1300,100,"LTE BAND 3",1,123,-92,-10,-63,14)",
        R"(+QCAINFO: "SCC",3350,100,"LTE BAND 7",2,124,-99,-12,-70,8,0,-,-)", R"(+QCAINFO: "SCC",643296,12,"NR5G BAND 78",501,-88,-11,18)"}},
    ShapeCase{"quectel_qcainfo_sa", "quectel", "RM500Q-GL", TSimRat::NrSa, "AT+QCAINFO", {R"(+QCAINFO: "PCC",643296,12,"NR5G BAND 78",301,-86,-11,15)",
        R"(+QCAINFO: "SCC",158200,1,"NR5G BAND 28",2,302,0,-,-)"}},
    ShapeCase{"quectel_qcainfo_sa_long", "quectel", "RM520N-GL", TSimRat::NrSa, "AT+QCAINFO", {R"(+QCAINFO: "PCC",643296,12,"NR5G BAND 78",301,-86,-11,15)",
        R"(+QCAINFO: "SCC",158200,1,"NR5G BAND 28",2,302,0,-,-,-90,-12,10)"}},
    ShapeCase{"quectel_qcainfo_lte_a", "quectel", "EG06-E", TSimRat::Lte, "AT+QCAINFO", {R"(+QCAINFO: "PCC",476,50,"LTE BAND 1",1,189,-104,-9,-77,18)",
        R"(+QCAINFO: "SCC",6200,50,"LTE BAND 20",2,21,-88,-10,-59,13)"}},
    ShapeCase{"quectel_qcainfo_umts", "quectel", "RM500Q-GL", TSimRat::Umts, "AT+QCAINFO", {}},
    ShapeCase{"ublox_lte", "ublox", "LARA-R6001D", TSimRat::Lte, "AT+UCGED?", {"+UCGED: 2", "4,0,001,01",
        "2525,5,25,50,2b67,69f6bc7,111,d60814d1,ffff,ff,67,19,0.00,255,255,255,67,11,255,0,255,255,0,0"}},
    ShapeCase{"ublox_umts", "ublox", "LARA-R6001D", TSimRat::Umts, "AT+UCGED?", {"+UCGED: 2", "3,4,001,01", "4400,5,2f0c1a3,a5b1,80,9,4,62,42,255"}},
    ShapeCase{"ublox_gsm", "ublox", "LARA-R6001D", TSimRat::Gsm, "AT+UCGED?", {"+UCGED: 2", "2,222,1", "1009,0,526f,11,d5bd,00,36,-1,30,30,1,1"}},
    ShapeCase{"ublox_sara_r5", "ublox", "SARA-R510M8S", TSimRat::Lte, "AT+UCGED?", {"+UCGED: 2", "6,4,001,01",
        "2525,5,50,50,e8fe,1a2d001,1,d60814d1,8001,01,28,31,13.75,3,1,10,28,-50,-6,0,255,255,0,0"}},
    ShapeCase{"ublox_sara_r5_on_umts", "ublox", "SARA-R510M8S", TSimRat::Umts, "AT+UCGED?", {"+UCGED: 2", "6,2,fff,fff"}},
    ShapeCase{"ublox_search", "ublox", "LARA-R6001D", TSimRat::Lte, "AT+UCGED?", {"+UCGED: 2", "4,2,fff,fff"}, false},
    // On WCDMA and GSM the channel, LAC and cell instead of the LTE lines.
    ShapeCase{"sierra_umts", "sierra", "", TSimRat::Umts, "AT!GSTATUS?", {"!GSTATUS:", "Current Time:  4946\t\tTemperature: 37",
        "System mode:   WCDMA\t\tPS state:    Attached", "WCDMA channel: 10688\t\tLAC:         A5B1 (42417)", "Cell ID:       02F0C1A3 (49332643)"}},
    ShapeCase{"sierra_gsm", "sierra", "", TSimRat::Gsm, "AT!GSTATUS?", {"!GSTATUS:", "Current Time:  4946\t\tTemperature: 37",
        "System mode:   GSM\t\tPS state:    Attached", "GSM channel:   71\t\tLAC:         A5B1 (42417)", "Cell ID:       3C4D (15437)"}},
    ShapeCase{"sierra_search", "sierra", "", TSimRat::Lte, "AT!GSTATUS?", {"!GSTATUS:", "Current Time:  4946\t\tTemperature: 37",
        "System mode:   No service\t\tPS state:    Not attached"}, false},
    ShapeCase{"cereg_on_lte", "3gpp", "", TSimRat::Lte, "AT+CEREG=2;+CEREG?", {R"(+CEREG: 2,5,"A5B1","01A2D101",7)"}},
    ShapeCase{"c5greg_on_sa", "3gpp", "", TSimRat::NrSa, "AT+C5GREG=2;+C5GREG?", {R"(+C5GREG: 2,5,"A5B1C2","0701A2D101",11)"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// One reply line exactly: the marks for what a technology does not measure, the modules'
// habits, the <AcT> of 27.007 7.3.
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
    for (const TSimOperator& op : SimOperators())
        h.modem.Network().SetOutage(op, c.service ? 0 : 3600);
    h.Run(3000);
    const Lines got = Info(h, c.command);
    ASSERT_EQ(got.size(), 1u) << ::testing::PrintToString(got);
    EXPECT_TRUE(std::regex_match(got[0], std::regex(c.pattern))) << got[0];
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Dialects, SimDialectMarkTest, ::testing::Values(
    // 27.007 8.69: 99 and 255 for what the serving technology lacks; Rel-15 adds NR.
    MarkCase{"cesq_gsm", "3gpp", "LTE modem", TSimRat::Gsm, true, "AT+CESQ", R"(\+CESQ: \d+,[0-7],255,255,255,255)"},
    MarkCase{"cesq_rel15_on_lte", "3gpp", "", TSimRat::Lte, true, "AT+CESQ", R"(\+CESQ: 99,99,255,255,\d+,\d+,255,255,255)"},
    MarkCase{"cesq_no_service", "3gpp", "", TSimRat::Lte, false, "AT+CESQ", R"(\+CESQ: 99,99,255,255,255,255,255,255,255)"},
    MarkCase{"cesq_lte_module", "quectel", "EG25", TSimRat::Lte, true, "AT+CESQ", R"(\+CESQ: 99,99,255,255,\d+,\d+)"},
    // 27.007 10.1.22 / 10.1.23: not on that system, not registered there.
    MarkCase{"cereg_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CEREG=2;+CEREG?", R"(\+CEREG: 2,0)"},
    MarkCase{"c5greg_on_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, true, "AT+C5GREG=2;+C5GREG?", R"(\+C5GREG: 2,0)"},
    MarkCase{"cereg_searching", "3gpp", "", TSimRat::Lte, false, "AT+CEREG?", R"(\+CEREG: 0,2)"},
    // Quectel: +CSQ 99,99 while LTE serves, a level on UMTS; others give LTE's RSSI.
    // RM5xx firmware drops the LTE RSSI's sign (RSRP and RSRQ keep theirs); the EG25 writes it.
    MarkCase{"rm5xx_rssi_sign", "quectel", "RM500Q-GL", TSimRat::Lte, true, kQeng, R"(\+QENG: "servingcell","NOCONN","LTE","FDD",([^,]+,){9}-\d+,-\d+,\d+,.*)"},
    MarkCase{"eg25_rssi_sign", "quectel", "EG25", TSimRat::Lte, true, kQeng, R"(\+QENG: "servingcell","NOCONN","LTE","FDD",([^,]+,){9}-\d+,-\d+,-\d+,.*)"},
    MarkCase{"quectel_csq_on_lte", "quectel", "EG25", TSimRat::Lte, true, "AT+CSQ", R"(\+CSQ: 99,99)"},
    MarkCase{"quectel_csq_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CSQ", R"(\+CSQ: ([0-9]|[12][0-9]|3[01]),99)"},
    MarkCase{"simcom_csq_on_lte", "simcom", "", TSimRat::Lte, true, "AT+CSQ", R"(\+CSQ: ([0-9]|[12][0-9]|3[01]),99)"},
    MarkCase{"csq_search", "huawei", "", TSimRat::Lte, false, "AT+CSQ", R"(\+CSQ: 99,99)"},
    // LTE alone is no circuit-switched registration; modems with a combined attach say so.
    MarkCase{"quectel_creg_on_lte", "quectel", "EG25", TSimRat::Lte, true, "AT+CREG?", R"(\+CREG: 0,0)"},
    MarkCase{"3gpp_creg_on_lte", "3gpp", "", TSimRat::Lte, true, "AT+CREG=2;+CREG?", R"(\+CREG: 2,0)"},
    MarkCase{"quectel_creg_on_umts", "quectel", "EG25", TSimRat::Umts, true, "AT+CREG=2;+CREG?", R"(\+CREG: 2,1,"[0-9A-F]{4}","[0-9A-F]{8}",2)"},
    MarkCase{"simcom_creg_on_lte", "simcom", "", TSimRat::Lte, true, "AT+CREG=2;+CREG?", R"(\+CREG: 2,1,"[0-9A-F]{4}","[0-9A-F]{8}",7)"},
    // 27.007 7.3 <AcT>: a module without NR on an EN-DC anchor is on plain E-UTRAN.
    MarkCase{"cops_act_nsa_without_nr", "huawei", "", TSimRat::LteNr, true, "AT+COPS?", R"(\+COPS: 0,0,"[^"]+",7)"},
    MarkCase{"cops_act_sa", "3gpp", "", TSimRat::NrSa, true, "AT+COPS?", R"(\+COPS: 0,0,"[^"]+",11)"},
    MarkCase{"cops_gsm_dialect_has_no_act", "gsm", "", TSimRat::Lte, true, "AT+COPS?", R"(\+COPS: 0,0,"[^"]+")"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(SimDialectTest, CommandsOfOtherDialectsAnswerError) {
    const std::pair<const char*, const char*> cases[] = {
        {"gsm", "AT+CESQ"},
        {"gsm", "AT+CEREG?"},
        {"gsm", "AT+QENG=\"servingcell\""},
        {"3gpp", "AT^MONI"},
        {"3gpp", "AT^MONP"},
        {"3gpp", "AT+CPSI?"},
        {"quectel", "AT^MONI"},
        {"quectel", "AT+QENG=\"bogus\""},
        {"quectel", "AT+C5GREG?"}, // the EG25 is an LTE module: no 5GS registration
        {"simcom", "AT^HCSQ?"},
        {"simcom", "AT+CPSI"},
        {"huawei", "AT^SMONI"},
        {"huawei", "AT^HCSQ"},
        {"cinterion", "AT^MONI"},
        {"cinterion", "AT^MONP"},
        {"telit", "AT#RFSTS"},
        {"telit", "AT!GSTATUS?"},
        {"sierra", "AT#RFSTS?"},
        // The Siemens-type modem never parsed "#" or "!": the whole line is refused.
        {"gsm", "AT+CSQ;#RFSTS?"},
        {"gsm", "AT!GSTATUS?"},
    };
    for (const auto& [dialect, command] : cases) {
        SimHarness h(DialectOptions(dialect, "", {}));
        EXPECT_EQ(h.Command(std::string(command) + "\r"), Lines{"ERROR"})
            << dialect << " " << command;
    }
}

// The cell the program should read: the world's serving cell (on NSA the anchor) or NR leg.
TRadioCell WorldCell(const TSimNetwork& n, bool leg) {
    TRadioCell w;
    if (n.Technology() == TSimRat::Gsm) {
        const TSimCellReport g = *n.Serving();
        w.Tech = TAccessTech::Gsm;
        w.Channel = g.Channel;
        w.Band = g.Channel >= 512 && g.Channel <= 885 ? 1800 : 900;
        w.PhysicalId = g.Ncc * 8 + g.Bcc;
        w.AreaCode = g.Lac;
        w.CellId = g.CellId;
        w.Rssi = g.Dbm;
        return w;
    }
    const TSimRadioCell c = leg ? *n.NrLeg() : *n.RadioServing();
    w.Tech = c.Rat == TSimRat::Umts  ? TAccessTech::Umts
             : c.Rat == TSimRat::Lte ? TAccessTech::Lte
             : leg                   ? TAccessTech::NrNsa
                                     : TAccessTech::NrSa;
    w.Channel = c.Channel;
    w.Band = c.Band;
    w.PhysicalId = c.Pci;
    w.AreaCode = c.Area;
    w.CellId = c.CellId;
    if (c.Rat == TSimRat::Umts) {
        w.Rscp = c.Rscp;
        w.EcIo = c.EcIo2 / 2.0;
    } else {
        w.Rsrp = c.Rsrp;
        w.Rsrq = c.Rsrq;
        w.Sinr = c.Sinr;
    }
    w.Rssi = c.Rssi;
    return w;
}

// Every value the program's parser read is the world's (Ec/Io within `ecio`: Quectel writes
// whole dB), and the level of the technology is there.
void ExpectReadAsTheWorldIs(const TRadioCell& got, const TRadioCell& world, const std::string& what,
                            double ecio = 0) {
    EXPECT_EQ(got.Tech, world.Tech) << what;
    const auto same = [&](const auto& g, const auto& w, double tolerance, const char* name) {
        if (g) {
            EXPECT_NEAR(static_cast<double>(*g), static_cast<double>(*w), tolerance + 1e-9)
                << what << name;
        }
    };
    same(got.Channel, world.Channel, 0, " channel");
    same(got.Band, world.Band, 0, " band");
    same(got.PhysicalId, world.PhysicalId, 0, " physical id");
    same(got.AreaCode, world.AreaCode, 0, " area");
    same(got.CellId, world.CellId, 0, " cell id");
    for (auto [g, w, name] : {std::tuple{&got.Rssi, &world.Rssi, " RSSI"},
                              {&got.Rscp, &world.Rscp, " RSCP"},
                              {&got.EcIo, &world.EcIo, " Ec/Io"},
                              {&got.Rsrp, &world.Rsrp, " RSRP"},
                              {&got.Rsrq, &world.Rsrq, " RSRQ"},
                              {&got.Sinr, &world.Sinr, " SINR"}}) {
        ASSERT_TRUE(!*g || *w) << what << name << " read where the technology has none";
        same(*g, *w, g == &got.EcIo ? ecio : 0, name);
    }
    EXPECT_TRUE(world.Tech == TAccessTech::Gsm    ? got.Rssi.has_value()
                : world.Tech == TAccessTech::Umts ? got.Rscp.has_value()
                                                  : got.Rsrp.has_value())
        << what << " level";
}

// The replies read back by the program's own radio queries (modem/RadioDialect), chosen by
// the +CGMI / +CGMM the modem gives: in every dialect and technology, over two minutes of
// drift, the program sees the world as it is.
TEST(SimDialectTest, ProgramReadsTheWorldFromEveryDialect) {
    const std::pair<const char*, const char*> modems[] = {{"3gpp", ""},
                                                          {"quectel", "EG25"},
                                                          {"quectel", "RM500Q-GL"},
                                                          {"simcom", ""},
                                                          {"simcom", "SIMCOM_SIM8262E-M2"},
                                                          {"huawei", ""},
                                                          {"cinterion", ""},
                                                          {"telit", ""},
                                                          {"sierra", ""},
                                                          {"fibocom", ""},
                                                          {"fibocom", "FM160-CN"},
                                                          {"ublox", ""}};
    int nsaLegs = 0;
    for (const auto& [dialect, model] : modems) {
        for (TSimRat rat :
             {TSimRat::Gsm, TSimRat::Umts, TSimRat::Lte, TSimRat::LteNr, TSimRat::NrSa}) {
            SimHarness h(DialectOptions(dialect, model, {{rat, 3600}}, 12));
            const auto queries =
                RadioQueriesFor(Info(h, "AT+CGMI").at(0), Info(h, "AT+CGMM").at(0));
            for (int i = 0; i < 8; ++i) {
                // Just past the world's step, so that one cycle's replies tell one moment.
                h.Run(15000 - h.now % 1000 + 10);
                TModemStatus status;
                for (const TRadioQuery& q : queries)
                    q.Parse(Info(h, q.Command), status);
                const TSimNetwork& n = h.modem.Network();
                if (!n.Serving())
                    continue;
                const std::string what = std::string(dialect) + " " + model + " " +
                                         AccessTechName(WorldCell(n, false).Tech) + " at " +
                                         std::to_string(i);
                ExpectReadAsTheWorldIs(status.Radio.Serving, WorldCell(n, false), what,
                                       std::string(dialect) == "quectel" ? 0.5 : 0);
                ASSERT_EQ(status.Radio.NrLeg.has_value(), n.NrLeg().has_value()) << what;
                if (n.NrLeg()) {
                    ++nsaLegs;
                    ExpectReadAsTheWorldIs(*status.Radio.NrLeg, WorldCell(n, true), what + " leg");
                }
            }
        }
    }
    EXPECT_GT(nsaLegs, 10);
}

// The NR leg comes and goes with its level: while it is gone the NSA reply has no NR line and
// +CESQ's NR fields are 255, the anchor still measured, the <AcT> still EN-DC's.
TEST(SimDialectTest, LostNrLegLeavesOnlyTheAnchor) {
    SimHarness h(DialectOptions("quectel", "RM500Q-GL", {{TSimRat::LteNr, 36000}}, 3));
    std::set<bool> seen;
    for (int second = 0; second < 4 * 3600 && seen.size() < 2; ++second) {
        h.Run(1000);
        const bool leg = h.modem.Network().NrLeg().has_value();
        if (h.modem.Network().RegState() != 1 || !seen.insert(leg).second)
            continue;
        const Lines qeng = Info(h, kQeng);
        const auto cesq = Fields(Info(h, "AT+CESQ").at(0), 0);
        ASSERT_EQ(qeng.size(), leg ? 3u : 2u) << ::testing::PrintToString(qeng);
        EXPECT_EQ(qeng.back().rfind("+QENG: \"NR5G-NSA\"", 0) == 0, leg);
        ASSERT_EQ(cesq.size(), 9u);
        EXPECT_EQ(cesq[7] == "255", !leg);
        EXPECT_NE(cesq[5], "255");
        EXPECT_TRUE(Info(h, "AT+COPS?").at(0).ends_with(",13"));
    }
    EXPECT_EQ(seen.size(), 2u);
}

TEST(SimDialectTest, NeighbourListsHaveTheManualsLayouts) {
    // Quectel manuals, AT+QENG="neighbourcell" (the GSM row written from its parameter list);
    // ELS61-E AT Command Set, ^SMONP (rows written from its parameter lists): each row must be
    // laid out as one of its kind, every kind of the serving technology must come.
    const Lines quectel = {
        R"(+QENG: "neighbourcell intra","LTE",6300,124,-14,-104,-73,2,22,3,62,10,62)",
        R"(+QENG: "neighbourcell inter","LTE",1300,55,-12,-99,-70,-,30,5,8,8)",
        R"(+QENG: "neighbourcell","WCDMA",10688,0,4,2,286,-88,-9,22)",
        R"(+QENG: "neighbourcell","GSM",71,0,0,0,255,0,27,-72,34)"};
    const Lines cinterion = {"2G:", "71,43,-67,262,01,3,3,38,38,A5B1,3C4D",
                             "3G:", "10688,286,-7.5,-85,22,29",
                             "4G:", "6300,-11.0,-95,33,123,A5B1"};
    const auto kindOf = [](const std::string& row, const Lines& examples) {
        auto e = std::find(examples.begin(), examples.end(), row); // a heading as it is
        if (e == examples.end())
            e = std::find_if(examples.begin(), examples.end(),
                             [&](const std::string& x) { return HasLayoutOf(row, x); });
        return e == examples.end() ? -1 : static_cast<int>(e - examples.begin());
    };
    const std::pair<TSimRat, std::set<int>> cases[] = {
        {TSimRat::Lte, {1, 2}}, {TSimRat::Umts, {1, 2}}, {TSimRat::Gsm, {3}}};
    for (const auto& [rat, wanted] : cases) {
        SimHarness q(DialectOptions("quectel", "EG25", {{rat, 3600}}, 4));
        SimHarness c(DialectOptions("cinterion", "", {{rat, 3600}}, 4));
        std::set<int> kinds;
        for (int i = 0; i < 20; ++i) {
            q.Run(6000);
            c.Run(6000);
            const Lines rows = Info(q, "AT+QENG=\"neighbourcell\"");
            EXPECT_LE(rows.size(), 6u);
            for (const std::string& r : rows)
                EXPECT_GE(*kinds.insert(kindOf(r, quectel)).first, 0) << r;
            int section = -1; // rows follow their heading: 2G, 3G, 4G in this order
            for (const std::string& r : Info(c, "AT^SMONP")) {
                const int at = kindOf(r, cinterion);
                EXPECT_TRUE(at >= 0 && (at % 2 == 0 ? at > section : at == section + 1)) << r;
                section = at % 2 == 0 ? at : section;
            }
            EXPECT_EQ(section, 4) << "the 4G heading comes";
        }
        EXPECT_TRUE(std::includes(kinds.begin(), kinds.end(), wanted.begin(), wanted.end()));
    }
}

// A dialect's dialogue is as deterministic as the GSM one, and the split fault cuts its
// replies without changing them.
TEST(SimDialectTest, SameSeedSameRepliesAndSplitRepliesJoinUp) {
    const auto script = [](SimHarness& h) {
        for (int i = 0; i < 50; ++i) {
            h.Send("AT+CSQ;+COPS?;+CREG?;+CPAS;+CESQ;+CEREG?;+C5GREG?\r");
            h.Run(500, 1);
            h.Send("AT+QENG=\"servingcell\";+QENG=\"neighbourcell\";+QCAINFO\r");
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
    EXPECT_GT(Count(lines, "+QCAINFO: \"SCC\",6"), 5) << "the n78 leg among the carriers";
}

} // namespace
} // namespace celdara::test
