// Poll records as CSV, JSON lines and text: quoting, bytes that are not UTF-8, values the
// modem did not give.
#include "records/RecordFormat.h"

#include "modem/StatusDisplay.h"
#include "records/RecordSamples.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace celdara {
namespace {

using namespace recordtests;

TEST(CsvRecords, HeaderAndRowsHaveTheSameColumnsAndCarryTheValues) {
    const std::vector<std::string> header = SplitCsv(RecordHeader(TRecordFormat::Csv));
    EXPECT_EQ(header, CsvColumns());
    const std::vector<std::string> row = SplitCsv(FormatRecord(TRecordFormat::Csv, FullRecord()));
    ASSERT_EQ(row.size(), header.size());
    EXPECT_EQ(Column(row, "port"), "ttyUSB2");
    EXPECT_EQ(Column(row, "operator_name"), "T-Mobile CZ");
    EXPECT_EQ(Column(row, "operator_code"), "23001");
    EXPECT_EQ(Column(row, "registration"), "registered, home network");
    EXPECT_EQ(Column(row, "activity"), "ready");
    EXPECT_EQ(Column(row, "signal_percent"), "50");
    EXPECT_EQ(Column(row, "signal_rssi"), "16");
    EXPECT_EQ(Column(row, "bit_errors"), "0");
    EXPECT_EQ(Column(row, "serving_channel"), "23");
    EXPECT_EQ(Column(row, "serving_band"), "900");
    EXPECT_EQ(Column(row, "serving_dbm"), "-76");
    EXPECT_EQ(Column(row, "neighbour2_channel"), "700");
    EXPECT_EQ(Column(row, "neighbour2_band"), "1800");
    EXPECT_EQ(Column(row, "neighbour3_channel"), "");
}

TEST(CsvRecords, NamesWithCommasAndQuotesAreQuotedAndReadBackWhole) {
    struct Case {
        const char* name;
        const char* field;
    };
    const Case cases[] = {
        {"O2 - CZ", "O2 - CZ"},
        {"Telekom, DE", "\"Telekom, DE\""},
        {"Say \"hi\"", "\"Say \"\"hi\"\"\""},
        // a line break stays in its field, as an escape that no line reader splits
        {"line\r\nbreak", "line\\x0d\\x0abreak"},
    };
    for (const Case& c : cases) {
        TPollRecord r = FullRecord();
        r.Status.OperatorName = c.name;
        const std::string line = FormatRecord(TRecordFormat::Csv, r);
        EXPECT_NE(line.find(std::string(",") + c.field + ","), std::string::npos) << line;
        EXPECT_EQ(Column(SplitCsv(line), "operator_name"), c.field[0] == '"' ? c.name : c.field);
    }
}

TEST(CsvRecords, ValuesTheModemDidNotGiveAreEmptyNeverMadeUp) {
    TPollRecord r = FullRecord();
    ClearModemStatus(r.Status);
    r.Manufacturer.clear();
    const std::vector<std::string> row = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
    ASSERT_EQ(row.size(), CsvColumns().size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (CsvColumns()[i] == "time" || CsvColumns()[i] == "port" || CsvColumns()[i] == "model")
            continue;
        EXPECT_EQ(row[i], "") << CsvColumns()[i];
    }

    // 27.007's 99 is "not known": +CSQ: 99,99 gives no signal and no bit error rate.
    r = FullRecord();
    r.Status.SignalRaw = 99, r.Status.Level = 0;
    r.Status.BitErrorsRaw = 99, r.Status.BitErrors = 0;
    const std::vector<std::string> unknown = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
    EXPECT_EQ(Column(unknown, "signal_percent"), "");
    EXPECT_EQ(Column(unknown, "signal_rssi"), "");
    EXPECT_EQ(Column(unknown, "bit_errors"), "");
    // A value out of the scale is shown as given, without a percentage made of it.
    r.Status.SignalRaw = 45;
    const std::vector<std::string> odd = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
    EXPECT_EQ(Column(odd, "signal_rssi"), "45");
    EXPECT_EQ(Column(odd, "signal_percent"), "");
}

TEST(JsonRecords, AFullRecordHasItsValuesCellsAndNeighbours) {
    const std::string line = FormatRecord(TRecordFormat::JsonLines, FullRecord());
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    EXPECT_EQ(line.find('\n'), std::string::npos);
    for (const char* part :
         {"\"port\":\"ttyUSB2\"", "\"operator_name\":\"T-Mobile CZ\"", "\"signal_percent\":50",
          "\"signal_rssi\":16", "\"registration_state\":1",
          "\"serving_cell\":{\"channel\":23,\"band\":\"900\",\"rxlev\":35,\"dbm\":-76,\"c1\":31,"
          "\"mcc\":230,\"mnc\":1}",
          "\"neighbour_cells\":[{\"channel\":60,"})
        EXPECT_NE(line.find(part), std::string::npos) << part << "\n" << line;
    EXPECT_EQ(line.find("\"neighbour_cells\":[{"), line.rfind("\"neighbour_cells\":[{"));
}

TEST(JsonRecords, MissingValuesAreNullAndAnEmptyCellListIsEmpty) {
    TPollRecord r = FullRecord();
    ClearModemStatus(r.Status);
    const std::string line = FormatRecord(TRecordFormat::JsonLines, r);
    for (const char* part :
         {"\"operator_name\":null", "\"signal_percent\":null", "\"bit_errors\":null",
          "\"serving_cell\":null", "\"neighbour_cells\":[]", "\"activity\":null"})
        EXPECT_NE(line.find(part), std::string::npos) << part << "\n" << line;
}

TEST(JsonRecords, BytesThatAreNotUtf8AndControlCharactersNeverMakeInvalidJson) {
    TPollRecord r = FullRecord();
    r.Status.OperatorName = std::string("Telef\xF3nica \"ES\"\\\x01", 17);
    r.Model = "caf\xC3\xA9"; // valid UTF-8 stays as it is
    const std::string line = FormatRecord(TRecordFormat::JsonLines, r);
    EXPECT_NE(line.find("\"operator_name\":\"Telef\xC3\xB3nica \\\"ES\\\"\\\\\\u0001\""),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"model\":\"caf\xC3\xA9\""), std::string::npos);
    EXPECT_EQ(TextAsUtf8(line), line) << "the line is valid UTF-8";
}

