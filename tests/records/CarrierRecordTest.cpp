// What the records tell beyond the cells, as the window shows it: the carriers in use, the
// level of the bar, whether the modem is registered, and the band a channel lies in.
#include "records/RecordFormat.h"
#include "records/RecordSamples.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace celdara {
namespace {

using namespace recordtests;

TCarrier Carrier(TCarrierRole role, TAccessTech tech, int band, int channel, double mhz, int pci,
                 double rsrp) {
    TCarrier c;
    c.Role = role, c.Tech = tech, c.Band = band, c.Channel = channel;
    c.BandwidthMhz = mhz, c.PhysicalId = pci, c.Rsrp = rsrp;
    return c;
}

// An RM500Q-class module in EN-DC, as AT+QCAINFO tells it: LTE B3 + B7 with an n78 leg.
TRadioStatus EnDcWithAggregation() {
    TRadioStatus radio;
    radio.Tech = TAccessTech::NrNsa;
    radio.Serving.Tech = TAccessTech::Lte, radio.Serving.Channel = 1300, radio.Serving.Band = 3;
    TCarrier pcc = Carrier(TCarrierRole::Primary, TAccessTech::Lte, 3, 1300, 20, 7, -90);
    pcc.Rsrq = -11, pcc.Rssi = -60.5, pcc.Sinr = 16;
    AddCarrier(radio, pcc);
    AddCarrier(radio, Carrier(TCarrierRole::Secondary, TAccessTech::Lte, 7, 3100, 15, 8, -95));
    TCarrier leg =
        Carrier(TCarrierRole::Secondary, TAccessTech::NrNsa, 78, 627264, 100, 500, -85.5);
    leg.Sinr = 20;
    AddCarrier(radio, leg);
    return radio;
}

struct CarrierCase {
    const char* name;
    TRadioStatus radio;
    std::vector<std::pair<std::string, std::string>> csv; // column -> field
    std::string json;                                     // the carriers' members
    std::string text;                                     // the end of the text line
};

std::vector<CarrierCase> CarrierCases() {
    // 5G NSA from +QENG alone: the anchor and the leg are the carriers.
    TRadioStatus nsa;
    nsa.Tech = TAccessTech::NrNsa;
    nsa.Serving.Tech = TAccessTech::Lte, nsa.Serving.Channel = 6300, nsa.Serving.PhysicalId = 7;
    nsa.Serving.Rsrp = -90;
    TRadioCell& leg = nsa.NrLeg.emplace();
    leg.Tech = TAccessTech::NrNsa, leg.Channel = 627264, leg.PhysicalId = 500;

    // 5G SA with one NR carrier of each role and more secondaries than the CSV has columns;
    // one gives its channel without a band and a level that is no number.
    TRadioStatus sa;
    sa.Tech = TAccessTech::NrSa;
    AddCarrier(sa, Carrier(TCarrierRole::Primary, TAccessTech::NrSa, 78, 640000, 100, 1, -80));
    for (int k = 1; k <= 6; ++k)
        AddCarrier(sa, Carrier(TCarrierRole::Secondary, TAccessTech::NrSa, 28, 155000 + k, 10,
                               10 + k, -100 - k));
    sa.Carriers[1].Band.reset();
    sa.Carriers[1].Rsrp = std::nan("");

    TRadioStatus gsm;
    gsm.Tech = TAccessTech::Gsm;
    return {
        {"EN-DC with carrier aggregation",
         EnDcWithAggregation(),
         {{"carrier_count", "3"},
          {"aggregated_bandwidth_mhz", "135.0"},
          {"carrier_pcc_tech", "LTE"},
          {"carrier_pcc_band", "3"},
          {"carrier_pcc_channel", "1300"},
          {"carrier_pcc_bandwidth_mhz", "20.0"},
          {"carrier_pcc_rssi", "-60.5"},
          {"carrier_scc1_band", "7"},
          {"carrier_scc1_pci", "8"},
          {"carrier_scc1_sinr", ""},
          {"carrier_scc2_tech", "5G NSA"},
          {"carrier_scc2_channel", "627264"},
          {"carrier_scc2_rsrp", "-85.5"},
          {"carrier_scc3_band", ""},
          {"carrier_scc4_tech", ""}},
         "\"carriers\":[{\"role\":\"PCC\",\"tech\":\"LTE\",\"band\":3,\"channel\":1300,"
         "\"bandwidth_mhz\":20.0,\"pci\":7,\"rsrp\":-90.0,\"rsrq\":-11.0,\"rssi\":-60.5,"
         "\"sinr\":16.0},{\"role\":\"SCC\",\"tech\":\"LTE\",\"band\":7,\"channel\":3100,"
         "\"bandwidth_mhz\":15.0,\"pci\":8,\"rsrp\":-95.0,\"rsrq\":null,\"rssi\":null,"
         "\"sinr\":null},{\"role\":\"SCC\",\"tech\":\"5G NSA\",\"band\":78,\"channel\":627264,"
         "\"bandwidth_mhz\":100.0,\"pci\":500,\"rsrp\":-85.5,\"rsrq\":null,\"rssi\":null,"
         "\"sinr\":20.0}],\"aggregated_bandwidth_mhz\":135.0",
         "  LTE-A B3+B7 \xc2\xb7 5G NSA n78, 135.0 MHz (B3 PCI 7 RSRP -90.0 SINR 16.0; B7 PCI 8 "
         "RSRP -95.0; n78 PCI 500 RSRP -85.5 SINR 20.0)"},
        {"5G NSA without a carrier report",
         nsa,
         {{"carrier_count", "2"},
          {"aggregated_bandwidth_mhz", ""},
          {"carrier_pcc_band", "20"},
          {"carrier_pcc_rsrp", "-90.0"},
          {"carrier_scc1_tech", "5G NSA"},
          {"carrier_scc1_band", "78"},
          {"carrier_scc1_bandwidth_mhz", ""}},
         "\"carriers\":[{\"role\":\"PCC\",\"tech\":\"LTE\",\"band\":20,\"channel\":6300,"
         "\"bandwidth_mhz\":null,\"pci\":7,\"rsrp\":-90.0,\"rsrq\":null,\"rssi\":null,"
         "\"sinr\":null},{\"role\":\"SCC\",\"tech\":\"5G NSA\",\"band\":78,\"channel\":627264,",
         // the radio part tells these carriers already
         "+ n78 627264 PCI 500"},
        {"5G SA beyond the columns",
         sa,
         {{"carrier_count", "7"},
          {"aggregated_bandwidth_mhz", "160.0"},
          {"carrier_pcc_tech", "5G SA"},
          {"carrier_scc1_band", "28"}, // told by its channel, 155001
          {"carrier_scc1_rsrp", ""},
          {"carrier_scc4_pci", "14"},
          {"carrier_scc4_rsrp", "-104.0"}},
         "{\"role\":\"SCC\",\"tech\":\"5G SA\",\"band\":28,\"channel\":155006,"
         "\"bandwidth_mhz\":10.0,\"pci\":16,\"rsrp\":-106.0,\"rsrq\":null,\"rssi\":null,"
         "\"sinr\":null}],\"aggregated_bandwidth_mhz\":160.0",
         "  5G SA n78+n28+n28+n28+n28+n28+n28, 160.0 MHz (n78 PCI 1 RSRP -80.0; n28 PCI 11; n28 "
         "PCI 12 RSRP -102.0;"},
        {"GSM has no carriers",
         gsm,
         {{"carrier_count", ""}, {"aggregated_bandwidth_mhz", ""}, {"carrier_pcc_tech", ""}},
         "\"carriers\":[],\"aggregated_bandwidth_mhz\":null,",
         "dBm, 2 neighbours  GSM"},
    };
}

TEST(CarrierRecords, EveryFormatListsTheCarriersInUse) {
    const std::size_t columns = CsvColumns().size();
    for (const CarrierCase& c : CarrierCases()) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        r.Status.Radio = c.radio;
        const std::vector<std::string> row = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
        ASSERT_EQ(row.size(), columns);
        for (const auto& [column, field] : c.csv)
            EXPECT_EQ(Column(row, column), field) << column;
        const std::string line = FormatRecord(TRecordFormat::JsonLines, r);
        EXPECT_TRUE(IsJson(line)) << line;
        EXPECT_NE(line.find(c.json), std::string::npos) << c.json << "\n" << line;
        const std::string text = FormatRecord(TRecordFormat::Text, r);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_EQ(text.find("MHz") != std::string::npos, !c.radio.Carriers.empty()) << text;
    }
}

