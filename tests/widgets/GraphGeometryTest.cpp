// The graph's arithmetic without a window: layout, bar segments, history, mean, statistics.
#include "widgets/GraphGeometry.h"

#include <gtest/gtest.h>

namespace celdara::widgets {
namespace {

TEST(GraphRounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(6.5), 6);
    EXPECT_EQ(RoundHalfEven(7.5), 8);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(1e30), std::numeric_limits<int>::max());
}

TEST(GraphLayout, BoxesFollowTheControlSize) {
    const GraphLayout l = ComputeGraphLayout(547, 135, false);
    EXPECT_EQ(l.usageBox, (GraphRect{5, 3, 75, 125}));
    EXPECT_EQ(l.historyBox, (GraphRect{90, 3, 452, 125}));
    EXPECT_EQ(l.usageFrame, (GraphRect{5, 15, 65, 105}));
    EXPECT_EQ(l.historyFrame, (GraphRect{5, 15, 442, 105}));
}

TEST(GraphLayout, StatisticsLineTakesFifteenPixelsBelowTheBoxes) {
    const GraphLayout l = ComputeGraphLayout(400, 150, true);
    EXPECT_EQ(l.usageBox.height, 125);
    EXPECT_EQ(l.historyBox.height, l.usageBox.height);
    EXPECT_EQ(l.statPlate, (GraphRect{90, 130, 305, 17}));
    EXPECT_EQ(l.statLabelLeft, 99);
    EXPECT_EQ(l.statLabelTop, 132);
    // The plate ends inside the control.
    EXPECT_LE(l.statPlate.Bottom(), 150);
}

TEST(UsageBar, SixtyPixelSurfaceWithThirteenPixelTextHasThirteenSegments) {
    const UsageBarGeometry bar = ComputeUsageBar(65, 60, 30, 13, 50, 100);
    EXPECT_EQ(bar.segmentCount, 13);
    // 6.5 segments round to the even 6.
    EXPECT_EQ(bar.litCount, 6);
    for (int i = 0; i < 13; ++i) {
        const int k = 13 - i;
        EXPECT_EQ(bar.ColorOf(i), k <= 6 ? SegmentColor::Half : SegmentColor::Back) << "k=" << k;
    }
}

TEST(UsageBar, FullBarColoursByPositionFromTheBottom) {
    const UsageBarGeometry bar = ComputeUsageBar(65, 60, 30, 13, 100, 100);
    ASSERT_EQ(bar.litCount, 13);
    for (int k = 1; k <= 13; ++k) {
        const SegmentColor expected = k >= 10  ? SegmentColor::Max
                                      : k >= 7 ? SegmentColor::Upper75
                                               : SegmentColor::Half;
        EXPECT_EQ(bar.ColorOf(13 - k), expected) << "k=" << k;
    }
}

TEST(UsageBar, SegmentsAreTwoPixelBlocksAroundATwoPixelGap) {
    const UsageBarGeometry bar = ComputeUsageBar(65, 60, 30, 13, 0, 100);
    EXPECT_EQ(bar.mid, 32);
    EXPECT_EQ(bar.LeftBlock(0), (GraphRect{10, 4, 21, 2}));
    EXPECT_EQ(bar.RightBlock(0), (GraphRect{33, 4, 21, 2}));
    EXPECT_EQ(bar.LeftBlock(12).top, 40);
    // The last segment ends above the text's band.
    EXPECT_LE(bar.LeftBlock(12).Bottom(), 60 - 13 - 4);
    EXPECT_EQ(bar.textLeft, 17);
    EXPECT_EQ(bar.textTop, 44);
}

TEST(UsageBar, TooSmallSurfaceHasNoSegments) {
    const UsageBarGeometry bar = ComputeUsageBar(65, 20, 30, 13, 100, 100);
    EXPECT_EQ(bar.segmentCount, 0);
    EXPECT_EQ(bar.litCount, 0);
}

TEST(UsageBar, FullScaleOfZeroOrBelowDrawsAnEmptyBar) {
    for (int maxValue : {0, -5}) {
        const UsageBarGeometry bar = ComputeUsageBar(65, 60, 30, 13, 50, maxValue);
        EXPECT_EQ(bar.segmentCount, 13);
        EXPECT_EQ(bar.litCount, 0) << maxValue;
    }
}

TEST(UsageBar, ValueAboveALoweredFullScaleLightsAllSegmentsOnly) {
    const UsageBarGeometry bar = ComputeUsageBar(65, 60, 30, 13, 100, 50);
    EXPECT_EQ(bar.litCount, 13);
}

TEST(UsageBar, TextIsValueSpaceUnit) {
    EXPECT_EQ(UsageText(57, "%"), "57 %");
    EXPECT_EQ(UsageText(0, ""), "0 ");
}

TEST(GraphHistory, HoldsAtMost1001ValuesOldestDropped) {
    GraphHistory h;
    for (int i = 0; i < 1200; ++i)
        h.Sample(i);
    ASSERT_EQ(h.Values().size(), 1001u);
    EXPECT_EQ(h.Values().front(), 199);
    EXPECT_EQ(h.Values().back(), 1199);
}

TEST(GraphHistory, ScrollOffsetWrapsAtTwelve) {
    GraphHistory h;
    for (int i = 0; i < 11; ++i)
        h.Sample(0);
    EXPECT_EQ(h.ScrollOffset(), 11);
    h.Sample(0);
    EXPECT_EQ(h.ScrollOffset(), 0);
    h.Sample(0);
    EXPECT_EQ(h.ScrollOffset(), 1);
}