TEST(Utf8Text, WellFormedSequencesStayAndEveryOtherByteIsItsLatin1Character) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9", "\xC3\xA9"},                     // é
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},             // €
        {"\xF0\x9F\x93\xB6", "\xF0\x9F\x93\xB6"},     // a four-byte character
        {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},           // Latin-1 é
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},             // an overlong form
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"}, // a surrogate
        {"\xE2\x82", "\xC3\xA2\xC2\x82"},             // cut short at the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextAsUtf8(c.in), c.out) << c.in;
}

TEST(TextRecords, OneLineWithTheSignalTheOperatorAndTheCell) {
    const std::string line = FormatRecord(TRecordFormat::Text, FullRecord());
    EXPECT_NE(line.find("ttyUSB2"), std::string::npos);
    EXPECT_NE(line.find("signal  50%  rssi 16  ber 0"), std::string::npos) << line;
    EXPECT_NE(line.find("T-Mobile CZ (23001), registered, home network"), std::string::npos);
    EXPECT_NE(line.find("cell 23 (900) -76 dBm, 2 neighbours"), std::string::npos) << line;
    TPollRecord r = FullRecord();
    ClearModemStatus(r.Status);
    EXPECT_NE(FormatRecord(TRecordFormat::Text, r)
                  .find("signal   ?%  rssi ?   ber ?  operator not known, registration not known"),
              std::string::npos)
        << FormatRecord(TRecordFormat::Text, r);
}

// ---- the radio beyond GSM -----------------------------------------------------------------

TRadioCell LteCell(int pci, double rsrp) {
    TRadioCell c;
    c.Tech = TAccessTech::Lte, c.Channel = 6300, c.Band = 20, c.PhysicalId = pci;
    c.Rsrp = rsrp, c.Rsrq = -11, c.Sinr = 16;
    return c;
}

// Radio states as a modem's parsers fill them, each with what its record must say.
struct RadioCase {
    const char* name;
    TRadioStatus radio;
    std::vector<std::pair<std::string, std::string>> csv; // column -> field
    std::vector<std::string> json;                        // parts of the JSON line
    std::string text;                                     // part of the text line
};