TEST(CarrierRecords, TheCarrierColumnsFollowAllEarlierOnes) {
    const auto& names = CsvColumns();
    const auto at = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    // What earlier versions wrote ends with the sixth radio neighbour.
    EXPECT_EQ(at("carrier_count"), at("radio_neighbour6_rscp") + 1);
    EXPECT_EQ(at("carrier_scc4_sinr") + 1, at("registered"));
    EXPECT_EQ(names.back(), "registered");
}

// ---- the level of the bar ------------------------------------------------------------------

struct LevelCase {
    const char* name;
    int csq;           // the +CSQ rssi, -1 when the modem was not asked
    TAccessTech tech;  // the radio's
    double rsrp, rscp; // NaN for not measured
    const char* level; // the record's signal_percent, empty for none
};

TEST(SignalRecords, TheLevelIsTheOneTheWindowsBarShows) {
    const double none = std::nan("");
    const LevelCase cases[] = {
        {"GSM by +CSQ", 16, TAccessTech::Unknown, none, none, "50"},
        {"LTE under +CSQ 99 by RSRP", 99, TAccessTech::Lte, -95, none, "47"},
        {"LTE by RSRP, not by +CSQ", 20, TAccessTech::Lte, -95, none, "47"},
        {"LTE at the bottom of the RSRP scale", 99, TAccessTech::Lte, -140, none, "0"},
        {"LTE not asked +CSQ", -1, TAccessTech::Lte, -44, none, "100"},
        {"UMTS under +CSQ 99 by RSCP", 99, TAccessTech::Umts, none, -85, "37"},
        {"UMTS with +CSQ by +CSQ", 16, TAccessTech::Umts, none, -85, "50"},
        {"GSM with an RSRP by +CSQ", 16, TAccessTech::Gsm, -95, none, "50"},
        {"+CSQ 99 and nothing measured", 99, TAccessTech::Lte, none, none, ""},
        {"+CSQ off its scale", 45, TAccessTech::Unknown, none, none, ""},
        {"an RSRP that is no number", 99, TAccessTech::Lte, INFINITY, none, ""},
        {"not asked at all", -1, TAccessTech::Unknown, none, none, ""},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        TModemStatus& s = r.Status;
        s.LevelValid = c.csq >= 0, s.SignalRaw = c.csq;
        s.Level = c.csq >= 0 && c.csq <= 31 ? c.csq * 100 / 32 : 0;
        s.Radio.Tech = c.tech;
        if (!std::isnan(c.rsrp))
            s.Radio.Serving.Rsrp = c.rsrp;
        if (!std::isnan(c.rscp))
            s.Radio.Serving.Rscp = c.rscp;
        const std::string level = c.level;
        EXPECT_EQ(Column(SplitCsv(FormatRecord(TRecordFormat::Csv, r)), "signal_percent"), level);
        EXPECT_NE(FormatRecord(TRecordFormat::JsonLines, r)
                      .find("\"signal_percent\":" + (level.empty() ? "null" : level) + ","),
                  std::string::npos);
        const std::string shown = level.empty() ? "?" : level;
        EXPECT_NE(FormatRecord(TRecordFormat::Text, r)
                      .find("signal " + std::string(3 - shown.size(), ' ') + shown + "%"),
                  std::string::npos)
            << FormatRecord(TRecordFormat::Text, r);
    }
}

