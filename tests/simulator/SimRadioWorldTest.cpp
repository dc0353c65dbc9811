// The radio world beyond GSM: cells on the European allocations with identities of the
// right widths, levels in the measurement ranges, the timetable of the technologies (the
// built-in LTE device's above all), and a GSM world that stays what it was for a seed.
#include "SimHarness.h"
#include "simulator/SimSerialDevice.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;

// Downlink channel numbers of the bands, 3GPP TS 36.101 5.7.3 (EARFCN), TS 25.101 5.4.4
// (UARFCN), TS 38.104 5.4.2.3 (NR-ARFCN).
struct BandRange {
    TSimRat rat;
    int band;
    int first;
    int last;
};
constexpr BandRange kBands[] = {
    {TSimRat::Lte, 1, 0, 599},           {TSimRat::Lte, 3, 1200, 1949},
    {TSimRat::Lte, 7, 2750, 3449},       {TSimRat::Lte, 20, 6150, 6449},
    {TSimRat::Umts, 1, 10562, 10838},    {TSimRat::Umts, 8, 2937, 3088},
    {TSimRat::NrSa, 78, 620000, 653333}, {TSimRat::NrSa, 28, 151600, 160600},
};

bool OnItsBand(const TSimRadioCell& c) {
    for (const BandRange& b : kBands) {
        if (b.rat == c.Rat && b.band == c.Band)
            return c.Channel >= b.first && c.Channel <= b.last;
    }
    return false;
}

// What a cell must be: on its band, of its operator, identities of the widths of 25.331 /
// 36.331 / 38.331, levels in the measurement ranges of 25.133 / 36.133 / 38.133.
void ExpectValidCell(const TSimRadioCell& c, const TSimOperator& op, int second) {
    SCOPED_TRACE("second " + std::to_string(second));
    EXPECT_TRUE(OnItsBand(c)) << c.Band << " " << c.Channel;
    EXPECT_EQ(std::to_string(c.Mcc * 100 + c.Mnc), op.Code);
    const std::int64_t id = c.CellId;
    if (c.Rat == TSimRat::Umts) {
        EXPECT_TRUE(c.Pci <= 511 && c.Area > 0 && c.Area <= 0xFFFF);
        EXPECT_TRUE(id > 0xFFFF && id < (1 << 28)) << "RNC and cell";
        EXPECT_TRUE(c.Rscp >= -120 && c.Rscp <= -25 && c.EcIo2 >= -48 && c.EcIo2 <= 0);
        return;
    }
    EXPECT_TRUE(c.Rsrp >= -140 && c.Rsrp <= -44) << c.Rsrp;
    if (c.Rat == TSimRat::Lte) {
        EXPECT_TRUE(c.Pci <= 503 && c.Area > 0 && c.Area <= 0xFFFF);
        EXPECT_TRUE(id < (1 << 28) && (id >> 8) >= 0x10000) << "eNodeB << 8 | cell";
        EXPECT_TRUE(c.Rsrq >= -20 && c.Rsrq <= -3 && c.Sinr >= -20 && c.Sinr <= 30);
        EXPECT_GT(c.Rssi, c.Rsrp) << "a carrier carries more than one resource element";
    } else {
        EXPECT_TRUE(c.Pci <= 1007 && c.Area > 0xFFFF && c.Area <= 0xFFFFFF) << "24-bit TAC";
        EXPECT_TRUE(id >= (1ll << 32) && id < (1ll << 36)) << "36-bit NCI";
    }
}

TEST(SimRadioWorldTest, ADayOfTheTimetableStaysOnTheBandsAndInRange) {
    TSimNetwork net(31);
    net.SetRadioPlan(SimLteTimetable(), 0, true);
    std::set<TSimRat> seen;
    std::set<std::int64_t> servingCells;
    std::set<int> rsrps;
    for (int second = 0; second < 24 * 3600; ++second) {
        net.Step();
        const TSimRat rat = net.Technology();
        seen.insert(rat);
        const TSimOperator* op = net.Registered();
        auto serving = net.RadioServing();
        ASSERT_EQ(serving.has_value(), net.Serving().has_value()) << second;
        if (!serving || op == nullptr)
            continue;
        ExpectValidCell(*serving, *op, second);
        ASSERT_EQ(serving->Rat, rat == TSimRat::LteNr ? TSimRat::Lte : rat);
        servingCells.insert(serving->CellId);
        if (rat == TSimRat::Lte)
            rsrps.insert(serving->Rsrp);
        if (rat == TSimRat::LteNr) {
            EXPECT_EQ(serving->Band, 3) << "the EN-DC anchor";
            if (auto leg = net.NrLeg()) {
                ExpectValidCell(*leg, *op, second);
                EXPECT_EQ(leg->Band, 78);
            }
        } else {
            EXPECT_FALSE(net.NrLeg().has_value());
        }
        const auto neighbours = net.RadioNeighbours();
        ASSERT_LE(neighbours.size(), 6u);
        for (const TSimRadioCell& n : neighbours) {
            ExpectValidCell(n, *op, second);
            EXPECT_NE(n.CellId, serving->CellId);
        }
    }
    EXPECT_EQ(seen, (std::set<TSimRat>{TSimRat::Lte, TSimRat::LteNr, TSimRat::Umts}));
    EXPECT_GT(servingCells.size(), 20u) << "the user moves: cells change";
    EXPECT_GT(rsrps.size(), 30u) << "levels drift";
}

