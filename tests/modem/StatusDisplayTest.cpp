#include "modem/StatusDisplay.h"

#include "modem/ReplyParsers.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(BandOfChannelTest, NamesTheGsmBands) {
    const std::pair<int, const char*> cases[] = {
        {0, "900"},    {124, "900"},  {125, "?"},    {300, "?"},  {511, "?"},
        {512, "1800"}, {700, "1800"}, {885, "1800"}, {886, "?"},  {954, "?"},
        {955, "900"},  {1000, "900"}, {1023, "900"}, {1024, "?"}, {-1, "?"}};
    for (auto [channel, band] : cases)
        EXPECT_EQ(BandOfChannel(channel), band) << channel;
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

TEST(GraphValueTest, NoLevelAndNoNewCellGivesZero) {
    int last = -1;
    TModemStatus s;
    EXPECT_EQ(GraphValueOf(s, last), 0);
    EXPECT_EQ(last, -1);
}

TEST(OperatorPanelTest, CombinesNameCodeAndRegistration) {
    TModemStatus s;
    ParseOperator("+COPS: 0,0,\"Vodafone CZ\"", s);
    ParseOperator("+COPS: 0,2,\"23003\"", s);
    ParseRegistration("+CREG: 0,5", s);
    EXPECT_EQ(OperatorPanelText(s), "Vodafone CZ (23003), registered, roaming");
}

TEST(OperatorPanelTest, ModeOnlyReplyShowsQuestionMarks) {
    TModemStatus s;
    ParseOperator("+COPS: 0", s);
    ParseRegistration("+CREG: 0,2", s);
    EXPECT_EQ(OperatorPanelText(s), "? (?), not registered, searching");
}

TEST(OperatorPanelTest, RegistrationTextFollowsTheState) {
    TModemStatus s;
    EXPECT_EQ(OperatorPanelText(s), "?, registration state unknown");
    ParseRegistration("+CREG: 0,7", s);
    EXPECT_EQ(OperatorPanelText(s), "?");
    const std::pair<const char*, const char*> cases[] = {
        {"+CREG: 0,0", "?, not registered, not searching"},
        {"+CREG: 0,1", "?, registered, home network"},
        {"+CREG: 0,3", "?, registration denied"},
        {"+CREG: 0,4", "?, registration state unknown"}};
    for (auto [line, text] : cases) {
        ParseRegistration(line, s);
        EXPECT_EQ(OperatorPanelText(s), text) << line;
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

} // namespace
} // namespace celdara