// ---- registered in any domain ----------------------------------------------------------------

struct RegisteredCase {
    const char* name;
    std::optional<int> creg, cereg, c5greg;
    const char* registered; // "true", "false", or empty for no value
    std::optional<int> cgreg = std::nullopt;
};

TEST(RegisteredRecords, RegisteredWhenAnyDomainSaysHomeOrRoaming) {
    const RegisteredCase cases[] = {
        {"+CREG home", 1, {}, {}, "true"},
        {"+CREG roaming", 5, {}, {}, "true"},
        {"LTE data only: +CREG searching, +CEREG home", 2, 1, {}, "true"},
        {"+CEREG roaming without +CREG", {}, 5, {}, "true"},
        {"5G SA: +C5GREG home, +CEREG not registered", 0, 0, 1, "true"},
        {"searching everywhere", 2, 2, 2, "false"},
        {"denied", 3, {}, {}, "false"},
        {"state unknown", 4, 4, {}, "false"},
        {"an out-of-range +CEREG beside a +CREG not registered", 0, -1, {}, "false"},
        {"nothing told", {}, {}, {}, ""},
        {"only a state out of range", -1, -1, {}, ""},
        {"+CREG SMS only, home", 6, {}, {}, "true"},
        {"+CREG SMS only, roaming", 7, {}, {}, "true"},
        {"+CEREG CSFB not preferred, home", 2, 9, {}, "true"},
        {"+CEREG CSFB not preferred, roaming", {}, 10, {}, "true"},
        {"+CEREG emergency bearer services only", 2, 8, {}, "false"},
        {"+C5GREG attached for RLOS only", {}, {}, 11, "false"},
        {"+CGREG home, +CREG searching", 2, {}, {}, "true", 1},
        {"+CGREG alone, emergency only", {}, {}, {}, "false", 8},
    };
    for (const RegisteredCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        r.Status.RegStateValid = c.creg.has_value();
        r.Status.RegState = c.creg.value_or(0);
        r.Status.Radio.EpsRegState = c.cereg;
        r.Status.Radio.NrRegState = c.c5greg;
        r.Status.Radio.PsRegState = c.cgreg;
        const std::string expected = c.registered;
        EXPECT_EQ(Column(SplitCsv(FormatRecord(TRecordFormat::Csv, r)), "registered"), expected);
        const std::string json = FormatRecord(TRecordFormat::JsonLines, r);
        EXPECT_NE(json.find("\"registered\":" + (expected.empty() ? "null" : expected) + "}"),
                  std::string::npos)
            << json;
        // The fields of earlier versions keep telling +CREG's own state.
        EXPECT_NE(json.find("\"registration_state\":" +
                            (c.creg && *c.creg >= 0 ? std::to_string(*c.creg) : "null")),
                  std::string::npos)
            << json;
    }
}