struct CarrierPhaseCase {
    TSimRat phase;
    int primaryBand; // 0: no carriers at all
    int secondaryBand;
    bool leg; // the NR leg of EN-DC comes last while it is up
};

// The operators aggregate on the timetable: LTE-A is band 3 with band 7, EN-DC adds the n78
// leg, SA runs n78 with n28; UMTS and GSM have no carriers. The secondary cell is configured
// while it is heard well, most of the time.
TEST(SimRadioWorldTest, CarriersOfEachPhase) {
    const CarrierPhaseCase cases[] = {{TSimRat::Lte, 3, 7, false},
                                      {TSimRat::LteNr, 3, 7, true},
                                      {TSimRat::NrSa, 78, 28, false},
                                      {TSimRat::Umts, 0, 0, false},
                                      {TSimRat::Gsm, 0, 0, false}};
    for (const CarrierPhaseCase& c : cases) {
        TSimNetwork net(17);
        net.SetRadioPlan({{c.phase, 86400}}, 0, true);
        int served = 0, secondary = 0, legs = 0;
        for (int second = 0; second < 3 * 3600; ++second) {
            net.Step();
            const auto carriers = net.Carriers();
            const TSimOperator* op = net.Registered();
            if (c.primaryBand == 0 || !net.RadioServing()) {
                ASSERT_TRUE(carriers.empty()) << second;
                continue;
            }
            ++served;
            ASSERT_FALSE(carriers.empty()) << second;
            EXPECT_EQ(carriers[0], *net.RadioServing()) << second;
            EXPECT_EQ(carriers[0].Band, c.primaryBand) << second;
            std::size_t next = 1;
            if (next < carriers.size() && carriers[next].Rat == carriers[0].Rat) {
                ++secondary;
                if (op != nullptr) // camped without a registration: no operator to match
                    ExpectValidCell(carriers[next], *op, second);
                EXPECT_EQ(carriers[next].Band, c.secondaryBand) << second;
                EXPECT_GE(carriers[next].Rsrp, -116) << "a weak secondary is deconfigured";
                ++next;
            }
            if (auto leg = net.NrLeg()) {
                ++legs;
                ASSERT_EQ(next + 1, carriers.size()) << second;
                EXPECT_EQ(carriers[next], *leg) << second;
            } else {
                EXPECT_EQ(next, carriers.size()) << second;
            }
        }
        EXPECT_EQ(served > 0, c.primaryBand != 0);
        EXPECT_EQ(secondary > served / 2, c.secondaryBand != 0);
        EXPECT_EQ(legs > 0, c.leg);
    }
}

// The technologies beyond GSM have their own random source: the GSM world of a seed, which
// the gsm dialect's byte-for-byte traffic rests on, does not notice them.
TEST(SimRadioWorldTest, GsmWorldOfASeedIsTheSameWithTheRadioPlan) {
    TSimNetwork plain(8), planned(8);
    planned.SetRadioPlan(SimLteTimetable(), 17, true);
    for (int second = 0; second < 6 * 3600; ++second) {
        plain.Step();
        planned.Step();
        ASSERT_EQ(plain.Serving(), planned.Serving()) << second;
        ASSERT_EQ(plain.Neighbours(), planned.Neighbours()) << second;
        ASSERT_EQ(plain.RegState(), planned.RegState()) << second;
        ASSERT_EQ(plain.CsqBer(), planned.CsqBer()) << second;
        ASSERT_EQ(plain.CallState(), planned.CallState()) << second;
    }
    EXPECT_EQ(plain.Technology(), TSimRat::Gsm);
    EXPECT_FALSE(plain.RadioServing().has_value());
}

