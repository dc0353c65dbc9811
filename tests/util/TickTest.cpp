#include "util/Tick.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(TickSubTest, WrapsModulo2To32) {
    Tick a = 5;
    TickSub(a, 10);
    EXPECT_EQ(a, 0xFFFFFFFBu);
    a = 0xFFFFFFFFu;
    TickSub(a, 0xFFFFFFFFu);
    EXPECT_EQ(a, 0u);
}

TEST(TickElapsedTest, ComparesStrictlyWithThePeriod) {
    EXPECT_FALSE(TickElapsed(1000, 500, 1500));
    EXPECT_TRUE(TickElapsed(1000, 500, 1501));
    EXPECT_FALSE(TickElapsed(1000, 0, 1000));
    EXPECT_TRUE(TickElapsed(1000, 0, 1001));
}

TEST(TickElapsedTest, MeasuresAcrossTheWrap) {
    // start 10 ms before the wrap, now 5 ms after it: 15 ms have passed.
    EXPECT_FALSE(TickElapsed(0xFFFFFFF6u, 15, 5));
    EXPECT_TRUE(TickElapsed(0xFFFFFFF6u, 14, 5));
}

TEST(TickElapsedTest, ACounterThatWentBackCountsAsElapsed) {
    EXPECT_TRUE(TickElapsed(1000, 100000, 999));
    EXPECT_TRUE(TickElapsed(0x90000000u, 0xFFFFFFFFu, 0x8FFFFFFFu));
}

} // namespace
} // namespace celdara
