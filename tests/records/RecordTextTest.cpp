// What a broken or hostile modem cannot do to the records: drive the terminal a text record is
// printed on, break a CSV row, or leave stray blanks where it gave no value.
#include "records/RecordFormat.h"
#include "records/RecordSamples.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

using namespace recordtests;

// The first raw control character (C0, DEL, or C1 as UTF-8) of the text, or npos.
std::size_t RawControlAt(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F))
            return i;
    }
    return std::string::npos;
}

TEST(VisibleText, ControlCharactersShowAsEscapesAndAllElseStays) {
    struct Case {
        const char* name;
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "T-Mobile CZ", "T-Mobile CZ"},
        {"empty", "", ""},
        {"ESC", "\x1b[2J", "\\x1b[2J"},
        {"NUL", std::string("a\0b", 3), "a\\x00b"},
        {"CR LF and tab", "a\r\n\tb", "a\\x0d\\x0a\\x09b"},
        {"DEL", "a\x7f", "a\\x7f"},
        {"C1 CSI",
         "\xc2\x9b"
         "31m",
         "\\x9b31m"},
        {"C1 at both ends of its range", "\xc2\x80\xc2\x9f", "\\x80\\x9f"},
        {"Latin-1 and the middle dot stay", "Telef\xc3\xb3nica \xc2\xb7 \xc2\xa0",
         "Telef\xc3\xb3nica \xc2\xb7 \xc2\xa0"},
        {"a four-byte character stays", "\xf0\x9f\x93\xb6", "\xf0\x9f\x93\xb6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VisibleText(c.in), c.out) << c.name;
}

struct EscapeCase {
    const char* name;
    std::string bytes;   // as the modem sent them
    std::string visible; // in the text line and the CSV field
};

TEST(EscapedRecords, ControlCharactersFromTheModemReachNeitherTheTerminalNorTheCsvRaw) {
    const EscapeCase cases[] = {
        {"a screen-clearing ESC sequence", "\x1b[2JEvil", "\\x1b[2JEvil"},
        {"a title-setting OSC ended by BEL", "\x1b]0;owned\x07Net", "\\x1b]0;owned\\x07Net"},
        {"a line break", "Net\r\nFake line", "Net\\x0d\\x0aFake line"},
        {"a tab and a DEL", "Net\t\x7f", "Net\\x09\\x7f"},
        {"a NUL", std::string("Net\0X", 5), "Net\\x00X"},
        {"an 8-bit CSI, read as Latin-1",
         "Net\x9b"
         "2J",
         "Net\\x9b2J"},
        {"a C1 CSI in UTF-8",
         "Net\xc2\x9b"
         "2J",
         "Net\\x9b2J"},
    };
    const std::size_t columns = CsvColumns().size();
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPollRecord r = FullRecord();
        r.Status.OperatorName = c.bytes;
        r.Model = c.bytes;
        const std::string text = FormatRecord(TRecordFormat::Text, r);
        EXPECT_EQ(RawControlAt(text), std::string::npos) << text;
        EXPECT_NE(text.find(c.visible + " (23001)"), std::string::npos) << text;
        const std::string csv = FormatRecord(TRecordFormat::Csv, r);
        EXPECT_EQ(RawControlAt(csv), std::string::npos) << csv;
        const std::vector<std::string> row = SplitCsv(csv);
        ASSERT_EQ(row.size(), columns);
        EXPECT_EQ(Column(row, "operator_name"), c.visible);
        EXPECT_EQ(Column(row, "model"), c.visible);
        // JSON keeps the characters themselves, escaped as JSON does.
        const std::string json = FormatRecord(TRecordFormat::JsonLines, r);
        EXPECT_EQ(RawControlAt(json), std::string::npos) << json;
        EXPECT_TRUE(IsJson(json)) << json;
    }
}

// ---- blanks ----------------------------------------------------------------------------------

// Which values a record has; each combination must read without stray blanks.
struct Presence {
    int name = 0; // 0 given, 1 blanks alone, 2 missing
    bool code = true;
    bool gsmServing = true;
    bool gsmNeighbours = true;
    bool radioTech = true;
    bool servingValues = true;
    int nrLeg = 0; // 0 none, 1 with values, 2 without
    bool radioNeighbour = true;
    bool carriers = true;
    int activity = 0; // 0 ready, 1 other, 2 missing
};

TRadioCell CellOn(TAccessTech tech, int channel) {
    TRadioCell cell;
    cell.Tech = tech, cell.Channel = channel;
    return cell;
}

