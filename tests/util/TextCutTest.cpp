#include "util/TextCut.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

struct IntegerCase {
    const char* name;
    std::string text;
    int expected;
    std::string rest;
};
void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class CutIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(CutIntegerTest, CutsTheLeadingNumber) {
    const IntegerCase& c = GetParam();
    std::string text = c.text;
    EXPECT_EQ(CutInteger(text, -9999), c.expected);
    EXPECT_EQ(text, c.rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, CutIntegerTest,
                         ::testing::Values(IntegerCase{"plain", "42", 42, ""},
                                           IntegerCase{"negative", "-17,3", -17, ",3"},
                                           IntegerCase{"digits_then_letters", "12ab", 12, "ab"},
                                           IntegerCase{"lone_minus", "-", -9999, "-"},
                                           IntegerCase{"minus_letter", "-x5", -9999, "-x5"},
                                           IntegerCase{"leading_blank", " 5", -9999, " 5"},
                                           IntegerCase{"empty", "", -9999, ""},
                                           IntegerCase{"leading_zeros", "007 x", 7, " x"},
                                           // Reading stops after the digit that passes one million.
                                           IntegerCase{"long_run", "12345678", 1234567, "8"},
                                           IntegerCase{"long_negative_run", "-99999999", -9999999,
                                                       "9"}),
                         [](const auto& info) { return info.param.name; });

TEST(CutSpacesTest, RemovesOnlyLeadingCharactersOfTheSet) {
    std::string text = " \t x y ";
    CutSpaces(text);
    EXPECT_EQ(text, "x y ");

    text = ",,;a";
    CutSpaces(text, ",");
    EXPECT_EQ(text, ";a");

    text = "   ";
    CutSpaces(text);
    EXPECT_EQ(text, "");
}

struct TokenCase {
    const char* name;
    std::string text;
    bool consumeIn;
    std::string token;
    std::string rest;
    bool consumeOut;
};
void PrintTo(const TokenCase& c, std::ostream* os) {
    *os << c.name;
}

class CutTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(CutTokenTest, FollowsTheTokenGrammar) {
    const TokenCase& c = GetParam();
    std::string text = c.text;
    bool consume = c.consumeIn;
    EXPECT_EQ(CutToken(text, consume), c.token);
    EXPECT_EQ(text, c.rest);
    EXPECT_EQ(consume, c.consumeOut);
}

INSTANTIATE_TEST_SUITE_P(
    Plain, CutTokenTest,
    ::testing::Values(TokenCase{"empty_text", "", true, "", "", true},
                      TokenCase{"eats_delimiter", "abc,def", true, "abc", "def", true},
                      TokenCase{"keeps_delimiter", "abc,def", false, "abc", ",def", false},
                      TokenCase{"no_delimiter", "abc", true, "abc", "", false},
                      TokenCase{"leading_delimiter", " abc", true, "", "abc", true},
                      TokenCase{"tab_delimiter", "a\tb", true, "a", "b", true}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Quoted, CutTokenTest,
    ::testing::Values(
        TokenCase{"simple", "\"a b\",c", true, "a b", "c", true},
        TokenCase{"doubled_quote", "\"say \"\"hi\"\"\" x", true, "say \"hi\"", "x", true},
        TokenCase{"codes", "#65#66,rest", true, "AB", "rest", true},
        TokenCase{"code_modulo_256", "#321", true, "A", "", true},
        TokenCase{"quote_and_code_joined", "\"ab\"#13\"cd\" z", true, "ab\rcd", "z", true},
        TokenCase{"end_after_quote", "\"x\"", true, "x", "", true},
        TokenCase{"unterminated_quote", "\"abc", true, "", "", false},
        TokenCase{"final_hash", "#65#", true, "", "", false},
        TokenCase{"hash_without_digits", "#65#x", true, "A", "#x", false},
        TokenCase{"junk_after_quote", "\"ab\"cd", true, "ab", "cd", false},
        // The delimiter after a quote is eaten even when the caller asked to keep it.
        TokenCase{"quote_delimiter_eaten", "\"ab\",c", false, "ab", "c", false}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Parenthesised, CutTokenTest,
    ::testing::Values(TokenCase{"eats_delimiter", "(a,b) c", true, "a,b", "c", true},
                      TokenCase{"keeps_delimiter", "(a,b) c", false, "a,b", " c", false},
                      TokenCase{"no_delimiter_behind", "(a)b", true, "a", "b", false},
                      TokenCase{"text_ends", "(a)", true, "a", "", false},
                      TokenCase{"unclosed", "(abc", true, "abc", "", false}),
    [](const auto& info) { return info.param.name; });

TEST(CutTokenTest, WalksAWholeLineField_by_field) {
    std::string line = "\"Vodafone CZ\",(3,2),#48#49, 17";
    std::vector<std::string> tokens;
    bool consume = true;
    while (!line.empty() && consume)
        tokens.push_back(CutToken(line, consume));
    EXPECT_EQ(tokens, (std::vector<std::string>{"Vodafone CZ", "3,2", "01", "", "17"}));
}

TEST(CutPrefixTest, MatchesAtThePositionAndAdvancesOnlyWhenAsked) {
    std::size_t pos = 0;
    EXPECT_TRUE(CutPrefix(pos, "BTPORT3", "BTPORT", false));
    EXPECT_EQ(pos, 0u);
    EXPECT_TRUE(CutPrefix(pos, "BTPORT3", "BTPORT", true));
    EXPECT_EQ(pos, 6u);
    EXPECT_TRUE(CutPrefix(pos, "BTPORT3", "3", true));
    EXPECT_EQ(pos, 7u);

    pos = 0;
    EXPECT_FALSE(CutPrefix(pos, "BTPO", "BTPORT", true));
    EXPECT_FALSE(CutPrefix(pos, "btport1", "BTPORT", true));
    EXPECT_EQ(pos, 0u);
    pos = 99;
    EXPECT_FALSE(CutPrefix(pos, "abc", "", true));
}

TEST(WildcardCompareTest, MatchesQuestionMarksAndStars) {
    auto matches = [](std::string_view text, std::string_view pattern) {
        std::size_t pos = 0;
        return WildcardCompare(pos, text, pattern, "") == 0;
    };
    EXPECT_TRUE(matches("ttyUSB0", "ttyUSB?"));
    EXPECT_TRUE(matches("ttyUSB0", "tty*"));
    EXPECT_TRUE(matches("ttyUSB0", "*USB*"));
    EXPECT_TRUE(matches("\\Device\\Serial12", "\\Device\\*2"));
    EXPECT_TRUE(matches("", "*"));
    EXPECT_TRUE(matches("abcabd", "*abd"));
    EXPECT_FALSE(matches("ttyUSB0", "ttyUSB"));
    EXPECT_FALSE(matches("ttyUSB", "ttyUSB?"));
    EXPECT_FALSE(matches("ttyACM0", "*USB*"));
    EXPECT_FALSE(matches("abc", ""));
}

TEST(WildcardCompareTest, ReportsTheSortOrderOfAMismatch) {
    std::size_t pos = 0;
    std::string_view pattern = "b*";
    EXPECT_LT(WildcardCompare(pos, "abc", pattern, ""), 0);
    pos = 0;
    pattern = "a";
    EXPECT_GT(WildcardCompare(pos, "b", pattern, ""), 0);
    pos = 0;
    pattern = "abc";
    EXPECT_LT(WildcardCompare(pos, "ab", pattern, ""), 0);
    pos = 0;
    pattern = "ab";
    EXPECT_GT(WildcardCompare(pos, "abc", pattern, ""), 0);
}

TEST(WildcardCompareTest, PatternEndsAtATerminatorAndIsAdvancedPastIt) {
    std::string_view patterns = "COM?;tty*;x";
    std::size_t pos = 0;
    EXPECT_NE(WildcardCompare(pos, "ttyS0", patterns, ";"), 0);
    EXPECT_EQ(patterns, "tty*;x");
    pos = 0;
    EXPECT_EQ(WildcardCompare(pos, "ttyS0", patterns, ";"), 0);
    EXPECT_EQ(patterns, "x");
    EXPECT_EQ(pos, 5u);
}

TEST(WildcardCompareTest, ManyStarsStayFast) {
    // A naive recursive matcher takes exponential time here.
    std::string text(200, 'a');
    std::string pattern;
    for (int i = 0; i < 30; ++i)
        pattern += "*a";
    pattern += "b";
    std::string_view p = pattern;
    std::size_t pos = 0;
    EXPECT_NE(WildcardCompare(pos, text, p, ""), 0);
}

} // namespace
} // namespace celdara
