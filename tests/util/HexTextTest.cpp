#include "util/HexText.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(HexDigitTest, ValuesAndCharactersRoundTrip) {
    for (int v = 0; v < 16; ++v)
        EXPECT_EQ(HexDigitValue(HexDigitChar(v), -1), v);
    EXPECT_EQ(HexDigitValue('a', -1), 10);
    EXPECT_EQ(HexDigitValue('f', -1), 15);
    EXPECT_EQ(HexDigitValue('g', -1), -1);
    EXPECT_EQ(HexDigitValue('G', 7), 7);
    EXPECT_EQ(HexDigitChar(16), '?');
    EXPECT_EQ(HexDigitChar(-1), '?');
}

TEST(BytesToHexTextTest, TwoUpperCaseDigitsAndABlankPerByte) {
    EXPECT_EQ(BytesToHexText("\r\n"), "0D 0A ");
    EXPECT_EQ(BytesToHexText("AT"), "41 54 ");
    EXPECT_EQ(BytesToHexText(std::string("\0\xff", 2)), "00 FF ");
    EXPECT_EQ(BytesToHexText(""), "");
}

struct HexCase {
    const char* name;
    std::string hex;
    std::string bytes;
};
void PrintTo(const HexCase& c, std::ostream* os) {
    *os << c.name;
}

class HexTextToBytesTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextToBytesTest, ParsesLeftToRightWithOnePendingDigit) {
    EXPECT_EQ(HexTextToBytes(GetParam().hex), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTextToBytesTest,
    ::testing::Values(HexCase{"spaced", "41 54 0D", "AT\r"}, HexCase{"packed", "41540d", "AT\r"},
                      HexCase{"odd_digit_at_end", "415", std::string("A\x05", 2)},
                      HexCase{"digit_then_letter", "A T", std::string("\x0aT", 2)},
                      HexCase{"non_hex_letter", "G", "G"}, HexCase{"empty", "", ""},
                      HexCase{"control_chars_separate", "4\t1\r\n", std::string("\x04\x01", 2)},
                      HexCase{"zero_byte", "00", std::string(1, '\0')},
                      HexCase{"punctuation_flushes", "4!1", std::string("\x04!\x01", 3)}),
    [](const auto& info) { return info.param.name; });

TEST(HexTextToBytesTest, RoundTripsEveryByte) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(HexTextToBytes(BytesToHexText(all)), all);
}

} // namespace
} // namespace celdara
