// The radio world beyond GSM: cells on the European allocations with identities of the
// right widths, levels in the measurement ranges, the timetable of the technologies (the
// built-in LTE device's above all), and a GSM world that stays what it was for a seed.
#include "SimHarness.h"
#include "simulator/SimSerialDevice.h"

#include <gtest/gtest.h>
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

// What a cell must be, whatever its technology: 27.007 / 36.331 / 38.331 widths and the
// measurement ranges of 36.133 / 25.133 / 38.133.
void ExpectValidCell(const TSimRadioCell& c, const TSimOperator& op, int second) {
    SCOPED_TRACE("second " + std::to_string(second));
    EXPECT_TRUE(OnItsBand(c)) << c.Band << " " << c.Channel;
    EXPECT_EQ(std::to_string(c.Mcc * 100 + c.Mnc), op.Code);
    switch (c.Rat) {
    case TSimRat::Umts:
        EXPECT_TRUE(c.Pci >= 0 && c.Pci <= 511);
        EXPECT_TRUE(c.Area > 0 && c.Area <= 0xFFFF);
        EXPECT_TRUE(c.CellId > 0xFFFF && c.CellId < (1 << 28)) << "RNC and cell";
        EXPECT_TRUE(c.Rscp >= -120 && c.Rscp <= -25) << c.Rscp;
        EXPECT_TRUE(c.EcIo2 >= -48 && c.EcIo2 <= 0) << c.EcIo2;
        EXPECT_EQ(c.Rssi, std::max(-113, c.Rscp - c.EcIo2 / 2)) << "RSSI = RSCP - Ec/Io";
        break;
    case TSimRat::Lte:
        EXPECT_TRUE(c.Pci >= 0 && c.Pci <= 503);
        EXPECT_TRUE(c.Area > 0 && c.Area <= 0xFFFF);
        EXPECT_TRUE(c.CellId < (1 << 28));
        EXPECT_GE(c.CellId >> 8, 0x10000) << "an eNodeB number in the upper 20 bits";
        EXPECT_TRUE(c.Rsrp >= -140 && c.Rsrp <= -44) << c.Rsrp;
        EXPECT_TRUE(c.Rsrq >= -20 && c.Rsrq <= -3) << c.Rsrq;
        EXPECT_TRUE(c.Sinr >= -20 && c.Sinr <= 30) << c.Sinr;
        EXPECT_GT(c.Rssi, c.Rsrp) << "the carrier carries more than one resource element";
        break;
    default:
        EXPECT_TRUE(c.Pci >= 0 && c.Pci <= 1007);
        EXPECT_TRUE(c.Area > 0xFFFF && c.Area <= 0xFFFFFF) << "a 24-bit TAC";
        EXPECT_TRUE(c.CellId >= (1ll << 32) && c.CellId < (1ll << 36)) << "a 36-bit NCI";
        EXPECT_TRUE(c.Rsrp >= -140 && c.Rsrp <= -44) << c.Rsrp;
        break;
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
        for (std::size_t i = 0; i < neighbours.size(); ++i) {
            ExpectValidCell(neighbours[i], *op, second);
            EXPECT_NE(neighbours[i].CellId, serving->CellId);
            const auto& prev = neighbours[i - (i > 0 ? 1 : 0)];
            if (i > 0 && prev.Rat == neighbours[i].Rat && prev.Rat == TSimRat::Lte) {
                EXPECT_LE(neighbours[i].Rsrp, prev.Rsrp) << "strongest first";
            }
        }
        EXPECT_EQ(net.EpsRegState(),
                  rat == TSimRat::Lte || rat == TSimRat::LteNr ? net.RegState() : 0);
        EXPECT_EQ(net.NrRegState(), 0) << "no NR SA on this timetable";
    }
    EXPECT_EQ(seen, (std::set<TSimRat>{TSimRat::Lte, TSimRat::LteNr, TSimRat::Umts}));
    EXPECT_GT(servingCells.size(), 20u) << "the user moves: cells change";
    EXPECT_GT(rsrps.size(), 30u) << "levels drift";
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

TEST(SimRadioWorldTest, SameSeedSameRadio) {
    TSimNetwork a(5), b(5), c(6);
    for (TSimNetwork* n : {&a, &b, &c})
        n->SetRadioPlan(SimLteTimetable(), 0, true);
    bool differs = false;
    for (int second = 0; second < 3600; ++second) {
        for (TSimNetwork* n : {&a, &b, &c})
            n->Step();
        ASSERT_EQ(a.RadioServing(), b.RadioServing());
        ASSERT_EQ(a.NrLeg(), b.NrLeg());
        ASSERT_EQ(a.RadioNeighbours(), b.RadioNeighbours());
        differs = differs || a.RadioServing() != c.RadioServing();
    }
    EXPECT_TRUE(differs);
}

// What the LTE device says about its technology at a moment: the <AcT> of +COPS and the
// kinds of its QENG lines.
std::string Snapshot(SimHarness& h) {
    const Lines cops = h.Command("AT+COPS?\r");
    const Lines qeng = h.Command("AT+QENG=\"servingcell\"\r");
    std::string s = cops.empty() ? "?" : cops[0].substr(cops[0].rfind(',') + 1);
    for (const std::string& l : qeng) {
        for (const char* kind : {"\"LTE\"", "\"NR5G-NSA\"", "\"WCDMA\""}) {
            if (l.find(kind) != std::string::npos)
                s += " " + std::string(kind);
        }
        // The EN-DC anchor is on band 3: EARFCN, then the band field.
        if (l.rfind("+QENG: \"LTE\"", 0) == 0)
            s += l.find(",1300,3,") != std::string::npos || l.find(",1801,3,") != std::string::npos
                     ? "@B3"
                     : "@?";
    }
    return s;
}

struct MomentCase {
    int atMs;
    const char* snapshot;
};

TEST(SimRadioWorldTest, LteDeviceGoesThroughNsaAndUmtsOnItsTimetable) {
    TSimModemOptions o = SimDeviceOptions(kLteVirtualModemPort);
    o.Echo = false;
    SimHarness h(o);
    ASSERT_EQ(h.Command("AT+CGMM\r"), (Lines{"RM500Q-GL", "OK"}));
    const MomentCase moments[] = {
        {1500, "7 \"LTE\""},
        {24500, "7 \"LTE\""},
        {25500, "13 \"LTE\"@B3 \"NR5G-NSA\""},
        {54500, "13 \"LTE\"@B3 \"NR5G-NSA\""},
        {55500, "2 \"WCDMA\""},
        {74500, "2 \"WCDMA\""},
        {75500, "7 \"LTE\""}, // back to LTE, and the cycle starts over
        {100500, "13 \"LTE\"@B3 \"NR5G-NSA\""},
    };
    for (const MomentCase& m : moments) {
        h.Run(static_cast<Tick>(m.atMs - static_cast<int>(h.now - 1000)));
        EXPECT_EQ(Snapshot(h), m.snapshot) << "at " << m.atMs << " ms";
    }
}

TEST(SimRadioWorldTest, TimetableCanStartAnywhereAndBeChosen) {
    TSimModemOptions late = SimDeviceOptions(kLteVirtualModemPort);
    late.Echo = false;
    late.PhaseOffset = 55;
    SimHarness atUmts(late);
    EXPECT_EQ(Snapshot(atUmts), "2 \"WCDMA\"") << "the coverage hole at once";

    TSimModemOptions own = late;
    own.PhaseOffset = 0;
    ASSERT_TRUE([&] {
        std::string message;
        return ParseSimTimetable("umts:3,nsa:4", own.Phases, message);
    }());
    SimHarness chosen(own);
    EXPECT_EQ(Snapshot(chosen), "2 \"WCDMA\"");
    chosen.Run(3000);
    EXPECT_EQ(Snapshot(chosen), "13 \"LTE\"@B3 \"NR5G-NSA\"");
    chosen.Run(4000);
    EXPECT_EQ(Snapshot(chosen), "2 \"WCDMA\"");
}

struct TimetableTextCase {
    const char* text;
    bool ok;
    std::vector<TSimRadioPhase> phases;
};

TEST(SimRadioWorldTest, TimetableTextsAreChecked) {
    const TimetableTextCase cases[] = {
        {"lte:25,nsa:30,umts:20", true, SimLteTimetable()},
        {"sa:1", true, {{TSimRat::NrSa, 1}}},
        {"gsm:86400,lte:7", true, {{TSimRat::Gsm, 86400}, {TSimRat::Lte, 7}}},
        {"", false, {}},
        {"lte", false, {}},
        {"lte:", false, {}},
        {"lte:0", false, {}},
        {"lte:-5", false, {}},
        {"lte:86401", false, {}},
        {"lte:99999999999", false, {}},
        {"5g:10", false, {}},
        {"LTE:10", false, {}},
        {"lte:10,", false, {}},
        {"lte:10,,umts:5", false, {}},
        {"lte:1x", false, {}},
    };
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