// What the LTE device says of its technology: the <AcT> of +COPS, the kinds of its QENG lines
// and whether the LTE line of EN-DC is on band 3 (EARFCN, then the band field).
std::string Snapshot(SimHarness& h) {
    const Lines cops = h.Command("AT+COPS?\r");
    std::string s = cops[0].substr(cops[0].rfind(',') + 1);
    for (const std::string& l : h.Command("AT+QENG=\"servingcell\"\r")) {
        for (const char* kind : {"\"LTE\"", "\"NR5G-NSA\"", "\"WCDMA\""})
            s += l.find(kind) != std::string::npos ? " " + std::string(kind) : "";
        if (l.rfind("+QENG: \"LTE\"", 0) == 0)
            s += std::regex_search(l, std::regex(",\\d+,3,\\d,\\d,")) ? "@B3" : "@?";
    }
    return s;
}

struct MomentCase {
    const char* timetable; // empty: the device's own
    int startSeconds;
    int atMs;
    const char* snapshot;
};

TEST(SimRadioWorldTest, LteDeviceGoesThroughNsaAndUmtsOnItsTimetable) {
    // clang-format off
    const MomentCase moments[] = {
        {"", 0, 1500, "7 \"LTE\""},           {"", 0, 24500, "7 \"LTE\""},
        {"", 0, 25500, "13 \"LTE\"@B3 \"NR5G-NSA\""}, {"", 0, 54500, "13 \"LTE\"@B3 \"NR5G-NSA\""},
        {"", 0, 55500, "2 \"WCDMA\""},        {"", 0, 74500, "2 \"WCDMA\""},
        {"", 0, 75500, "7 \"LTE\""},          {"", 0, 100500, "13 \"LTE\"@B3 \"NR5G-NSA\""},
        // A start offset reaches the coverage hole at once; a timetable of one's own.
        {"", 55, 500, "2 \"WCDMA\""},         {"umts:3,nsa:4", 0, 500, "2 \"WCDMA\""},
        {"umts:3,nsa:4", 0, 3500, "13 \"LTE\"@B3 \"NR5G-NSA\""}, {"umts:3,nsa:4", 0, 7500, "2 \"WCDMA\""},
    };
    // clang-format on
    for (const MomentCase& m : moments) {
        TSimModemOptions o = SimDeviceOptions(kLteVirtualModemPort);
        o.Echo = false;
        o.PhaseOffset = m.startSeconds;
        std::string message;
        ASSERT_TRUE(!*m.timetable || ParseSimTimetable(m.timetable, o.Phases, message));
        SimHarness h(o);
        h.Run(static_cast<Tick>(m.atMs));
        EXPECT_EQ(Snapshot(h), m.snapshot) << m.timetable << " at " << m.atMs << " ms";
    }
}

struct TimetableTextCase {
    const char* text;
    bool ok;
    std::vector<TSimRadioPhase> phases;
};

TEST(SimRadioWorldTest, TimetableTextsAreChecked) {
    // clang-format off
    const TimetableTextCase cases[] = {
        {"lte:25,nsa:30,umts:20", true, SimLteTimetable()}, {"sa:1", true, {{TSimRat::NrSa, 1}}},
        {"gsm:86400,lte:7", true, {{TSimRat::Gsm, 86400}, {TSimRat::Lte, 7}}},
        {"", false, {}}, {"lte", false, {}}, {"lte:", false, {}}, {"lte:0", false, {}},
        {"lte:-5", false, {}}, {"lte:86401", false, {}}, {"lte:99999999999", false, {}},
        {"5g:10", false, {}}, {"LTE:10", false, {}}, {"lte:10,", false, {}},
        {"lte:10,,umts:5", false, {}}, {"lte:1x", false, {}},
    };
    // clang-format on
    for (const TimetableTextCase& c : cases) {
        std::vector<TSimRadioPhase> phases = {{TSimRat::Umts, 99}};
        std::string message;
        const bool ok = ParseSimTimetable(c.text, phases, message);
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
        if (ok) {
            EXPECT_EQ(phases, c.phases) << c.text;
        } else {
            EXPECT_EQ(phases, (std::vector<TSimRadioPhase>{{TSimRat::Umts, 99}})) << c.text;
            EXPECT_NE(message.find("TECH:SECONDS"), std::string::npos) << c.text;
        }
    }
}

} // namespace
} // namespace celdara::test