TPollRecord RecordOf(const Presence& p) {
    TPollRecord r = FullRecord();
    TModemStatus& s = r.Status;
    s.OperatorName = p.name == 1 ? "   " : "T-Mobile CZ ";
    s.OperatorNameValid = p.name != 2;
    s.OperatorCodeValid = p.code;
    s.Cells[0].Valid = p.gsmServing;
    s.Cells[1].Valid = s.Cells[2].Valid = p.gsmNeighbours;
    TRadioStatus& radio = s.Radio;
    radio.Tech = !p.radioTech ? TAccessTech::Unknown
                 : p.nrLeg    ? TAccessTech::NrNsa
                              : TAccessTech::Lte;
    if (p.servingValues)
        radio.Serving.Channel = 1300, radio.Serving.PhysicalId = 7, radio.Serving.Rsrp = -90;
    if (p.nrLeg == 1)
        radio.NrLeg = CellOn(TAccessTech::NrNsa, 627264);
    else if (p.nrLeg == 2)
        radio.NrLeg = TRadioCell{};
    if (p.radioNeighbour)
        radio.Neighbours = {CellOn(TAccessTech::Lte, 1301)};
    if (p.carriers) {
        TCarrier pcc;
        pcc.Tech = TAccessTech::Lte, pcc.Band = 3, pcc.BandwidthMhz = 20;
        AddCarrier(radio, pcc);
        TCarrier scc; // of which the modem told nothing but that it is there
        scc.Role = TCarrierRole::Secondary, scc.Tech = TAccessTech::Lte;
        AddCarrier(radio, scc);
    }
    s.ActivityValid = p.activity != 2;
    s.Activity = p.activity == 1 ? 3 : 0;
    return r;
}

// What follows the aligned columns of signal, rssi and bit errors.
std::string TextAfterTheColumns(const std::string& line) {
    const std::size_t ber = line.find("  ber ");
    return ber == std::string::npos ? line : line.substr(ber + 2 + 5 + 2);
}

// A description of the first stray blank or empty group, or empty.
std::string StrayBlanks(const std::string& line) {
    const std::string tail = TextAfterTheColumns(line);
    if (tail.empty() || tail.front() == ' ' || line.back() == ' ')
        return "a blank at an end";
    for (const char* flaw : {"   ", " ,", ",,", ", ,", "( ", " )", "()", " ;", "[]"})
        if (tail.find(flaw) != std::string::npos)
            return std::string("\"") + flaw + "\"";
    return {};
}

TEST(TextRecords, NoStrayBlanksForAnyValueGivenOrMissing) {
    int combinations = 0;
    for (int bits = 0; bits < (1 << 8); ++bits)
        for (int name = 0; name < 3; ++name)
            for (int nrLeg = 0; nrLeg < 3; ++nrLeg)
                for (int activity = 0; activity < 3; ++activity) {
                    const Presence p{name,
                                     (bits & 1) != 0,
                                     (bits & 2) != 0,
                                     (bits & 4) != 0,
                                     (bits & 8) != 0,
                                     (bits & 16) != 0,
                                     nrLeg,
                                     (bits & 32) != 0,
                                     (bits & 64) != 0,
                                     (bits & 128) != 0 ? activity : 0};
                    const std::string line = FormatRecord(TRecordFormat::Text, RecordOf(p));
                    ASSERT_EQ(StrayBlanks(line), "") << line;
                    ++combinations;
                }
    EXPECT_EQ(combinations, 256 * 27);
}

TEST(TextRecords, MissingValuesLeaveTheirNeighboursCloseTogether) {
    struct Case {
        const char* name;
        Presence presence;
        const char* tail; // TextAfterTheColumns
    };
    Presence bare;
    bare.gsmNeighbours = bare.radioNeighbour = bare.carriers = false;
    Presence emptyServing = bare;
    emptyServing.gsmServing = emptyServing.servingValues = false;
    emptyServing.radioNeighbour = true;
    Presence gsmNeighboursAlone = emptyServing;
    gsmNeighboursAlone.gsmNeighbours = true, gsmNeighboursAlone.radioTech = false;
    gsmNeighboursAlone.radioNeighbour = false;
    Presence blankName = bare;
    blankName.name = 1, blankName.gsmServing = false, blankName.activity = 1;
    Presence emptyLeg = bare;
    emptyLeg.nrLeg = 2, emptyLeg.gsmServing = false;
    Presence carriersOnly = bare;
    carriersOnly.carriers = true, carriersOnly.gsmServing = false;
    carriersOnly.servingValues = false, carriersOnly.code = false;
    const Case cases[] = {
        {"all there", bare,
         "T-Mobile CZ (23001), registered, home network  cell 23 (900) -76 dBm  LTE B3 1300 PCI "
         "7 RSRP -90.0"},
        {"LTE with a serving cell of no values", emptyServing,
         "T-Mobile CZ (23001), registered, home network  LTE, 1 neighbour"},
        {"GSM neighbours without their serving cell", gsmNeighboursAlone,
         "T-Mobile CZ (23001), registered, home network  2 neighbours"},
        {"an operator name of blanks", blankName,
         "23001, registered, home network  LTE B3 1300 PCI 7 RSRP -90.0  [ringing]"},
        {"an NR leg of no values", emptyLeg,
         "T-Mobile CZ (23001), registered, home network  5G NSA B3 1300 PCI 7 RSRP -90.0"},
        {"carriers that tell little", carriersOnly,
         "T-Mobile CZ, registered, home network  LTE  LTE-A B3, 20.0 MHz (B3)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextAfterTheColumns(FormatRecord(TRecordFormat::Text, RecordOf(c.presence))),
                  c.tail)
            << c.name;
}

} // namespace
} // namespace celdara
