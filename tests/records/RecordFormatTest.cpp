// Poll records as CSV, JSON lines and text: quoting, bytes that are not UTF-8, values the
// modem did not give.
#include "records/RecordFormat.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace celdara {
namespace {

// A cycle as the poll of a Siemens-style modem fills it (+CSQ: 16,0; +COPS; +CREG: 0,1;
// +CPAS: 0; ^MONI and two ^MONP rows).
TPollRecord FullRecord() {
    TPollRecord r;
    r.Time = std::chrono::system_clock::from_time_t(1'765'290'000) + std::chrono::milliseconds(250);
    r.Port = "ttyUSB2";
    r.Manufacturer = "SIEMENS";
    r.Model = "MC35i";
    TModemStatus& s = r.Status;
    s.Level = 50, s.LevelValid = true, s.SignalRaw = 16;
    s.BitErrors = 0, s.BitErrorsValid = true, s.BitErrorsRaw = 0;
    s.RegState = 1, s.RegStateValid = true;
    s.Activity = 0, s.ActivityValid = true;
    s.OperatorName = "T-Mobile CZ", s.OperatorNameValid = true;
    s.OperatorCode = "23001", s.OperatorCodeValid = true;
    s.Cells[0] = {true, 23, 35, -76, 31, 230, 1};
    s.Cells[1] = {true, 60, 28, -83, 22, 230, 1};
    s.Cells[2] = {true, 700, 20, -91, 14, 230, 1};
    return r;
}

// The fields of one CSV line, quotes undone (RFC 4180).
std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string Column(const std::vector<std::string>& row, const std::string& name) {
    const auto& columns = CsvColumns();
    for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i)
        if (columns[i] == name)
            return row[i];
    ADD_FAILURE() << "no column " << name;
    return {};
}

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
        {"line\r\nbreak", "\"line\r\nbreak\""},
    };
    for (const Case& c : cases) {
        TPollRecord r = FullRecord();
        r.Status.OperatorName = c.name;
        const std::string line = FormatRecord(TRecordFormat::Csv, r);
        EXPECT_NE(line.find(std::string(",") + c.field + ","), std::string::npos) << line;
        EXPECT_EQ(Column(SplitCsv(line), "operator_name"), c.name);
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
    EXPECT_NE(FormatRecord(TRecordFormat::Text, r).find("signal   ?%  rssi ?   ber ?  ?, registration state unknown"),
              std::string::npos)
        << FormatRecord(TRecordFormat::Text, r);
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