TEST(RunningMean, LeadingZerosAreNotCounted) {
    RunningMean m;
    for (int v : {0, 0, 40, 60})
        m.Add(v);
    EXPECT_DOUBLE_EQ(m.Mean(), 50.0);
    m.Add(20);
    EXPECT_DOUBLE_EQ(m.Mean(), 40.0);
    EXPECT_EQ(m.Count(), 3);
}

TEST(RunningMean, ZerosAfterTheFirstValueCount) {
    RunningMean m;
    for (int v : {30, 0, 0})
        m.Add(v);
    EXPECT_DOUBLE_EQ(m.Mean(), 10.0);
}

TEST(HistoryGrid, LinesEveryTwelvePixelsFromTheBottomRight) {
    const HistoryGrid g = ComputeHistoryGrid(50, 30, 0);
    EXPECT_EQ(g.horizontalY, (std::vector<int>{30, 18, 6}));
    EXPECT_EQ(g.verticalX, (std::vector<int>{50, 38, 26, 14, 2}));
}

TEST(HistoryGrid, VerticalLinesMoveLeftWithTheScrollOffset) {
    const HistoryGrid g = ComputeHistoryGrid(50, 30, 5);
    EXPECT_EQ(g.verticalX, (std::vector<int>{45, 33, 21, 9, -3}));
    EXPECT_EQ(g.horizontalY, (std::vector<int>{30, 18, 6}));
}

TEST(HistoryPoints, NewestAtTheRightEdgeScaledToTheHeight) {
    const std::deque<int> values{0, 50, 100, 25};
    const auto pts = ComputeHistoryPoints(values, 200, 100, 100);
    const std::vector<GraphPoint> expected{{196, 100}, {197, 50}, {198, 0}, {199, 75}};
    EXPECT_EQ(pts, expected);
}

TEST(HistoryPoints, ScaleRoundsTiesToEven) {
    // Height 50 of 100: 25 -> 12.5 -> 12, 75 -> 37.5 -> 38.
    const auto pts = ComputeHistoryPoints({25, 75}, 10, 50, 100);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].y, 50 - 12);
    EXPECT_EQ(pts[1].y, 50 - 38);
}

TEST(HistoryPoints, OlderValuesRunOffTheLeftEdge) {
    std::deque<int> values(30, 10);
    const auto pts = ComputeHistoryPoints(values, 20, 100, 100);
    EXPECT_EQ(pts.front().x, -10);
    EXPECT_EQ(pts.back().x, 19);
}

TEST(HistoryPoints, NoLineForEmptyHistoryOrFullScaleOfZero) {
    EXPECT_TRUE(ComputeHistoryPoints({}, 20, 100, 100).empty());
    EXPECT_TRUE(ComputeHistoryPoints({1, 2}, 20, 100, 0).empty());
    EXPECT_TRUE(ComputeHistoryPoints({1, 2}, 20, 100, -1).empty());
}

TEST(StatisticsText, EndsWithCurrentValuePaddedToTheWidthOfMax) {
    const NumberFormat fmt;
    EXPECT_EQ(StatisticsText(100, 50.0, 7, fmt), "Max: 100  Avg: 50.00  Curr: 7   ");
    EXPECT_EQ(StatisticsText(100, 50.0, 57, fmt), "Max: 100  Avg: 50.00  Curr: 57  ");
    EXPECT_EQ(StatisticsText(100, 50.0, 100, fmt), "Max: 100  Avg: 50.00  Curr: 100 ");
    // Nothing measured: a dash in a digit's room, not -1.
    EXPECT_EQ(StatisticsText(100, 50.0, -1, fmt), "Max: 100  Avg: 50.00  Curr: -   ");
}

TEST(StatisticsText, NoNegativePaddingWhenTheValueIsWiderThanMax) {
    // A full scale lowered below an earlier value.
    EXPECT_EQ(StatisticsText(5, 1.0, 100, NumberFormat{}), "Max: 5  Avg: 1.00  Curr: 100");
}

struct MeanCase {
    const char* name;
    double mean;
    NumberFormat format;
    const char* expected;
};

void PrintTo(const MeanCase& c, std::ostream* os) {
    *os << c.name;
}

class FormatMeanTest : public testing::TestWithParam<MeanCase> {};

TEST_P(FormatMeanTest, CutsToTwoDecimalsWithLocaleSeparators) {
    EXPECT_EQ(FormatMean(GetParam().mean, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Means, FormatMeanTest,
    testing::Values(MeanCase{"whole", 50.0, {}, "50.00"},
                    MeanCase{"cut_not_rounded", 66.666666, {}, "66.66"},
                    MeanCase{"binary_fraction_not_cut_below", 0.29, {}, "0.29"},
                    MeanCase{"zero", 0.0, {}, "0.00"},
                    MeanCase{"grouped", 1234567.891, {}, "1,234,567.89"},
                    MeanCase{"german", 1234.5, {",", "."}, "1.234,50"},
                    MeanCase{"no_grouping", 1234.5, {".", ""}, "1234.50"}),
    [](const testing::TestParamInfo<MeanCase>& info) { return info.param.name; });

} // namespace
} // namespace celdara::widgets
