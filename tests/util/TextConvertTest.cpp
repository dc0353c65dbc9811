#include "util/TextConvert.h"

#include <clocale>
#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(BoolTextTest, AcceptsOnlyTheKnownSpellings) {
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
    EXPECT_TRUE(TextToBool("1", false));
    EXPECT_FALSE(TextToBool("0", true));
    EXPECT_TRUE(TextToBool("TRUE", false));
    EXPECT_TRUE(TextToBool("tRuE", false));
    EXPECT_FALSE(TextToBool("False", true));
    EXPECT_TRUE(TextToBool("yes", true));
    EXPECT_FALSE(TextToBool("yes", false));
    EXPECT_FALSE(TextToBool(" 1", false));
    EXPECT_TRUE(TextToBool("", true));
    EXPECT_TRUE(TextToBool("truex", true));
    EXPECT_FALSE(TextToBool("truex", false));
}

TEST(TextToIntTest, TakesOnlyAWholeDecimalNumberThatFits) {
    EXPECT_EQ(TextToInt("42", -1), 42);
    EXPECT_EQ(TextToInt("-7", 0), -7);
    EXPECT_EQ(TextToInt("+7", 0), 7);
    EXPECT_EQ(TextToInt("2147483647", 0), 2147483647);
    EXPECT_EQ(TextToInt("-2147483648", 0), -2147483647 - 1);
    EXPECT_EQ(TextToInt("2147483648", -1), -1);
    EXPECT_EQ(TextToInt("99999999999999999999", -1), -1);
    EXPECT_EQ(TextToInt("", -1), -1);
    EXPECT_EQ(TextToInt("-", -1), -1);
    EXPECT_EQ(TextToInt("1 ", -1), -1);
    EXPECT_EQ(TextToInt("1,2", -1), -1);
}

TEST(LetterCaseTest, ComparesAndCapitalisesWithoutRegardToCase) {
    EXPECT_TRUE(EqualIgnoringCase("ttyUSB0", "TTYusb0"));
    EXPECT_FALSE(EqualIgnoringCase("ttyUSB0", "ttyUSB"));
    EXPECT_FALSE(EqualIgnoringCase("ttyUSB", "ttyUSB0"));
    EXPECT_TRUE(EqualIgnoringCase("", ""));
    // "Z" sorts before "a" as bytes, after it as letters.
    EXPECT_TRUE(LessIgnoringCase("a", "Z"));
    EXPECT_FALSE(LessIgnoringCase("Z", "a"));
    EXPECT_TRUE(LessIgnoringCase("tty", "TTYS0"));
    EXPECT_FALSE(LessIgnoringCase("TTY", "tty"));
    EXPECT_FALSE(LessIgnoringCase("tty", "TTY"));
    // Bytes above 127 sort after every letter, as unsigned values.
    EXPECT_TRUE(LessIgnoringCase("z", "\xE9"));
    EXPECT_EQ(UpperCase("+cops: 0,\"x\""), "+COPS: 0,\"X\"");
    EXPECT_EQ(UpperCase(""), "");
}

TEST(TrimTest, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(Trim("\r\n +CSQ: 1,2 \t\r"), "+CSQ: 1,2");
    EXPECT_EQ(Trim(" \x01 "), "");
    EXPECT_EQ(Trim("a"), "a");
}

double TimeOfDay(int h, int m, double s) {
    return (h * 3600 + m * 60 + s) / 86400.0;
}

TEST(DurationToTextTest, FormatsTheTimeOfDay) {
    EXPECT_EQ(DurationToText(3, false, TimeOfDay(9, 5, 3.1234), ':'), "9:05:03.123");
    EXPECT_EQ(DurationToText(3, false, TimeOfDay(14, 5, 3.12), ':'), "14:05:03.120");
    EXPECT_EQ(DurationToText(0, false, TimeOfDay(0, 0, 0), '.'), "0.00.00");
    // The whole days of a date are dropped unless asked for.
    EXPECT_EQ(DurationToText(0, false, 46000 + TimeOfDay(1, 2, 3), ':'), "1:02:03");
    EXPECT_EQ(DurationToText(0, true, 2 + TimeOfDay(1, 2, 3), ':'), "49:02:03");
}

TEST(DurationToTextTest, RoundingThatReachesASecondCarries) {
    EXPECT_EQ(DurationToText(2, false, TimeOfDay(0, 59, 59.999), ':'), "1:00:00.00");
    EXPECT_EQ(DurationToText(0, false, TimeOfDay(0, 0, 1.6), ':'), "0:00:02");
}

TEST(DurationToTextTest, LimitsDecimalsAndRange) {
    EXPECT_EQ(DurationToText(12, true, TimeOfDay(0, 0, 1.5), ':'), "0:00:01.5000000");
    // Clamped to two thousand million seconds: at most six hour digits.
    EXPECT_EQ(DurationToText(0, true, 1e9, ':'), "555555:33:20");
    EXPECT_EQ(DurationToText(0, true, -1e9, ':'), "-555555:33:20");
    EXPECT_EQ(DurationToText(0, true, std::numeric_limits<double>::quiet_NaN(), ':'), "0:00:00");
}

TEST(DurationToTextTest, UsesTheLocaleSeparator) {
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(LocaleTimeSeparator(), ':');
    EXPECT_EQ(DurationToText(0, false, TimeOfDay(9, 5, 3)), "9:05:03");
}

} // namespace
} // namespace celdara
