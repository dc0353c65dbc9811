// The gauge's arithmetic without a window: range setters, text, bar split, pie, needle, colours.
#include "widgets/GaugeGeometry.h"

#include <gtest/gtest.h>

namespace celdara::widgets {
namespace {

TEST(GaugeRange, ProgressIsKeptInsideTheRange) {
    GaugeRange r;
    EXPECT_TRUE(r.SetProgress(150));
    EXPECT_EQ(r.Progress(), 100);
    EXPECT_TRUE(r.SetProgress(-3));
    EXPECT_EQ(r.Progress(), 0);
    EXPECT_FALSE(r.SetProgress(-10)) << "clamped to the same value: no change";
}

TEST(GaugeRange, LoweringMaxLowersProgressAndShownMax) {
    GaugeRange r;
    r.SetProgress(150);
    EXPECT_TRUE(r.SetMaxValue(50));
    EXPECT_EQ(r.Progress(), 50);
    EXPECT_EQ(r.ShowMaxValue(), 50);
}

TEST(GaugeRange, MinAboveMaxMovesMaxFirst) {
    GaugeRange r;
    EXPECT_TRUE(r.SetMinValue(200));
    EXPECT_EQ(r.MaxValue(), 200);
    EXPECT_EQ(r.MinValue(), 200);
    EXPECT_EQ(r.Progress(), 200);
    EXPECT_EQ(r.ShowMinValue(), 200);
    EXPECT_EQ(r.ShowMaxValue(), 200);
}

TEST(GaugeRange, MaxBelowMinMovesMinFirst) {
    GaugeRange r;
    r.SetMinValue(10);
    EXPECT_TRUE(r.SetMaxValue(-5));
    EXPECT_EQ(r.MinValue(), -5);
    EXPECT_EQ(r.MaxValue(), -5);
    EXPECT_EQ(r.Progress(), -5);
}

TEST(GaugeRange, WithoutAutoShowValsTheShownRangeStays) {
    GaugeRange r;
    r.SetAutoShowVals(false);
    r.SetMaxValue(3);
    r.SetMinValue(1);
    EXPECT_EQ(r.ShowMinValue(), 0);
    EXPECT_EQ(r.ShowMaxValue(), 100);
}

TEST(GaugeRange, UnchangedValuesReportNoChange) {
    GaugeRange r;
    EXPECT_FALSE(r.SetMinValue(0));
    EXPECT_FALSE(r.SetMaxValue(100));
    EXPECT_FALSE(r.SetDigitsAfterPoint(-4)) << "clamped to the current 0";
}

TEST(GaugeRange, DigitsAfterPointKeptWithinZeroToNine) {
    GaugeRange r;
    r.SetDigitsAfterPoint(12);
    EXPECT_EQ(r.DigitsAfterPoint(), 9);
    r.SetDigitsAfterPoint(-1);
    EXPECT_EQ(r.DigitsAfterPoint(), 0);
}

TEST(GaugeText, OneThirdShownAsPercentOfTheShownRange) {
    GaugeRange r;
    r.SetAutoShowVals(false);
    r.SetMaxValue(3);
    r.SetShowMaxValue(100);
    r.SetProgress(1);
    r.SetDigitsAfterPoint(2);
    EXPECT_EQ(GaugeText(r, "%", "."), "33.33%");
    EXPECT_EQ(GaugeText(r, "%", ","), "33,33%");
    r.SetDigitsAfterPoint(0);
    EXPECT_EQ(GaugeText(r, "%", "."), "33%");
}

TEST(GaugeText, AutoShowValsShowsTheRawValue) {
    GaugeRange r;
    r.SetMaxValue(3);
    r.SetProgress(1);
    r.SetDigitsAfterPoint(2);
    EXPECT_EQ(r.ShowMaxValue(), 3);
    EXPECT_EQ(GaugeText(r, "%", "."), "1.00%");
}

TEST(GaugeText, SingleSpaceUnitsShowTheNumberAlone) {
    GaugeRange r;
    r.SetProgress(42);
    EXPECT_EQ(GaugeText(r, " ", "."), "42");
    EXPECT_EQ(GaugeText(r, "  ", "."), "42  ");
    EXPECT_EQ(GaugeText(r, "", "."), "42");
}

TEST(GaugeText, WholeNumbersRoundHalfUp) {
    GaugeRange r;
    r.SetMaxValue(8);
    r.SetShowMaxValue(100);
    r.SetAutoShowVals(false);
    r.SetProgress(1); // 12.5
    EXPECT_EQ(GaugeText(r, "", "."), "13");
    r.SetShowMinValue(-100);
    r.SetProgress(3); // -100 + 200 * 3/8 = -25
    EXPECT_EQ(GaugeText(r, "", "."), "-25");
}

TEST(GaugeText, EmptyRangeShowsTheMiddleOfTheShownRange) {
    GaugeRange r;
    r.SetAutoShowVals(false);
    r.SetMaxValue(0);
    EXPECT_EQ(GaugeText(r, "%", "."), "50%");
    r.SetShowMinValue(50);
    // The middle of 50..100, not half its width.
    EXPECT_EQ(GaugeText(r, "%", "."), "75%");
}

TEST(GaugeRange, PercentageRoundsOnlyWithoutDecimals) {
    GaugeRange r;
    r.SetMaxValue(1000);
    r.SetProgress(4); // 0.4 %
    EXPECT_EQ(r.Percentage(), 0.0);
    r.SetDigitsAfterPoint(1);
    EXPECT_DOUBLE_EQ(r.Percentage(), 0.4);
    r.SetMaxValue(r.MinValue());
    EXPECT_EQ(r.Percentage(), 0.0);
}

TEST(BarSplit, HorizontalQuarterOfWidth102) {
    GaugeRange r;
    r.SetProgress(25);
    EXPECT_EQ(HorizontalBarSplit(102, 1, r), 26);
    EXPECT_EQ(HorizontalBarSplit(102, 3, r), 27); // 3 + 24
}

TEST(BarSplit, VerticalFillsFromTheBottom) {
    GaugeRange r;
    r.SetProgress(25);
    EXPECT_EQ(VerticalBarSplit(102, 1, r), 76); // 101 - 25
    r.SetProgress(0);
    EXPECT_EQ(VerticalBarSplit(102, 1, r), 101);
    r.SetProgress(100);
    EXPECT_EQ(VerticalBarSplit(102, 1, r), 1);
}

TEST(BarSplit, TiesRoundToEven) {
    GaugeRange r;
    r.SetMaxValue(4);
    r.SetProgress(1);
    // 1 + 0.25 * 10 = 3.5 -> 4; 1 + 0.25 * 6 = 2.5 -> 2.
    EXPECT_EQ(HorizontalBarSplit(12, 1, r), 4);
    EXPECT_EQ(HorizontalBarSplit(8, 1, r), 2);
}

TEST(BarSplit, EmptyRangeSplitsInTheMiddle) {
    GaugeRange r;
    r.SetMaxValue(0);
    EXPECT_EQ(HorizontalBarSplit(102, 1, r), 51);
    EXPECT_EQ(VerticalBarSplit(102, 1, r), 51);
}

TEST(PieWedges, QuarterRunsFromTwelveToThreeOClock) {
    GaugeRange r;
    r.SetProgress(25);
    const PieWedges w = ComputePieWedges(0, 0, 100, 100, r);
    ASSERT_EQ(w.filled.shape, PieWedge::Shape::Sector);
    EXPECT_DOUBLE_EQ(w.filled.startDeg, 90.0);
    EXPECT_DOUBLE_EQ(w.filled.spanDeg, -90.0);
    ASSERT_EQ(w.unfilled.shape, PieWedge::Shape::Sector);
    EXPECT_DOUBLE_EQ(w.unfilled.startDeg, 0.0);
    EXPECT_DOUBLE_EQ(w.unfilled.spanDeg, -270.0);
}

TEST(PieWedges, ZeroIsAFullBackEllipseAndNoFilledWedge) {
    GaugeRange r;
    const PieWedges w = ComputePieWedges(0, 0, 100, 100, r);
    EXPECT_EQ(w.filled.shape, PieWedge::Shape::None);
    EXPECT_EQ(w.unfilled.shape, PieWedge::Shape::Full);
}

TEST(PieWedges, FullIsAFullForeEllipseAndNoBackWedge) {
    GaugeRange r;
    r.SetProgress(100);
    const PieWedges w = ComputePieWedges(0, 0, 100, 100, r);
    EXPECT_EQ(w.filled.shape, PieWedge::Shape::Full);
    EXPECT_EQ(w.unfilled.shape, PieWedge::Shape::None);
}

TEST(PieWedges, SliverWhoseEndsMeetIsNotDrawnAsAFullEllipse) {
    GaugeRange r;
    r.SetMaxValue(10000);
    r.SetDigitsAfterPoint(2); // so the percentage (0.01) counts as above zero
    r.SetProgress(1);
    const PieWedges w = ComputePieWedges(0, 0, 40, 40, r);
    EXPECT_EQ(w.filled.shape, PieWedge::Shape::None);
    EXPECT_EQ(w.unfilled.shape, PieWedge::Shape::Full);
}

TEST(PieWedges, EmptyRangeDrawsThePieEmpty) {
    GaugeRange r;
    r.SetMaxValue(0);
    const PieWedges w = ComputePieWedges(0, 0, 100, 100, r);
    EXPECT_EQ(w.filled.shape, PieWedge::Shape::None);
    EXPECT_EQ(w.unfilled.shape, PieWedge::Shape::Full);
}

TEST(Needle, MinimumLeftMiddleUpMaximumRight) {
    GaugeRange r;
    NeedleGeometry n = ComputeNeedle(101, 51, 0, r);
    EXPECT_TRUE(n.visible);
    EXPECT_EQ(n.baseX, 50);
    EXPECT_EQ(n.baseY, 50);
    EXPECT_EQ(n.tipX, 0);
    EXPECT_EQ(n.tipY, 50);
    r.SetProgress(50);
    n = ComputeNeedle(101, 51, 0, r);
    EXPECT_EQ(n.tipX, 50);
    EXPECT_EQ(n.tipY, 0);
    r.SetProgress(100);
    n = ComputeNeedle(101, 51, 0, r);
    EXPECT_EQ(n.tipX, 100);
    EXPECT_EQ(n.tipY, 50);
}

TEST(Needle, InsetMovesBaseAndTip) {
    GaugeRange r;
    r.SetProgress(50);
    const NeedleGeometry n = ComputeNeedle(101, 51, 2, r);
    EXPECT_EQ(n.baseY, 48);
    EXPECT_EQ(n.tipX, 50);
    EXPECT_EQ(n.tipY, 2);
}

TEST(Needle, EmptyRangeHasNoNeedle) {
    GaugeRange r;
    r.SetMaxValue(0);
    EXPECT_FALSE(ComputeNeedle(100, 50, 0, r).visible);
}

TEST(ColorMix, EndsAndMiddle) {
    const TColor a = RGBColor(80, 80, 80);
    const TColor b = RGBColor(255, 255, 255);
    EXPECT_EQ(ColorMix(a, b, 0), a);
    EXPECT_EQ(ColorMix(a, b, 100), b);
    EXPECT_EQ(ColorMix(a, b, 50), RGBColor(167, 167, 167)); // 80 + 175/2 = 167.5 cut
}

TEST(ColorMix, CutsTowardsZeroPerChannel) {
    // Going down: 200 + 50 * (-101) / 100 = 200 - 50 (cut from -50.5).
    EXPECT_EQ(ColorMix(RGBColor(200, 0, 10), RGBColor(99, 3, 10), 50), RGBColor(150, 1, 10));
}

TEST(ColorMix, OutOfRangePercentIsLimitedToChannelRange) {
    EXPECT_EQ(ColorMix(RGBColor(0, 200, 100), RGBColor(255, 0, 100), 200), RGBColor(255, 0, 100));
}

TEST(ColorMix, NoneStaysNone) {
    EXPECT_EQ(ColorMix(clNone, RGBColor(1, 2, 3), 50), clNone);
    EXPECT_EQ(ColorMix(RGBColor(1, 2, 3), clNone, 50), clNone);
}

TEST(DarkTest, WeightedBrightnessBelowTheMiddle) {
    EXPECT_TRUE(IsDarkColor(RGBColor(0, 0, 0)));
    EXPECT_TRUE(IsDarkColor(RGBColor(0, 0, 128))); // dark blue
    EXPECT_TRUE(IsDarkColor(RGBColor(0, 0, 255))); // pure blue weighs little
    EXPECT_FALSE(IsDarkColor(RGBColor(255, 255, 255)));
    EXPECT_FALSE(IsDarkColor(RGBColor(0, 255, 0)));
    // 292*128 + 594*128 + 114*128 = 128000: exactly the middle is light.
    EXPECT_FALSE(IsDarkColor(RGBColor(128, 128, 128)));
    EXPECT_TRUE(IsDarkColor(RGBColor(127, 128, 128)));
}

TEST(TextPosition, CentredWithTheExtraPixelLeftAndUp) {
    const TextPosition p = GaugeTextPosition(100, 20, 30, 13);
    EXPECT_EQ(p.x, 34); // (100 - 30 - 1) / 2
    EXPECT_EQ(p.y, 3);  // (20 - 13 - 1) / 2
}

} // namespace
} // namespace celdara::widgets