std::vector<RadioCase> RadioCases() {
    TRadioStatus lte;
    lte.Tech = TAccessTech::Lte, lte.Act = 7, lte.EpsRegState = 5;
    lte.Serving = LteCell(123, -95);
    lte.Serving.AreaCode = 4711, lte.Serving.CellId = 12345 * 256 + 7;
    lte.Serving.Mcc = 262, lte.Serving.Mnc = 1, lte.Serving.Rssi = -65.25;
    lte.Neighbours = {LteCell(124, -101.46)};

    TRadioStatus nsa;
    nsa.Tech = TAccessTech::NrNsa, nsa.Act = 13, nsa.NrRegState = 1;
    nsa.Serving = LteCell(7, -90);
    TRadioCell& nr = nsa.NrLeg.emplace();
    nr.Tech = TAccessTech::NrNsa, nr.Channel = 627264, nr.Band = 78, nr.PhysicalId = 500;
    nr.CellId = (std::int64_t{1} << 36) - 1, nr.Rsrp = -85.5, nr.Rsrq = -10.5, nr.Sinr = 20;

    TRadioStatus umts;
    umts.Tech = TAccessTech::Umts;
    TRadioCell& u = umts.Serving;
    u.Tech = TAccessTech::Umts, u.Channel = 10700, u.Band = 1, u.PhysicalId = 300;
    u.CellId = 0x1234567, u.Rscp = -85, u.EcIo = -0.04;

    // Nothing but "no value": a state out of range, measurements that are not numbers.
    TRadioStatus none;
    none.Serving.Tech = TAccessTech::Lte;
    none.Serving.Rsrp = std::nan(""), none.Serving.Sinr = INFINITY;
    none.EpsRegState = -1;

    TRadioStatus many = lte;
    for (int i = 1; i < 9; ++i)
        AddNeighbour(many, LteCell(200 + i, -100 - i));
    return {
        {"LTE",
         lte,
         {{"access_tech", "LTE"},
          {"act", "7"},
          {"eps_registration", "registered, roaming"},
          {"eps_registration_state", "5"},
          {"radio_pci", "123"},
          {"radio_area_code", "4711"},
          {"radio_cell_id", "3160327"},
          {"radio_enodeb", "12345"},
          {"radio_mnc", "1"},
          {"radio_rssi", "-65.2"},
          {"radio_rsrp", "-95.0"},
          {"radio_rscp", ""},
          {"nr_leg_rsrp", ""},
          {"radio_neighbour_count", "1"},
          {"radio_neighbour1_rsrp", "-101.5"},
          {"radio_neighbour2_pci", ""}},
         {"\"access_tech\":\"LTE\",\"act\":7,", "\"nr_leg\":null",
          "\"radio_serving_cell\":{\"tech\":\"LTE\",\"channel\":6300,\"band\":20,\"pci\":123,"
          "\"area_code\":4711,\"cell_id\":3160327,\"enodeb\":12345,\"mcc\":262,\"mnc\":1,"
          "\"rssi\":-65.2,\"rscp\":null,",
          // a neighbour has the members it was given, no others
          "\"radio_neighbour_cells\":[{\"tech\":\"LTE\",\"channel\":6300,\"band\":20,"
          "\"pci\":124,\"rsrp\":-101.5,\"rsrq\":-11.0,\"sinr\":16.0}]"},
         "  LTE B20 6300 PCI 123 RSSI -65.2 RSRP -95.0 RSRQ -11.0 SINR 16.0, 1 neighbour"},
        {"5G NSA",
         nsa,
         {{"access_tech", "5G NSA"},
          {"nr_registration_state", "1"},
          {"radio_rsrp", "-90.0"},
          {"nr_leg_channel", "627264"},
          {"nr_leg_band", "78"},
          {"nr_leg_pci", "500"},
          {"nr_leg_rsrq", "-10.5"},
          {"nr_leg_sinr", "20.0"},
          {"radio_neighbour_count", ""}},
         {"\"nr_leg\":{\"tech\":\"5G NSA\",\"channel\":627264,\"band\":78,\"pci\":500,"
          "\"area_code\":null,\"cell_id\":68719476735,\"enodeb\":null,"},
         "  5G NSA B20 6300 PCI 7 RSRP -90.0 RSRQ -11.0 SINR 16.0 + n78 627264 PCI 500 RSRP "
         "-85.5 RSRQ -10.5 SINR 20.0"},
        {"UMTS",
         umts,
         {{"radio_tech", "UMTS"},
          {"radio_pci", "300"},
          {"radio_cell_id", "19088743"},
          {"radio_enodeb", ""},
          {"radio_rscp", "-85.0"},
          {"radio_ecio", "0.0"}},
         {"\"rscp\":-85.0,\"ecio\":0.0,\"rsrp\":null"},
         "  UMTS B1 10700 PSC 300 RSCP -85.0 Ec/Io 0.0"},
        {"no values",
         none,
         {{"radio_tech", "LTE"},
          {"radio_rsrp", ""},
          {"radio_sinr", ""},
          {"eps_registration_state", ""},
          {"eps_registration", ""}},
         {"\"access_tech\":null", "\"eps_registration_state\":null", "\"rsrp\":null",
          "\"radio_neighbour_cells\":[]"},
         "dBm, 2 neighbours  LTE"},
        {"more neighbours than columns",
         many,
         {{"radio_neighbour_count", "9"},
          {"radio_neighbour6_pci", "205"},
          {"radio_neighbour6_rsrp", "-105.0"}},
         {"\"pci\":208,\"rsrp\":-108.0,\"rsrq\":-11.0,\"sinr\":16.0}]"},
         "SINR 16.0, 9 neighbours"},
    };
}