// ---- bands told by the channel ---------------------------------------------------------------

struct BandCase {
    const char* name;
    TAccessTech listed; // the radio's technology
    TRadioCell cell;    // listed as a neighbour
    std::string band;   // the neighbour's JSON band, "" for none
};

TRadioCell Cell(TAccessTech tech, std::optional<int> channel, std::optional<int> band) {
    TRadioCell c;
    c.Tech = tech, c.Channel = channel, c.Band = band, c.PhysicalId = 11;
    return c;
}

TEST(BandRecords, ANeighbourWithoutItsBandGetsTheOneItsChannelTells) {
    const BandCase cases[] = {
        {"EARFCN 1300 is B3", TAccessTech::Lte, Cell(TAccessTech::Lte, 1300, {}), "3"},
        {"a band the modem named stays", TAccessTech::Lte, Cell(TAccessTech::Lte, 1300, 20), "20"},
        {"no technology: the serving one", TAccessTech::Lte, Cell(TAccessTech::Unknown, 6300, {}),
         "20"},
        {"no technology under 5G NSA: LTE", TAccessTech::NrNsa,
         Cell(TAccessTech::Unknown, 3100, {}), "7"},
        {"UARFCN 10700 is B1", TAccessTech::Umts, Cell(TAccessTech::Umts, 10700, {}), "1"},
        {"NR-ARFCN 627264 is n78", TAccessTech::NrSa, Cell(TAccessTech::NrSa, 627264, {}), "78"},
        {"a channel in no known band", TAccessTech::Lte, Cell(TAccessTech::Lte, 99999, {}), ""},
        {"no channel", TAccessTech::Lte, Cell(TAccessTech::Lte, {}, {}), ""},
        {"GSM is told by its own columns", TAccessTech::Gsm, Cell(TAccessTech::Gsm, 60, {}), ""},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        r.Status.Radio.Tech = c.listed;
        r.Status.Radio.Neighbours = {c.cell};
        // The serving cell alike, in the column that has its band.
        r.Status.Radio.Serving = c.cell;
        const std::string json = FormatRecord(TRecordFormat::JsonLines, r);
        const std::size_t from = json.find("\"radio_neighbour_cells\":");
        const std::string neighbours = json.substr(from, json.find("\"carriers\":") - from);
        const std::size_t band = neighbours.find("\"band\":");
        if (c.band.empty())
            EXPECT_EQ(band, std::string::npos) << neighbours;
        else
            EXPECT_EQ(neighbours.substr(band, 8 + c.band.size()), "\"band\":" + c.band + ",")
                << neighbours;
        EXPECT_EQ(Column(SplitCsv(FormatRecord(TRecordFormat::Csv, r)), "radio_band"), c.band);
    }
}

} // namespace
} // namespace celdara
