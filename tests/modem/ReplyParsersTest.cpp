#include "modem/ReplyParsers.h"

#include <gtest/gtest.h>
#include <optional>

namespace celdara {
namespace {

TEST(ClearModemStatusTest, DropsEveryValidityFlagAndKeepsTheValues) {
    TModemStatus s;
    s.Level = 50;
    s.LevelValid = s.BitErrorsValid = s.RegStateValid = s.ActivityValid = true;
    s.OperatorName = "O2";
    s.OperatorNameValid = s.OperatorCodeValid = true;
    for (TCellInfo& c : s.Cells) {
        c.Valid = true;
        c.Channel = 17;
    }
    ClearModemStatus(s);
    EXPECT_FALSE(s.LevelValid || s.BitErrorsValid || s.RegStateValid || s.ActivityValid ||
                 s.OperatorNameValid || s.OperatorCodeValid);
    for (const TCellInfo& c : s.Cells) {
        EXPECT_FALSE(c.Valid);
        EXPECT_EQ(c.Channel, 17);
    }
    EXPECT_EQ(s.Level, 50);
    EXPECT_EQ(s.OperatorName, "O2");
}

struct SignalCase {
    const char* name;
    const char* line;
    int level;
    int bitErrors;
};
void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class SignalQualityTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalQualityTest, ScalesRssiAndLimitsBitErrors) {
    TModemStatus s;
    ParseSignalQuality(GetParam().line, s);
    EXPECT_TRUE(s.LevelValid);
    EXPECT_TRUE(s.BitErrorsValid);
    EXPECT_EQ(s.Level, GetParam().level);
    EXPECT_EQ(s.BitErrors, GetParam().bitErrors);
}

INSTANTIATE_TEST_SUITE_P(Cases, SignalQualityTest,
                         ::testing::Values(SignalCase{"not_known", "+CSQ: 99,99", 0, 0},
                                           SignalCase{"strongest", "+CSQ: 31,0", 96, 0},
                                           SignalCase{"middle", "+CSQ: 16,3", 50, 3},
                                           SignalCase{"out_of_range", "+CSQ: 32,8", 0, 0},
                                           SignalCase{"negative", "+CSQ: -1,-1", 0, 0},
                                           SignalCase{"blanks_and_line_end", "  +CSQ:  20 , 7 \r",
                                                      62, 7},
                                           SignalCase{"garbage_numbers", "+CSQ: x,y", 0, 0}),
                         [](const auto& info) { return info.param.name; });

TEST(SignalQualityTest, ALineWithoutCommaOrColonChangesNothing) {
    for (const char* line : {"+CSQ: 20", "+CSQ 20,1", "", ","}) {
        TModemStatus s;
        s.Level = 33;
        ParseSignalQuality(line, s);
        EXPECT_FALSE(s.LevelValid) << line;
        EXPECT_FALSE(s.BitErrorsValid) << line;
        EXPECT_EQ(s.Level, 33) << line;
    }
}

TEST(OperatorTest, NameAndCodeComeFromTheirFormats) {
    TModemStatus s;
    ParseOperator("+COPS: 0,0,\"T-Mobile CZ\"", s);
    EXPECT_TRUE(s.OperatorNameValid);
    EXPECT_EQ(s.OperatorName, "T-Mobile CZ");
    EXPECT_FALSE(s.OperatorCodeValid);
    ParseOperator("+COPS: 0,2,\"23001\",2", s);
    EXPECT_TRUE(s.OperatorCodeValid);
    EXPECT_EQ(s.OperatorCode, "23001");
    EXPECT_EQ(s.OperatorName, "T-Mobile CZ");
}

TEST(OperatorTest, ModeAloneMeansNoOperatorYetKnownForSure) {
    TModemStatus s;
    ParseOperator("+COPS: 2", s);
    EXPECT_EQ(s.OperatorName, "?");
    EXPECT_EQ(s.OperatorCode, "?");
    EXPECT_TRUE(s.OperatorNameValid);
    EXPECT_TRUE(s.OperatorCodeValid);
}

TEST(OperatorTest, EmptyQuotedOperatorResetsTextsWithoutMakingThemValid) {
    TModemStatus s;
    s.OperatorName = "old";
    ParseOperator("+COPS: 0,0,\"\"", s);
    EXPECT_EQ(s.OperatorName, "?");
    EXPECT_EQ(s.OperatorCode, "?");
    EXPECT_FALSE(s.OperatorNameValid);
    EXPECT_FALSE(s.OperatorCodeValid);
}

TEST(OperatorTest, MalformedLinesChangeNothing) {
    for (const char* line : {"+COPS: 0,0", "+COPS: 0,0,\"open", "+COPS: 0,1,\"short\"",
                             "+COPS: 0,x,\"name\"", "COPS 0,0,\"x\"", "+COPS: 0,0,noquote"}) {
        TModemStatus s;
        ParseOperator(line, s);
        EXPECT_FALSE(s.OperatorNameValid) << line;
        EXPECT_FALSE(s.OperatorCodeValid) << line;
        EXPECT_EQ(s.OperatorName, "") << line;
    }
}

// 27.007 7.3: +COPS: <mode>[,<format>,<oper>[,<AcT>]], <mode> 0 automatic, 1 manual,
// 2 deregister, 3 set only <format>, 4 manual/automatic.
TEST(OperatorTest, TheSelectionModeIsReadFromEveryForm) {
    const struct {
        const char* name;
        const char* line;
        std::optional<int> mode;
    } cases[] = {
        {"automatic, with the operator", "+COPS: 0,0,\"T-Mobile CZ\",7", 0},
        {"manual, numeric operator", "+COPS: 1,2,\"23002\"", 1},
        {"deregistered: the mode alone", "+COPS: 2", 2},
        {"format set only", "+COPS: 3", 3},
        {"manual/automatic", "+COPS: 4,0,\"O2 - CZ\"", 4},
        {"automatic with no operator yet", "+COPS: 0", 0},
        {"spaces around the mode", "+COPS:  1 ,2,\"23002\"", 1},
        {"a mode beyond the table", "+COPS: 5,0,\"x\"", std::nullopt},
        {"a negative mode", "+COPS: -1", std::nullopt},
        {"no number", "+COPS: x,0,\"x\"", std::nullopt},
        {"an empty mode", "+COPS: ,0,\"x\"", std::nullopt},
        {"nothing behind the colon", "+COPS:", std::nullopt},
        {"no colon", "COPS 1,2,\"23002\"", std::nullopt},
    };
    for (const auto& c : cases) {
        TModemStatus s;
        ParseOperator(c.line, s);
        EXPECT_EQ(s.SelectionModeValid, c.mode.has_value()) << c.name;
        if (c.mode) {
            EXPECT_EQ(s.SelectionMode, *c.mode) << c.name;
        }
    }
}

TEST(OperatorTest, AClearedStatusForgetsTheMode) {
    TModemStatus s;
    ParseOperator("+COPS: 1,2,\"23002\"", s);
    ASSERT_TRUE(s.SelectionModeValid);
    ClearModemStatus(s);
    EXPECT_FALSE(s.SelectionModeValid);
}

TEST(RegistrationTest, StatesOutsideTheRangeBecomeMinusOne) {
    TModemStatus s;
    ParseRegistration("+CREG: 0,1", s);
    EXPECT_TRUE(s.RegStateValid);
    EXPECT_EQ(s.RegState, 1);
    ParseRegistration("+CREG: 0,12", s);
    EXPECT_TRUE(s.RegStateValid);
    EXPECT_EQ(s.RegState, -1);
}

TEST(RegistrationTest, LocationFieldsBehindTheStateAreIgnored) {
    TModemStatus s;
    ParseRegistration("+CREG: 2,5,\"00C3\",\"1A2B\"", s);
    EXPECT_TRUE(s.RegStateValid);
    EXPECT_EQ(s.RegState, 5);
}

TEST(RegistrationTest, ALineWithoutCommaChangesNothing) {
    TModemStatus s;
    ParseRegistration("+CREG: 1", s);
    EXPECT_FALSE(s.RegStateValid);
}

TEST(PhoneActivityTest, OnlyReadyRingingAndCallAreKept) {
    const std::pair<const char*, int> cases[] = {
        {"+CPAS: 0", 0},  {"+CPAS: 3", 3}, {"+CPAS: 4", 4}, {"+CPAS: 2", -1},
        {"+CPAS: 5", -1}, {"+CPAS:", -1},  {"+CPAS: x", -1}};
    for (auto [line, expected] : cases) {
        TModemStatus s;
        ParsePhoneActivity(line, s);
        EXPECT_TRUE(s.ActivityValid) << line;
        EXPECT_EQ(s.Activity, expected) << line;
    }
    TModemStatus s;
    ParsePhoneActivity("CPAS 3", s);
    EXPECT_FALSE(s.ActivityValid);
}

TEST(CellLineTest, ServingCellReadsFiveNumbersSkipsSixTokensAndReadsC1) {
    TModemStatus s;
    ParseServingCell("  23   35  -76  230   01  4EED 4FD4  4  7  33  -105  31", s);
    const TCellInfo& c = s.Cells[0];
    ASSERT_TRUE(c.Valid);
    EXPECT_EQ(c.Channel, 23);
    EXPECT_EQ(c.Rssi, 35);
    EXPECT_EQ(c.Dbm, -76);
    EXPECT_EQ(c.Mcc, 230);
    EXPECT_EQ(c.Mnc, 1);
    EXPECT_EQ(c.C1, 31);
}

TEST(CellLineTest, NeighbourCellSkipsOneToken) {
    TModemStatus s;
    ParseNeighbourCell("  60   28  -83  230   03   5   22   20", 2, s);
    const TCellInfo& c = s.Cells[3];
    ASSERT_TRUE(c.Valid);
    EXPECT_EQ(c.Channel, 60);
    EXPECT_EQ(c.Mnc, 3);
    EXPECT_EQ(c.C1, 22);
    EXPECT_FALSE(s.Cells[1].Valid);
}

TEST(CellLineTest, MissingC1IsStoredAsRead) {
    TModemStatus s;
    ParseNeighbourCell("60 28 -83 230 03", 0, s);
    ASSERT_TRUE(s.Cells[1].Valid);
    EXPECT_EQ(s.Cells[1].C1, -9999);
}

TEST(CellLineTest, AMissingLeadingNumberLeavesTheRowInvalidAndItsValuesAlone) {
    TModemStatus s;
    s.Cells[1] = TCellInfo{true, 5, 6, 7, 8, 9, 10};
    ParseNeighbourCell("chann rs dBm MCC MNC BCC C1", 0, s);
    EXPECT_FALSE(s.Cells[1].Valid);
    EXPECT_EQ(s.Cells[1].Channel, 5);

    s.Cells[0].Valid = true;
    ParseServingCell("", s);
    EXPECT_FALSE(s.Cells[0].Valid);

    s.Cells[2].Valid = true;
    ParseNeighbourCell("60 28 -83 230", 1, s);
    EXPECT_FALSE(s.Cells[2].Valid);
}

TEST(CellLineTest, AnIndexOutsideTheNeighbourRowsInvalidatesThemAll) {
    for (int index : {-1, 6, 1000}) {
        TModemStatus s;
        for (TCellInfo& c : s.Cells)
            c.Valid = true;
        ParseNeighbourCell("60 28 -83 230 03 5 22", index, s);
        EXPECT_TRUE(s.Cells[0].Valid) << index;
        for (int i = 1; i < kCellRowCount; ++i)
            EXPECT_FALSE(s.Cells[i].Valid) << index << " row " << i;
    }
}

} // namespace
} // namespace celdara
