#include "util/FormatArgs.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(FormatArgsTest, InsertsArgumentsByNumber) {
    EXPECT_EQ(FormatArgs("%2 then %1", {"a", "b"}), "b then a");
    EXPECT_EQ(FormatArgs("%(1)x", {7}), "7x");
    EXPECT_EQ(FormatArgs("100%% of %1", {3}), "100% of 3");
    EXPECT_EQ(FormatArgs("%1%2", {"x", "y"}), "xy");
    EXPECT_EQ(FormatArgs("arg %10", {1, 2, 3, 4, 5, 6, 7, 8, 9, "ten"}), "arg ten");
}

TEST(FormatArgsTest, LeavesOutArgumentsOutsideTheList) {
    EXPECT_EQ(FormatArgs("[%3]", {"a"}), "[]");
    EXPECT_EQ(FormatArgs("[%0]", {"a"}), "[]");
    EXPECT_EQ(FormatArgs("[%1]", {}), "[]");
}

TEST(FormatArgsTest, APercentThatStartsNoReferenceStaysText) {
    EXPECT_EQ(FormatArgs("50%", {}), "50%");
    EXPECT_EQ(FormatArgs("% x", {"a"}), "% x");
    EXPECT_EQ(FormatArgs("%(", {}), "%(");
    EXPECT_EQ(FormatArgs("%-1", {"a"}), "%-1");
    EXPECT_EQ(FormatArgs("%01", {"a"}), "a");
}

TEST(FormatArgsTest, WidthAndFillChooseAlignment) {
    EXPECT_EQ(FormatArgs("[%(5:1)]", {"ab"}), "[ab   ]");
    EXPECT_EQ(FormatArgs("[%(-5:1)]", {"ab"}), "[ab---]");
    EXPECT_EQ(FormatArgs("[%(--5:1)]", {"ab"}), "[---ab]");
    EXPECT_EQ(FormatArgs("[%(005:1)]", {42}), "[00042]");
    EXPECT_EQ(FormatArgs("[%(  5:1)]", {"ab"}), "[   ab]");
    EXPECT_EQ(FormatArgs("[%(xx5:1)]", {"ab"}), "[   ab]");
    EXPECT_EQ(FormatArgs("[%(---7:1)]", {"ab"}), "[  ab   ]");
    // A longer text is never cut.
    EXPECT_EQ(FormatArgs("[%(--2:1)]", {"abcd"}), "[abcd]");
}

TEST(FormatArgsTest, RendersEachKindOfArgument) {
    EXPECT_EQ(FormatArgs("%1 %2 %3", {true, false, 'c'}), "True False c");
    EXPECT_EQ(FormatArgs("%1", {-123456789012LL}), "-123456789012");
    EXPECT_EQ(FormatArgs("%1", {18446744073709551615ULL}), "18446744073709551615");
    EXPECT_EQ(FormatArgs("%1", {2.5}), "2.5");
    EXPECT_EQ(FormatArgs("%(3:1)", {3.14159}), "3.14");
    EXPECT_EQ(FormatArgs("%1", {FormatArg::ObjectName{"TLyrComm32"}}), "TLyrComm32");
    EXPECT_EQ(FormatArgs("%1", {FormatArg::ClassRef{"TLyrComm32"}}), "(TLyrComm32)");
    EXPECT_EQ(FormatArgs("%1", {static_cast<const void*>(nullptr)}), ":00000000");
    EXPECT_EQ(FormatArgs("%1", {FormatArg::InterfaceRef{reinterpret_cast<const void*>(0xAB)}}),
              "I000000AB");
}

TEST(FormatArgsTest, AbsurdWidthsAreBounded) {
    std::string out = FormatArgs("%(99999999999999999999:1)", {"a"});
    EXPECT_LE(out.size(), 5000u);
    EXPECT_EQ(out.front(), 'a');
}

} // namespace
} // namespace celdara