TEST(RadioRecords, EveryFormatCarriesTheRadioValuesAndLeavesMissingOnesEmpty) {
    const std::size_t columns = SplitCsv(RecordHeader(TRecordFormat::Csv)).size();
    for (const RadioCase& c : RadioCases()) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        r.Status.Radio = c.radio;
        const std::vector<std::string> row = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
        ASSERT_EQ(row.size(), columns);
        for (const auto& [column, field] : c.csv)
            EXPECT_EQ(Column(row, column), field) << column;
        const std::string line = FormatRecord(TRecordFormat::JsonLines, r);
        EXPECT_TRUE(IsJson(line)) << line;
        for (const std::string& part : c.json)
            EXPECT_NE(line.find(part), std::string::npos) << part << "\n" << line;
        const std::string text = FormatRecord(TRecordFormat::Text, r);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
}

TEST(RadioRecords, TheGsmColumnsStayWhereStoredFilesHaveThem) {
    std::vector<std::string> gsm = {
        "time",           "port",         "manufacturer",       "model",    "operator_name",
        "operator_code",  "registration", "registration_state", "activity", "activity_state",
        "signal_percent", "signal_rssi",  "bit_errors"};
    for (const std::string cell : {"serving", "neighbour1", "neighbour2", "neighbour3",
                                   "neighbour4", "neighbour5", "neighbour6"})
        for (const char* value : {"channel", "band", "rxlev", "dbm", "c1", "mcc", "mnc"})
            gsm.push_back(cell + "_" + value);
    const auto& names = CsvColumns();
    ASSERT_GT(names.size(), gsm.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + gsm.size()), gsm);

    // A GSM-only modem's record reads as before, whatever the radio adds after it; only the
    // level follows the window's bar, which takes the radio's RSRP.
    const TPollRecord gsmOnly = FullRecord();
    const std::string csv = FormatRecord(TRecordFormat::Csv, gsmOnly);
    const std::string json = FormatRecord(TRecordFormat::JsonLines, gsmOnly);
    const std::string text = FormatRecord(TRecordFormat::Text, gsmOnly);
    for (const RadioCase& c : RadioCases()) {
        SCOPED_TRACE(c.name);
        TPollRecord r = gsmOnly;
        r.Status.Radio = c.radio;
        const std::string level = std::to_string(MeasuredSignalLevelOf(r.Status).value_or(-1));
        auto withLevel = [&](std::string line, const std::string& before,
                             const std::string& after) {
            const std::size_t at = line.find(before + "50" + after);
            EXPECT_NE(at, std::string::npos) << line;
            return at == std::string::npos ? line : line.replace(at + before.size(), 2, level);
        };
        auto before = SplitCsv(csv);
        before[10] = level; // signal_percent
        const auto after = SplitCsv(FormatRecord(TRecordFormat::Csv, r));
        EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + gsm.size()),
                  std::vector<std::string>(before.begin(), before.begin() + gsm.size()));
        const std::string gsmJson =
            withLevel(json.substr(0, json.find(",\"access_tech\"")), "\"signal_percent\":", ",");
        EXPECT_EQ(FormatRecord(TRecordFormat::JsonLines, r).rfind(gsmJson, 0), 0u);
        const std::string gsmText = withLevel(text, "signal  ", "%");
        EXPECT_EQ(FormatRecord(TRecordFormat::Text, r).rfind(gsmText, 0), 0u);
    }
}

TEST(RecordTimes, IsoTimeCarriesTheZoneOffsetWithAColon) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "XYZ-1:30", 1); // 1 h 30 min east of UTC, no zone database needed
    tzset();
    const auto time = std::chrono::system_clock::from_time_t(0) + std::chrono::milliseconds(42);
    EXPECT_EQ(IsoTimeText(time), "1970-01-01T01:30:00.042+01:30");
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    // The shape of any time: digits where digits belong, the zone with its colon.
    const std::string now = IsoTimeText(std::chrono::system_clock::now());
    const std::string shape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    ASSERT_EQ(now.size(), shape.size()) << now;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = now[i] >= '0' && now[i] <= '9';
        if (shape[i] == 'd')
            EXPECT_TRUE(digit) << now;
        else if (shape[i] == '+')
            EXPECT_TRUE(now[i] == '+' || now[i] == '-') << now;
        else
            EXPECT_EQ(now[i], shape[i]) << now;
    }
}

TEST(RecordFormats, NamesAreTheCommandLineOnes) {
    EXPECT_EQ(RecordFormatOfName("text"), TRecordFormat::Text);
    EXPECT_EQ(RecordFormatOfName("csv"), TRecordFormat::Csv);
    EXPECT_EQ(RecordFormatOfName("jsonl"), TRecordFormat::JsonLines);
    EXPECT_EQ(RecordFormatOfName("json"), std::nullopt);
    EXPECT_EQ(RecordHeader(TRecordFormat::JsonLines), "");
}

} // namespace
} // namespace celdara
