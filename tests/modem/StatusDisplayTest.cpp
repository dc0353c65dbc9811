#include "modem/StatusDisplay.h"

#include "RadioSamples.h"
#include "modem/ReplyParsers.h"

#include <gtest/gtest.h>
#include <limits>

namespace celdara {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TRadioCell NrLeg() {
    TRadioCell nr;
    nr.Tech = TAccessTech::NrNsa;
    nr.Channel = 636666;
    nr.Band = 78;
    nr.PhysicalId = 501;
    nr.Rsrp = -79.5;
    nr.Rsrq = -11;
    nr.Sinr = 21;
    return nr;
}

TModemStatus UmtsStatus() {
    TModemStatus s;
    s.Radio.Tech = TAccessTech::Umts;
    TRadioCell& cell = s.Radio.Serving;
    cell.Tech = TAccessTech::Umts;
    cell.Channel = 10563;
    cell.Band = 1;
    cell.PhysicalId = 271;
    cell.AreaCode = 0xB3F1;
    cell.CellId = 0x2E1F07;
    cell.Mcc = 230;
    cell.Mnc = 1;
    cell.Rscp = -85;
    cell.EcIo = -6.5;
    return s;
}

TModemStatus MoniStatus() {
    TModemStatus s;
    ParseSignalQuality("+CSQ: 16,0", s);
    ParseServingCell("23 35 -76 230 01 a b c d e f 31", s);
    ParseNeighbourCell("60 28 -83 230 03 5 22", 0, s);
    return s;
}

TEST(SignalLevelTest, MapsRsrpAndRscpLinearlyAndClamps) {
    const struct {
        const char* name;
        int (*map)(double);
        double dbm;
        int level;
    } cases[] = {
        {"rsrp floor", LevelOfRsrp, -140, 0},    {"rsrp top", LevelOfRsrp, -44, 100},
        {"rsrp middle", LevelOfRsrp, -92, 50},   {"rsrp below", LevelOfRsrp, -160, 0},
        {"rsrp above", LevelOfRsrp, -20, 100},   {"rsrp no number", LevelOfRsrp, kNaN, 0},
        {"rscp floor", LevelOfRscp, -120, 0},    {"rscp top", LevelOfRscp, -25, 100},
        {"rscp middle", LevelOfRscp, -72.5, 50}, {"rscp below", LevelOfRscp, -130, 0},
        {"rscp above", LevelOfRscp, 0, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.map(c.dbm), c.level) << c.name;
}

TEST(SignalLevelTest, ChoosesTheMeasurementTheTechnologyHas) {
    const auto csq = [](TModemStatus s, const char* line) {
        ParseSignalQuality(line, s);
        return s;
    };
    TModemStatus lteNoRsrp = csq(testing::SampleLteStatus(), "+CSQ: 13,99");
    lteNoRsrp.Radio.Serving.Rsrp.reset();
    TModemStatus unknownTech;
    unknownTech.Radio.Serving.Rsrp = -44;
    TModemStatus nsaLegOnly = testing::SampleLteStatus(TAccessTech::NrNsa);
    nsaLegOnly.Radio.Serving.Rsrp.reset();
    nsaLegOnly.Radio.NrLeg = NrLeg();
    nsaLegOnly.Radio.NrLeg->Rsrp = -116;
    TModemStatus lteNaN = csq(testing::SampleLteStatus(), "+CSQ: 16,0");
    lteNaN.Radio.Serving.Rsrp = kNaN;
    const struct {
        const char* name;
        TModemStatus status;
        int level;
    } cases[] = {
        {"GSM keeps the +CSQ level", MoniStatus(), 50},
        {"LTE takes the RSRP over +CSQ", csq(testing::SampleLteStatus(), "+CSQ: 31,0"), 47},
        {"+CSQ 99 on LTE takes the RSRP", csq(testing::SampleLteStatus(), "+CSQ: 99,99"), 47},
        {"LTE without RSRP keeps +CSQ", lteNoRsrp, 40},
        {"no technology, +CSQ never asked: the RSRP", unknownTech, 100},
        {"UMTS with a +CSQ level keeps it", csq(UmtsStatus(), "+CSQ: 16,0"), 50},
        {"UMTS with +CSQ 99 takes the RSCP", csq(UmtsStatus(), "+CSQ: 99,99"), 37},
        {"5G NSA without anchor RSRP takes the leg's", nsaLegOnly, 25},
        {"an RSRP that is no number is none", lteNaN, 50},
        {"nothing at all: no level", TModemStatus{}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MeasuredSignalLevelOf(c.status).value_or(-1), c.level) << c.name;
}

TEST(BandOfChannelTest, NamesTheGsmBands) {
    const std::pair<int, const char*> cases[] = {
        {0, "900"},    {124, "900"},  {125, "?"},    {300, "?"},  {511, "?"},
        {512, "1800"}, {700, "1800"}, {885, "1800"}, {886, "?"},  {954, "?"},
        {955, "900"},  {1000, "900"}, {1023, "900"}, {1024, "?"}, {-1, "?"}};
    for (auto [channel, band] : cases)
        EXPECT_EQ(BandOfChannel(channel), band) << channel;
}

TEST(BandOfChannelTest, NamesTheBandsOfUmtsLteAndNrChannels) {
    // Downlink channel ranges of 25.101 5.4.4, 36.101 5.7.3 and 38.101-1 5.4.2.3.
    const struct {
        const char* name;
        TAccessTech tech;
        int channel;
        std::optional<int> band;
    } cases[] = {
        {"UMTS 2100", TAccessTech::Umts, 10688, 1},
        {"UMTS 900", TAccessTech::Umts, 3011, 8},
        {"UMTS gap", TAccessTech::Umts, 5000, std::nullopt},
        {"LTE 800 first", TAccessTech::Lte, 6150, 20},
        {"LTE 800 last", TAccessTech::Lte, 6449, 20},
        {"LTE past 800", TAccessTech::Lte, 6450, std::nullopt},
        {"LTE 1800", TAccessTech::Lte, 1300, 3},
        {"LTE 2600", TAccessTech::Lte, 3350, 7},
        {"LTE 2100 from 0", TAccessTech::Lte, 0, 1},
        {"NB-IoT as LTE", TAccessTech::NbIot, 6300, 20},
        {"NR 3500", TAccessTech::NrNsa, 643296, 78},
        {"NR 700 under SA", TAccessTech::NrSa, 155000, 28},
        {"NR beyond every band", TAccessTech::NrSa, 3000000, std::nullopt},
        {"negative", TAccessTech::Lte, -1, std::nullopt},
        {"GSM has its own", TAccessTech::Gsm, 50, std::nullopt},
        {"no technology", TAccessTech::Unknown, 6300, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BandOfRadioChannel(c.tech, c.channel), c.band) << c.name;
}

TEST(GraphValueTest, ANewServingCellSpikesOnceThenTheLevelShows) {
    int last = -1;
    TModemStatus s;
    ParseSignalQuality("+CSQ: 16,0", s);
    ParseServingCell("23 35 -76 230 01 a b c d e f 31", s);
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_EQ(last, 23);
    EXPECT_EQ(GraphValueOf(s, last), 50);

    ParseServingCell("700 35 -76 230 01 a b c d e f 31", s);
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_EQ(last, 700);
}

TEST(GraphValueTest, ARadioCellSpikesWhenItsChannelOrPciChanges) {
    int last = -1;
    TModemStatus s = testing::SampleLteStatus();
    s.Radio.Serving.Rsrp = -92;
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_LT(last, -1);
    EXPECT_EQ(GraphValueOf(s, last), 50);
    s.Radio.Serving.PhysicalId = 124;
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_EQ(GraphValueOf(s, last), 50);
    s.Radio.Serving.Channel = 1300;
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_EQ(GraphValueOf(s, last), 50);
    // The same numbers on another technology are another cell.
    s.Radio.Tech = TAccessTech::NrSa;
    EXPECT_EQ(GraphValueOf(s, last), 100);
}

TEST(GraphValueTest, TheSampleCarriesTheServingRsrpAndSinr) {
    int last = -1;
    TModemStatus s = testing::SampleLteStatus(TAccessTech::NrNsa);
    s.Radio.NrLeg = NrLeg();
    s.Radio.Serving.Sinr.reset();
    GraphSampleOf(s, last);
    const TGraphSample sample = GraphSampleOf(s, last);
    EXPECT_EQ(sample.Level, LevelOfRsrp(-95));
    EXPECT_EQ(sample.Rsrp, -95);
    EXPECT_EQ(sample.Sinr, 21); // the NR leg's, the anchor has none
    EXPECT_EQ(GraphSampleOf(MoniStatus(), last), (TGraphSample{100, {}, {}}));
}

TEST(GraphValueTest, NothingMeasuredIsNoValueAndSpikesNoCell) {
    TModemStatus cleared = testing::SampleLteStatus();
    ClearModemStatus(cleared);
    TModemStatus gsmCsq99 = MoniStatus();
    ParseSignalQuality("+CSQ: 99,99", gsmCsq99);
    TModemStatus lteCsq99NoRsrp = testing::SampleLteStatus();
    ParseSignalQuality("+CSQ: 99,99", lteCsq99NoRsrp);
    lteCsq99NoRsrp.Radio.Serving.Rsrp.reset();
    TModemStatus umtsCsq99NoRscp = UmtsStatus();
    ParseSignalQuality("+CSQ: 99,99", umtsCsq99NoRscp);
    umtsCsq99NoRscp.Radio.Serving.Rscp.reset();
    TModemStatus lteCsq99 = testing::SampleLteStatus();
    ParseSignalQuality("+CSQ: 99,99", lteCsq99);
    const struct {
        const char* name;
        TModemStatus status;
        int value;
    } cases[] = {
        {"never polled", TModemStatus{}, -1},
        {"cleared for a switch or a failed port", cleared, -1},
        {"GSM cell with +CSQ 99", gsmCsq99, -1},
        {"LTE cell with +CSQ 99 and no RSRP", lteCsq99NoRsrp, -1},
        {"UMTS cell with +CSQ 99 and no RSCP", umtsCsq99NoRscp, -1},
        {"LTE cell with +CSQ 99 measured by its RSRP", lteCsq99, 47},
        {"GSM cell with a +CSQ level", MoniStatus(), 50},
    };
    for (const auto& c : cases) {
        // The cell is the last one shown, so that a level is not hidden behind a spike.
        int last = -1;
        TModemStatus known = c.status;
        known.Radio.Serving.Rsrp = -92;
        known.Radio.Serving.Rscp = -70;
        ParseSignalQuality("+CSQ: 16,0", known);
        GraphValueOf(known, last);
        const int before = last;
        EXPECT_EQ(GraphValueOf(c.status, last), c.value) << c.name;
        EXPECT_EQ(last, before) << c.name;
    }
}

TEST(GraphValueTest, ANewCellWithoutALevelSpikesWhenItGetsOne) {
    int last = -1;
    TModemStatus s = MoniStatus();
    ParseSignalQuality("+CSQ: 99,99", s);
    EXPECT_EQ(GraphValueOf(s, last), -1);
    EXPECT_EQ(last, -1);
    ParseSignalQuality("+CSQ: 16,0", s);
    EXPECT_EQ(GraphValueOf(s, last), 100);
    EXPECT_EQ(last, 23);
    EXPECT_EQ(GraphValueOf(s, last), 50);
}

TEST(OperatorPanelTest, CombinesNameCodeAndRegistration) {
    TModemStatus s;
    ParseOperator("+COPS: 0,0,\"Vodafone CZ\"", s);
    ParseOperator("+COPS: 0,2,\"23003\"", s);
    ParseRegistration("+CREG: 0,5", s);
    EXPECT_EQ(OperatorPanelText(s), "Vodafone CZ (23003), registered, roaming");
}

TEST(OperatorPanelTest, ModeOnlyReplySaysTheOperatorIsNotKnown) {
    TModemStatus s;
    ParseOperator("+COPS: 0", s);
    ParseRegistration("+CREG: 0,2", s);
    EXPECT_EQ(OperatorPanelText(s), "operator not known, not registered, searching");
    ParseOperator("+COPS: 0,2,\"23001\"", s);
    EXPECT_EQ(OperatorPanelText(s), "23001, not registered, searching")
        << "a network known by its code alone is named by it";
}

TEST(OperatorPanelTest, RegistrationTextFollowsTheState) {
    TModemStatus s;
    EXPECT_EQ(OperatorPanelText(s), "operator not known, registration not known");
    // A state beyond 27.007's table is no registration we could name.
    ParseRegistration("+CREG: 0,12", s);
    EXPECT_EQ(OperatorPanelText(s), "operator not known, registration not known");
    const std::pair<const char*, const char*> cases[] = {
        {"+CREG: 0,0", "operator not known, not registered, not searching"},
        {"+CREG: 0,1", "operator not known, registered, home network"},
        {"+CREG: 0,3", "operator not known, registration denied"},
        {"+CREG: 0,4", "operator not known, registration state unknown"},
        {"+CREG: 0,6", "operator not known, registered for SMS only, home network"},
        {"+CREG: 0,7", "operator not known, registered for SMS only, roaming"},
        {"+CREG: 0,8", "operator not known, attached for emergency bearer services only"},
        {"+CREG: 0,9", "operator not known, registered for CSFB not preferred, home network"},
        {"+CREG: 0,10", "operator not known, registered for CSFB not preferred, roaming"},
        {"+CREG: 0,11", "operator not known, attached for RLOS only"}};
    for (auto [line, text] : cases) {
        ParseRegistration(line, s);
        EXPECT_EQ(OperatorPanelText(s), text) << line;
    }
}

TEST(OperatorPanelTest, ARegistrationInAnyDomainCounts) {
    const struct {
        const char* name;
        std::optional<int> creg, eps, nr;
        const char* text;
        std::optional<int> ps = std::nullopt;
    } cases[] = {
        {"+CREG alone", 2, {}, {}, "operator not known, not registered, searching"},
        {"EPS registered, CS not", 0, 1, {}, "operator not known, registered, home network"},
        {"5GS roaming, the others searching", 2, 2, 5, "operator not known, registered, roaming"},
        {"+CREG registered wins", 5, 1, {}, "operator not known, registered, roaming"},
        {"no +CREG: EPS as it is", {}, 3, {}, "operator not known, registration denied"},
        {"no +CREG: 5GS as it is", {}, {}, 0, "operator not known, not registered, not searching"},
        {"none at all", {}, {}, {}, "operator not known, registration not known"},
        {"registered nowhere: +CREG's", 3, 2, {}, "operator not known, registration denied"},
        {"EPS SMS only beats CS searching",
         2,
         6,
         {},
         "operator not known, registered for SMS only, home network"},
        {"CSFB not preferred, roaming",
         0,
         10,
         {},
         "operator not known, registered for CSFB not preferred, roaming"},
        {"emergency only beats searching",
         2,
         8,
         {},
         "operator not known, attached for emergency bearer services only"},
        {"registered beats emergency only",
         8,
         1,
         {},
         "operator not known, registered, home network"},
        {"RLOS only, 5GS", {}, 2, 11, "operator not known, attached for RLOS only"},
        {"GPRS registered, CS not", 0, {}, {}, "operator not known, registered, roaming", 5},
        {"GPRS alone as it is", {}, {}, {}, "operator not known, not registered, searching", 2},
    };
    for (const auto& c : cases) {
        TModemStatus s;
        s.RegStateValid = c.creg.has_value();
        s.RegState = c.creg.value_or(0);
        s.Radio.EpsRegState = c.eps;
        s.Radio.NrRegState = c.nr;
        s.Radio.PsRegState = c.ps;
        EXPECT_EQ(OperatorPanelText(s), c.text) << c.name;
    }
}

TEST(CellRowTextsTest, FormatsAValidCell) {
    TCellInfo cell{true, 23, 35, -76, 31, 230, 1};
    TCellRowTexts row = CellRowTexts(cell);
    EXPECT_EQ(row, (TCellRowTexts{"  23", "900", "  54%", " -76", " 31", "230 01"}));
}

TEST(CellRowTextsTest, RssiIsTruncatedTowardZero) {
    TCellInfo cell{true, 700, 63, -50, -9999, 5, 123};
    TCellRowTexts row = CellRowTexts(cell);
    EXPECT_EQ(row[1], "1800");
    EXPECT_EQ(row[2], "  98%");
    EXPECT_EQ(row[4], "-9999");
    EXPECT_EQ(row[5], "005 123");
    cell.Rssi = -1;
    EXPECT_EQ(CellRowTexts(cell)[2], "  -1%");
}

TEST(CellRowTextsTest, AnInvalidCellShowsDashes) {
    TModemStatus s;
    ParseNeighbourCell("x 28 -83 230 03 5 22", 0, s);
    EXPECT_EQ(CellRowTexts(s.Cells[1]), (TCellRowTexts{"-", "-", "-", "-", "-", "-"}));
}

TEST(QualityTest, BordersBelongToTheirWords) {
    using Q = TQuality;
    using M = TMetric;
    const struct {
        M metric;
        double value;
        Q quality;
    } cases[] = {
        {M::Rsrp, -80, Q::Excellent},  {M::Rsrp, -80.5, Q::Good},    {M::Rsrp, -90, Q::Good},
        {M::Rsrp, -90.5, Q::Fair},     {M::Rsrp, -100, Q::Fair},     {M::Rsrp, -100.5, Q::Poor},
        {M::Rsrq, -10, Q::Excellent},  {M::Rsrq, -10.5, Q::Good},    {M::Rsrq, -15, Q::Good},
        {M::Rsrq, -15.5, Q::Fair},     {M::Rsrq, -20, Q::Fair},      {M::Rsrq, -20.5, Q::Poor},
        {M::Sinr, 20.5, Q::Excellent}, {M::Sinr, 20, Q::Good},       {M::Sinr, 13, Q::Good},
        {M::Sinr, 12.5, Q::Fair},      {M::Sinr, 0.5, Q::Fair},      {M::Sinr, 0, Q::Poor},
        {M::Rscp, -70, Q::Excellent},  {M::Rscp, -70.5, Q::Good},    {M::Rscp, -85, Q::Good},
        {M::Rscp, -100, Q::Fair},      {M::Rscp, -101, Q::Poor},     {M::EcIo, -6, Q::Excellent},
        {M::EcIo, -6.5, Q::Good},      {M::EcIo, -10, Q::Good},      {M::EcIo, -20, Q::Fair},
        {M::EcIo, -21, Q::Poor},       {M::Rssi, -70, Q::Excellent}, {M::Rssi, -86, Q::Fair},
        {M::Rssi, -101, Q::Poor},      {M::Rsrp, kNaN, Q::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QualityOf(c.metric, c.value), c.quality)
            << static_cast<int>(c.metric) << " " << c.value;
}

using TIdentity = std::vector<std::pair<std::string, std::string>>;

TEST(RadioPanelTest, LteShowsBandMetricsAndIdentity) {
    const TRadioPanel panel = RadioPanelOf(testing::SampleLteStatus());
    EXPECT_EQ(panel.Technology, "LTE B20");
    EXPECT_EQ(panel.Metrics, (std::vector<TMetricText>{
                                 {"RSRP", "-95 dBm", "fair", TQuality::Fair},
                                 {"RSRQ", "-10.5 dB", "good", TQuality::Good},
                                 {"SINR", "13 dB", "good", TQuality::Good},
                             }));
    EXPECT_EQ(panel.Identity, (TIdentity{{"TAC", "1A2B (6699)"},
                                         {"Cell ID", "1A2B3C4 (27440068)"},
                                         {"eNodeB", "107187"},
                                         {"PCI", "123"}}));
}

TEST(RadioPanelTest, FiveGNsaShowsTheAnchorAndTheNrLeg) {
    TModemStatus s = testing::SampleLteStatus(TAccessTech::NrNsa);
    s.Radio.Serving.Band = 3;
    s.Radio.NrLeg = NrLeg();
    const TRadioPanel panel = RadioPanelOf(s);
    EXPECT_EQ(panel.Technology, "LTE B3 \xc2\xb7 5G NSA n78");
    ASSERT_EQ(panel.Metrics.size(), 6u);
    EXPECT_EQ(panel.Metrics[0], (TMetricText{"RSRP", "-95 dBm", "fair", TQuality::Fair}));
    EXPECT_EQ(panel.Metrics[3],
              (TMetricText{"NR RSRP", "-79.5 dBm", "excellent", TQuality::Excellent}));
    EXPECT_EQ(panel.Metrics[4], (TMetricText{"NR RSRQ", "-11 dB", "good", TQuality::Good}));
    EXPECT_EQ(panel.Metrics[5],
              (TMetricText{"NR SINR", "21 dB", "excellent", TQuality::Excellent}));
    EXPECT_EQ(panel.Identity.back(), (std::pair<std::string, std::string>{"NR PCI", "501"}));
    EXPECT_EQ(panel.Identity[2].second, "107187");
}

TEST(RadioPanelTest, UmtsShowsRscpAndEcIoWithItsIdentity) {
    const TRadioPanel panel = RadioPanelOf(UmtsStatus());
    EXPECT_EQ(panel.Technology, "UMTS B1");
    EXPECT_EQ(panel.Metrics, (std::vector<TMetricText>{
                                 {"RSCP", "-85 dBm", "good", TQuality::Good},
                                 {"Ec/Io", "-6.5 dB", "good", TQuality::Good},
                             }));
    EXPECT_EQ(
        panel.Identity,
        (TIdentity{{"LAC", "B3F1 (46065)"}, {"Cell ID", "2E1F07 (3022599)"}, {"PSC", "271"}}));
}

TEST(RadioPanelTest, WhatIsNotKnownShowsADash) {
    TModemStatus s;
    s.Radio.Tech = TAccessTech::NrNsa;
    s.Radio.Serving.Rsrp = kNaN;
    s.Radio.Serving.Rsrq = 1e300;
    s.Radio.Serving.Sinr = -std::numeric_limits<double>::infinity();
    s.Radio.Serving.AreaCode = -5;
    s.Radio.Serving.PhysicalId = -1;
    const TRadioPanel panel = RadioPanelOf(s);
    EXPECT_EQ(panel.Technology, "5G NSA + LTE");
    ASSERT_EQ(panel.Metrics.size(), 6u);
    for (const TMetricText& metric : panel.Metrics) {
        EXPECT_EQ(metric.Value, "-") << metric.Name;
        EXPECT_EQ(metric.Quality, "") << metric.Name;
        EXPECT_EQ(metric.Level, TQuality::Unknown) << metric.Name;
    }
    for (const auto& [name, value] : panel.Identity)
        EXPECT_EQ(value, "-") << name;
}

TEST(RadioPanelTest, OnlyARadioTechnologyHasAPanel) {
    TModemStatus moniWithAct = MoniStatus();
    moniWithAct.Radio.Tech = TAccessTech::Gsm;
    TModemStatus gsmCell;
    gsmCell.Radio.Tech = TAccessTech::Gsm;
    gsmCell.Radio.Serving.Channel = 700;
    gsmCell.Radio.Serving.Rssi = -71;
    const struct {
        const char* name;
        TModemStatus status;
        std::string technology;
        std::size_t metrics;
    } cases[] = {
        {"nothing", TModemStatus{}, "", 0},
        {"^MONI alone", MoniStatus(), "", 0},
        {"^MONI with a GSM AcT", moniWithAct, "", 0},
        {"a GSM cell of the radio status", gsmCell, "GSM 1800", 1},
        {"5G SA", testing::SampleLteStatus(TAccessTech::NrSa), "5G SA n20", 3},
        {"NB-IoT", testing::SampleLteStatus(TAccessTech::NbIot), "NB-IoT B20", 3},
    };
    for (const auto& c : cases) {
        const TRadioPanel panel = RadioPanelOf(c.status);
        EXPECT_EQ(panel.Technology, c.technology) << c.name;
        EXPECT_EQ(panel.Empty(), c.technology.empty()) << c.name;
        EXPECT_EQ(panel.Metrics.size(), c.metrics) << c.name;
    }
    EXPECT_EQ(RadioPanelOf(gsmCell).Metrics[0],
              (TMetricText{"RSSI", "-71 dBm", "good", TQuality::Good}));
}

TCarrier Carrier(TCarrierRole role, TAccessTech tech, int band, int channel, double mhz, int pci) {
    TCarrier carrier;
    carrier.Role = role;
    carrier.Tech = tech;
    carrier.Band = band;
    carrier.Channel = channel;
    carrier.BandwidthMhz = mhz;
    carrier.PhysicalId = pci;
    return carrier;
}

// A status whose modem reports its carriers, each with made-up measurements.
TModemStatus WithCarriers(TAccessTech tech, std::vector<TCarrier> carriers) {
    TModemStatus s = testing::SampleLteStatus(tech);
    for (TCarrier& carrier : carriers) {
        carrier.Rsrp = -90 - static_cast<int>(s.Radio.Carriers.size());
        carrier.Rsrq = -10.5;
        carrier.Sinr = 12;
        AddCarrier(s.Radio, carrier);
    }
    return s;
}

constexpr auto kPcc = TCarrierRole::Primary;
constexpr auto kScc = TCarrierRole::Secondary;

TModemStatus EnDcStatus() {
    return WithCarriers(TAccessTech::NrNsa,
                        {Carrier(kPcc, TAccessTech::Lte, 3, 1300, 20, 120),
                         Carrier(kScc, TAccessTech::Lte, 7, 3350, 20, 310),
                         Carrier(kScc, TAccessTech::NrNsa, 78, 636666, 100, 501)});
}

TEST(TechnologyLineTest, NamesEveryCarrierWithTheAggregatedBandwidth) {
    TModemStatus nsaDerived = testing::SampleLteStatus(TAccessTech::NrNsa);
    nsaDerived.Radio.NrLeg = NrLeg();
    TModemStatus noBandwidth = EnDcStatus();
    for (TCarrier& carrier : noBandwidth.Radio.Carriers)
        carrier.BandwidthMhz.reset();
    TModemStatus oddBandwidth = EnDcStatus();
    oddBandwidth.Radio.Carriers[0].BandwidthMhz = 1.4;
    oddBandwidth.Radio.Carriers[1].BandwidthMhz = -20;
    oddBandwidth.Radio.Carriers[2].BandwidthMhz = kNaN;
    TModemStatus noBand = testing::SampleLteStatus();
    noBand.Radio.Serving.Band.reset();
    noBand.Radio.Serving.Channel = 99999;
    TModemStatus umtsNoBand = UmtsStatus();
    umtsNoBand.Radio.Serving.Band.reset();
    umtsNoBand.Radio.Serving.Channel.reset();
    TModemStatus gsmCell;
    gsmCell.Radio.Tech = TAccessTech::Gsm;
    gsmCell.Radio.Serving.Channel = 700;
    const struct {
        const char* name;
        TModemStatus status;
        std::string line;
    } cases[] = {
        {"LTE, the serving cell as its carrier", testing::SampleLteStatus(), "LTE B20"},
        {"LTE, one reported carrier",
         WithCarriers(TAccessTech::Lte, {Carrier(kPcc, TAccessTech::Lte, 20, 6300, 10, 123)}),
         "LTE B20 \xc2\xb7 10 MHz"},
        {"LTE-A",
         WithCarriers(TAccessTech::Lte, {Carrier(kPcc, TAccessTech::Lte, 3, 1300, 20, 120),
                                         Carrier(kScc, TAccessTech::Lte, 7, 3350, 15, 310)}),
         "LTE-A B3+B7 \xc2\xb7 35 MHz"},
        {"EN-DC with aggregation", EnDcStatus(),
         "LTE-A B3+B7 \xc2\xb7 5G NSA n78 \xc2\xb7 140 MHz"},
        {"EN-DC from the anchor and the NR leg", nsaDerived, "LTE B20 \xc2\xb7 5G NSA n78"},
        {"5G SA aggregation",
         WithCarriers(TAccessTech::NrSa, {Carrier(kPcc, TAccessTech::NrSa, 78, 636666, 100, 501),
                                          Carrier(kScc, TAccessTech::NrSa, 28, 155000, 10, 77)}),
         "5G SA n78+n28 \xc2\xb7 110 MHz"},
        {"no bandwidth known, no sum", noBandwidth, "LTE-A B3+B7 \xc2\xb7 5G NSA n78"},
        {"a bandwidth no carrier has is left out", oddBandwidth,
         "LTE-A B3+B7 \xc2\xb7 5G NSA n78 \xc2\xb7 1.4 MHz"},
        {"a channel of no band", noBand, "LTE"},
        {"no carriers: UMTS without a band", umtsNoBand, "UMTS"},
        {"no carriers: GSM", gsmCell, "GSM 1800"},
        {"no radio technology", MoniStatus(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RadioPanelOf(c.status).Technology, c.line) << c.name;
}

TEST(CarrierTableTest, HasARowForEachCarrierWhenThereIsMoreThanOne) {
    EXPECT_EQ(CarrierTableHeaders(),
              (TCarrierRowTexts{"role", "band", "channel", "MHz", "PCI", "RSRP", "RSRQ", "SINR"}));
    EXPECT_EQ(RadioPanelOf(EnDcStatus()).Carriers,
              (std::vector<TCarrierRowTexts>{
                  {"PCC", "B3", "1300", "20", "120", "-90", "-10.5", "12"},
                  {"SCC", "B7", "3350", "20", "310", "-91", "-10.5", "12"},
                  {"SCC", "n78", "636666", "100", "501", "-92", "-10.5", "12"},
              }));
    TModemStatus nsaDerived = testing::SampleLteStatus(TAccessTech::NrNsa);
    nsaDerived.Radio.NrLeg = NrLeg();
    EXPECT_EQ(CarrierRowsOf(nsaDerived),
              (std::vector<TCarrierRowTexts>{
                  {"PCC", "B20", "6300", "-", "123", "-95", "-10.5", "13"},
                  {"SCC", "n78", "636666", "-", "501", "-79.5", "-11", "21"},
              }));
    const struct {
        const char* name;
        TModemStatus status;
    } noTable[] = {
        {"one reported carrier",
         WithCarriers(TAccessTech::Lte, {Carrier(kPcc, TAccessTech::Lte, 20, 6300, 10, 123)})},
        {"the serving cell alone", testing::SampleLteStatus()},
        {"GSM", MoniStatus()},
        {"nothing", TModemStatus{}},
    };
    for (const auto& c : noTable) {
        EXPECT_TRUE(CarrierRowsOf(c.status).empty()) << c.name;
        EXPECT_TRUE(RadioPanelOf(c.status).Carriers.empty()) << c.name;
    }
}

TEST(CarrierTableTest, WhatIsNotKnownOrCannotBeShowsADash) {
    TCarrier bare;
    bare.Role = kScc;
    bare.Tech = TAccessTech::Lte;
    TCarrier wrong = Carrier(kScc, TAccessTech::NrNsa, -78, -1, 0, -5);
    wrong.Rsrp = kNaN;
    wrong.Rsrq = 1e300;
    wrong.Sinr = -std::numeric_limits<double>::infinity();
    TCarrier channelOnly = bare;
    channelOnly.Channel = 1300;
    channelOnly.BandwidthMhz = 1000;
    TModemStatus s = testing::SampleLteStatus();
    for (const TCarrier& carrier : {bare, wrong, channelOnly})
        AddCarrier(s.Radio, carrier);
    EXPECT_EQ(CarrierRowsOf(s), (std::vector<TCarrierRowTexts>{
                                    {"SCC", "-", "-", "-", "-", "-", "-", "-"},
                                    {"SCC", "-", "-", "-", "-", "-", "-", "-"},
                                    {"SCC", "B3", "1300", "-", "-", "-", "-", "-"},
                                }));
    EXPECT_EQ(RadioPanelOf(s).Technology, "LTE-A B3 \xc2\xb7 5G NSA")
        << "the band its channel tells, none of a wrong one";
}

TEST(CarrierTableTest, ACarrierWithoutMeasurementsTakesThoseOfTheCellItIs) {
    const auto rowsOf = [](TCarrier primary, TCarrier nr) {
        TModemStatus s = testing::SampleLteStatus(TAccessTech::NrNsa);
        s.Radio.NrLeg = NrLeg();
        AddCarrier(s.Radio, primary);
        AddCarrier(s.Radio, nr);
        return CarrierRowsOf(s);
    };
    const TCarrier anchor = Carrier(kPcc, TAccessTech::Lte, 20, 6300, 10, 123);
    const TCarrier leg = Carrier(kScc, TAccessTech::NrNsa, 78, 636666, 100, 501);
    TCarrier legNoChannel = leg;
    legNoChannel.Channel.reset();
    TCarrier legMeasured = leg;
    legMeasured.Rsrp = -101;
    const struct {
        const char* name;
        TCarrier primary, nr;
        TCarrierRowTexts anchorRow, legRow;
    } cases[] = {
        {"the serving cell and the NR leg",
         anchor,
         leg,
         {"PCC", "B20", "6300", "10", "123", "-95", "-10.5", "13"},
         {"SCC", "n78", "636666", "100", "501", "-79.5", "-11", "21"}},
        {"a leg without a channel",
         anchor,
         legNoChannel,
         {"PCC", "B20", "6300", "10", "123", "-95", "-10.5", "13"},
         {"SCC", "n78", "-", "100", "501", "-79.5", "-11", "21"}},
        {"what the carrier measured stays",
         anchor,
         legMeasured,
         {"PCC", "B20", "6300", "10", "123", "-95", "-10.5", "13"},
         {"SCC", "n78", "636666", "100", "501", "-101", "-11", "21"}},
        {"another PCI is another cell",
         Carrier(kPcc, TAccessTech::Lte, 20, 6300, 10, 124),
         Carrier(kScc, TAccessTech::NrNsa, 78, 636666, 100, 502),
         {"PCC", "B20", "6300", "10", "124", "-", "-", "-"},
         {"SCC", "n78", "636666", "100", "502", "-", "-", "-"}},
        {"another channel is another cell",
         Carrier(kPcc, TAccessTech::Lte, 3, 1300, 10, 123),
         Carrier(kScc, TAccessTech::NrNsa, 78, 643296, 100, 501),
         {"PCC", "B3", "1300", "10", "123", "-", "-", "-"},
         {"SCC", "n78", "643296", "100", "501", "-", "-", "-"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowsOf(c.primary, c.nr), (std::vector<TCarrierRowTexts>{c.anchorRow, c.legRow}))
            << c.name;
}

using TRow = std::vector<std::string>;

TEST(CellGridTest, GsmKeepsTheMoniColumnsAndTexts) {
    TModemStatus withAct = MoniStatus();
    withAct.Radio.Tech = TAccessTech::Gsm;
    for (const TModemStatus& s : {MoniStatus(), withAct}) {
        const TCellGrid grid = CellGridOf(s);
        EXPECT_EQ(grid.Headers, (TRow{"channel", "band", "rssi", "dBm", "C1", "MCC MNC"}));
        ASSERT_EQ(grid.Rows.size(), static_cast<std::size_t>(kCellRowCount));
        EXPECT_EQ(grid.Rows[0], (TRow{"  23", "900", "  54%", " -76", " 31", "230 01"}));
        EXPECT_EQ(grid.Rows[1], (TRow{"  60", "900", "  43%", " -83", " 22", "230 03"}));
        EXPECT_EQ(grid.Rows[2], (TRow{"-", "-", "-", "-", "-", "-"}));
    }
}

TEST(CellGridTest, ColumnsFollowTheServingTechnology) {
    TModemStatus lte = testing::SampleLteStatus();
    TRadioCell neighbour;
    neighbour.Channel = 1300;
    neighbour.PhysicalId = 7;
    neighbour.Rsrp = -101.25;
    neighbour.Rsrq = kNaN;
    AddNeighbour(lte.Radio, neighbour);
    TModemStatus nsa = testing::SampleLteStatus(TAccessTech::NrNsa);
    nsa.Radio.NrLeg = NrLeg();
    nsa.Radio.Serving.Tech = TAccessTech::Unknown;
    TModemStatus gsmCell;
    gsmCell.Radio.Tech = TAccessTech::Gsm;
    gsmCell.Radio.Serving.Channel = 700;
    gsmCell.Radio.Serving.Rssi = -71;
    const TRow lteHeaders{"channel", "band", "PCI", "RSRP", "RSRQ", "SINR", "MCC MNC"};
    const struct {
        const char* name;
        TModemStatus status;
        TRow headers;
        std::size_t row;
        TRow texts;
    } cases[] = {
        {"LTE serving", lte, lteHeaders, 0, {"6300", "B20", "123", "-95", "-10.5", "13", "230 03"}},
        {"LTE neighbour, band by its channel",
         lte,
         lteHeaders,
         1,
         {"1300", "B3", "7", "-101.3", "-", "-", "-"}},
        {"LTE empty row", lte, lteHeaders, 2, TRow(7, "-")},
        {"5G NSA anchor",
         nsa,
         lteHeaders,
         0,
         {"6300", "B20", "123", "-95", "-10.5", "13", "230 03"}},
        {"5G NSA leg", nsa, lteHeaders, 1, {"636666", "n78", "501", "-79.5", "-11", "21", "-"}},
        {"UMTS serving",
         UmtsStatus(),
         {"channel", "band", "PSC", "RSCP", "Ec/Io", "MCC MNC"},
         0,
         {"10563", "B1", "271", "-85", "-6.5", "230 01"}},
        {"GSM of the radio status",
         gsmCell,
         {"channel", "band", "rssi", "dBm", "C1", "MCC MNC"},
         0,
         {" 700", "1800", "-", " -71", "-", "-"}},
    };
    for (const auto& c : cases) {
        const TCellGrid grid = CellGridOf(c.status);
        EXPECT_EQ(grid.Headers, c.headers) << c.name;
        ASSERT_EQ(grid.Rows.size(), static_cast<std::size_t>(kCellRowCount)) << c.name;
        for (const TRow& row : grid.Rows)
            EXPECT_EQ(row.size(), c.headers.size()) << c.name;
        EXPECT_EQ(grid.Rows[c.row], c.texts) << c.name;
    }
}

TEST(ConnectionLabelTest, ShowsRingingAndCalls) {
    TModemStatus s;
    EXPECT_EQ(ConnectionLabelText(s), "");
    ParsePhoneActivity("+CPAS: 3", s);
    EXPECT_EQ(ConnectionLabelText(s), "Ring, ring");
    ParsePhoneActivity("+CPAS: 4", s);
    EXPECT_EQ(ConnectionLabelText(s), "Call in progress");
    ParsePhoneActivity("+CPAS: 2", s);
    EXPECT_EQ(ConnectionLabelText(s), "");
    s.Activity = 3;
    s.ActivityValid = false;
    EXPECT_EQ(ConnectionLabelText(s), "");
}

TEST(CheckedOperatorTest, TheModemsSelectionNamesTheItem) {
    const std::vector<std::string> items{"Auto select", "T-Mobile CZ (23001)", "O2 (23002)",
                                         "Vodafone (23003)"};
    const struct {
        const char* name;
        std::vector<const char*> lines;
        std::vector<std::string> items;
        int checked;
    } cases[] = {
        {"automatic", {"+COPS: 0,2,\"23001\",7"}, items, 0},
        {"automatic, no operator yet", {"+COPS: 0"}, items, 0},
        {"manual on O2", {"+COPS: 1,0,\"O2 - CZ\"", "+COPS: 1,2,\"23002\""}, items, 2},
        {"manual/automatic on Vodafone", {"+COPS: 4,2,\"23003\""}, items, 3},
        {"manual, the code not known", {"+COPS: 1,0,\"O2 - CZ\""}, items, -1},
        {"manual, said as \"?\"", {"+COPS: 1"}, items, -1},
        {"manual on a code the group lacks", {"+COPS: 1,2,\"26201\""}, items, -1},
        {"a code that is only part of another", {"+COPS: 1,2,\"2300\""}, items, -1},
        {"deregistered", {"+COPS: 2"}, items, -1},
        {"format set only", {"+COPS: 3"}, items, -1},
        {"no mode known", {}, items, -1},
        {"no items", {"+COPS: 0"}, {}, -1},
    };
    for (const auto& c : cases) {
        TModemStatus s;
        for (const char* line : c.lines)
            ParseOperator(line, s);
        EXPECT_EQ(CheckedOperatorOf(s, c.items), c.checked) << c.name;
    }
}

TEST(SwitchingTextTest, NamesTheTargetAsTheGroupDoes) {
    const std::vector<std::string> items{"Auto select", "O2 (23002)"};
    const struct {
        const char* target;
        const char* text;
    } cases[] = {
        {"AUTO", "Switching to automatic selection\xe2\x80\xa6"},
        {"23002", "Switching to O2 (23002)\xe2\x80\xa6"},
        {"26201", "Switching to 26201\xe2\x80\xa6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SwitchingText(c.target, items), c.text) << c.target;
}

TEST(LayoutTest, TheLastTechnologyStaysWhileTheValuesAreAway) {
    TModemStatus cleared = testing::SampleLteStatus();
    ClearModemStatus(cleared);
    TModemStatus gsmByAct = MoniStatus();
    gsmByAct.Radio.Tech = TAccessTech::Gsm;
    const struct {
        const char* name;
        TModemStatus status;
        TAccessTech layout;
    } steps[] = {
        {"nothing known yet", cleared, TAccessTech::Unknown},
        {"LTE", testing::SampleLteStatus(), TAccessTech::Lte},
        {"cleared for a switch", cleared, TAccessTech::Lte},
        {"a +CSQ level alone",
         [] {
             TModemStatus s;
             ParseSignalQuality("+CSQ: 16,0", s);
             return s;
         }(),
         TAccessTech::Lte},
        {"UMTS", UmtsStatus(), TAccessTech::Umts},
        {"cleared again", cleared, TAccessTech::Umts},
        {"^MONI cells", MoniStatus(), TAccessTech::Unknown},
        {"LTE once more", testing::SampleLteStatus(), TAccessTech::Lte},
        {"GSM by +COPS with ^MONI cells", gsmByAct, TAccessTech::Unknown},
    };
    TAccessTech last = TAccessTech::Unknown;
    for (const auto& step : steps)
        EXPECT_EQ(LayoutTechOf(step.status, last), step.layout) << step.name;
}

TEST(LayoutTest, AClearedStatusKeepsItsTechnologysGridAndPanel) {
    TModemStatus cleared;
    const TRow lte{"channel", "band", "PCI", "RSRP", "RSRQ", "SINR", "MCC MNC"};
    const TRow umts{"channel", "band", "PSC", "RSCP", "Ec/Io", "MCC MNC"};
    const TRow gsm{"channel", "band", "rssi", "dBm", "C1", "MCC MNC"};
    const struct {
        TAccessTech layout;
        TRow headers;
        std::string technology; // of the panel; empty for none
        std::vector<std::string> metrics;
    } cases[] = {
        {TAccessTech::Lte, lte, "LTE", {"RSRP", "RSRQ", "SINR"}},
        {TAccessTech::NrNsa,
         lte,
         "5G NSA + LTE",
         {"RSRP", "RSRQ", "SINR", "NR RSRP", "NR RSRQ", "NR SINR"}},
        {TAccessTech::Umts, umts, "UMTS", {"RSCP", "Ec/Io"}},
        {TAccessTech::Gsm, gsm, "GSM", {"RSSI"}},
        {TAccessTech::Unknown, gsm, "", {}},
    };
    for (const auto& c : cases) {
        const std::string name = AccessTechName(c.layout);
        const TCellGrid grid = CellGridOf(cleared, c.layout);
        EXPECT_EQ(grid.Headers, c.headers) << name;
        ASSERT_EQ(grid.Rows.size(), static_cast<std::size_t>(kCellRowCount)) << name;
        for (const TRow& row : grid.Rows)
            EXPECT_EQ(row, TRow(c.headers.size(), "-")) << name;
        const TRadioPanel panel = RadioPanelOf(cleared, c.layout);
        EXPECT_EQ(panel.Technology, c.technology) << name;
        std::vector<std::string> metrics;
        for (const TMetricText& metric : panel.Metrics) {
            metrics.push_back(metric.Name);
            EXPECT_EQ(metric.Value, "-") << name << " " << metric.Name;
            EXPECT_EQ(metric.Quality, "") << name << " " << metric.Name;
        }
        EXPECT_EQ(metrics, c.metrics) << name;
    }
    // A status that names its own technology is shown in it, whatever the layout was.
    EXPECT_EQ(CellGridOf(UmtsStatus(), TAccessTech::Lte).Headers, umts);
    EXPECT_EQ(RadioPanelOf(UmtsStatus(), TAccessTech::Lte).Technology.rfind("UMTS", 0), 0u);
    EXPECT_EQ(CellGridOf(MoniStatus(), TAccessTech::Lte).Rows[0][0], "  23");
    EXPECT_TRUE(RadioPanelOf(MoniStatus(), TAccessTech::Lte).Empty());
}

TEST(CellGridTest, NumbersAreMarkedForTheRightInEveryTechnology) {
    using B = std::vector<bool>;
    const struct {
        const char* name;
        TModemStatus status;
        B numbers;
    } cases[] = {
        {"^MONI", MoniStatus(), {true, false, true, true, true, false}},
        {"LTE", testing::SampleLteStatus(), {true, false, true, true, true, true, false}},
        {"UMTS", UmtsStatus(), {true, false, true, true, true, false}},
        {"nothing", TModemStatus{}, {true, false, true, true, true, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellGridOf(c.status).NumberColumns, c.numbers) << c.name;
}

TEST(CellGridTest, TheServingCellListedAgainAmongTheNeighboursShowsOnce) {
    auto neighbour = [](std::optional<int> channel, std::optional<int> pci) {
        TRadioCell cell;
        cell.Channel = channel;
        cell.PhysicalId = pci;
        cell.Rsrp = -99;
        return cell;
    };
    const struct {
        const char* name;
        TRadioCell listed;
        bool kept;
    } cases[] = {
        {"the same channel and PCI", neighbour(6300, 123), false},
        {"the same channel, another PCI", neighbour(6300, 124), true},
        {"the same PCI on another channel", neighbour(1300, 123), true},
        {"no PCI", neighbour(6300, std::nullopt), true},
    };
    for (const auto& c : cases) {
        TModemStatus s = testing::SampleLteStatus();
        AddNeighbour(s.Radio, c.listed);
        const TCellGrid grid = CellGridOf(s);
        EXPECT_EQ(grid.Rows[0][0], "6300") << c.name;
        EXPECT_EQ(grid.Rows[1][3] == "-99", c.kept) << c.name;
        EXPECT_EQ(grid.Rows[1][0] == "-", !c.kept) << c.name;
    }
    // UMTS: channel and PSC.
    TModemStatus umts = UmtsStatus();
    TRadioCell again = umts.Radio.Serving;
    again.Rscp = -90;
    AddNeighbour(umts.Radio, again);
    EXPECT_EQ(CellGridOf(umts).Rows[1], TRow(6, "-"));
}

} // namespace
} // namespace celdara
