#include "appinfo/WindowGeometry.h"

#include <climits>
#include <gtest/gtest.h>

namespace celdara {
namespace {

const QRect kWork(0, 0, 800, 600);

struct FitCase {
    const char* name;
    QRect in;
    QRect work;
    QRect out;
};

TEST(FitRectInWorkAreaTest, ShrinksThenPullsInsideFromTheFarSidesFirst) {
    const FitCase cases[] = {
        {"inside stays", {10, 10, 100, 100}, kWork, {10, 10, 100, 100}},
        {"right edge out moves left", {750, 10, 100, 50}, kWork, {700, 10, 100, 50}},
        {"bottom edge out moves up", {10, 580, 100, 50}, kWork, {10, 550, 100, 50}},
        {"larger than work shrinks to it", {-50, -50, 1000, 700}, kWork, {0, 0, 800, 600}},
        {"left and top out move in", {-30, -20, 100, 100}, kWork, {0, 0, 100, 100}},
        {"offset work area", {10, 0, 100, 100}, {0, 30, 800, 570}, {10, 30, 100, 100}},
        {"shrunk from its left edge", {100, 100, 900, 100}, kWork, {0, 100, 800, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRectInWorkArea(c.in, c.work), c.out) << c.name;
}

struct CaptionCase {
    const char* name;
    QRect in;
    TFormBorderStyle style;
    QRect out;
};

TEST(KeepCaptionVisibleRectTest, MovesJustEnoughToKeepTheCaptionReachable) {
    const TCaptionMetrics m{20, 25};
    using enum TFormBorderStyle;
    const CaptionCase cases[] = {
        {"inside stays", {100, 100, 300, 200}, bsSizeable, {100, 100, 300, 200}},
        {"partly off the right stays", {700, 100, 300, 200}, bsSizeable, {700, 100, 300, 200}},
        {"off the right keeps the system menu",
         {790, 100, 300, 200},
         bsSizeable,
         {774, 100, 300, 200}},
        {"below the bottom keeps 10 pixels",
         {100, 595, 300, 200},
         bsSizeable,
         {100, 590, 300, 200}},
        {"off the left keeps caption beside three buttons",
         {-500, 10, 300, 100},
         bsSizeable,
         {-240, 10, 300, 100}},
        {"single border counts three buttons",
         {-500, 10, 300, 100},
         bsSingle,
         {-240, 10, 300, 100}},
        {"dialog counts one button", {-500, 10, 300, 100}, bsDialog, {-273, 10, 300, 100}},
        {"tool window counts one button", {-500, 10, 300, 100}, bsToolWindow, {-273, 10, 300, 100}},
        {"no border counts none", {-500, 10, 300, 100}, bsNone, {-290, 10, 300, 100}},
        {"above the top brings the caption down",
         {100, -40, 300, 200},
         bsSizeable,
         {100, -21, 300, 200}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepCaptionVisibleRect(c.in, kWork, c.style, m), c.out) << c.name;
}

TEST(KeepCaptionVisibleRectTest, ExtremeCoordinatesDoNotOverflow) {
    const TCaptionMetrics m{20, 25};
    QRect r = KeepCaptionVisibleRect(QRect(1000000, 1000000, 300, 200), kWork,
                                     TFormBorderStyle::bsSizeable, m);
    EXPECT_EQ(r.topLeft(), QPoint(774, 590));
    r = KeepCaptionVisibleRect(QRect(-1000000, -1000000, 300, 200), kWork,
                               TFormBorderStyle::bsSizeable, m);
    EXPECT_EQ(r.topLeft(), QPoint(-240, -21));
}

struct ClipCase {
    const char* name;
    QRect work, monitor, desktop;
    bool halve;
    QRect out;
};

TEST(ClipWorkAreaTest, LimitsToTheFirstMonitorAndHalvesVeryWideOrTallDesktops) {
    const QRect hd(0, 0, 1920, 1080);
    const ClipCase cases[] = {
        {"inside the monitor stays", {0, 0, 1920, 1040}, hd, hd, false, {0, 0, 1920, 1040}},
        {"16:9 is not halved", {0, 0, 1920, 1040}, hd, hd, true, {0, 0, 1920, 1040}},
        {"beyond the monitor is cut", {-100, 0, 2100, 1080}, hd, hd, false, {0, 0, 1920, 1080}},
        {"ultra-wide keeps its left half",
         {0, 0, 3440, 1400},
         {0, 0, 3440, 1440},
         {0, 0, 3440, 1440},
         true,
         {0, 0, 1720, 1400}},
        {"ultra-wide whole without halving",
         {0, 0, 3440, 1400},
         {0, 0, 3440, 1440},
         {0, 0, 3440, 1440},
         false,
         {0, 0, 3440, 1400}},
        {"two monitors side by side count as the first",
         {0, 0, 1920, 1040},
         hd,
         {0, 0, 3840, 1080},
         true,
         {0, 0, 1920, 1040}},
        {"portrait keeps its top half",
         {0, 0, 1080, 1880},
         {0, 0, 1080, 1920},
         {0, 0, 1080, 1920},
         true,
         {0, 0, 1080, 960}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipWorkArea(c.work, c.monitor, c.desktop, c.halve), c.out) << c.name;
}

TEST(AnchoredRectTest, BothSidesGrowFarSideMovesNearSideStays) {
    const QRect r(10, 20, 100, 30);
    EXPECT_EQ(AnchoredRect(r, akLeft | akTop, 50, 40), r);
    EXPECT_EQ(AnchoredRect(r, akLeft | akRight | akTop, 50, 40), QRect(10, 20, 150, 30));
    EXPECT_EQ(AnchoredRect(r, akRight | akTop, 50, 40), QRect(60, 20, 100, 30));
    EXPECT_EQ(AnchoredRect(r, akLeft | akTop | akBottom, 50, 40), QRect(10, 20, 100, 70));
    EXPECT_EQ(AnchoredRect(r, akLeft | akBottom, 50, 40), QRect(10, 60, 100, 30));
    EXPECT_EQ(AnchoredRect(r, akLeft | akRight | akTop | akBottom, -500, -500),
              QRect(10, 20, 0, 0));
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndRefusesZero) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(9, 1, 4), 2);
    EXPECT_EQ(MulDiv(7, 1, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(INT_MAX, 4, 1), INT_MAX);
}

TEST(DesignTextHeightTest, FollowsTheDensityWithTheKnown120DpiFonts) {
    const TDesignMetrics design;
    int th = 16;
    EXPECT_EQ(DesignTextHeight(design, 96, "Sans", th), 16);
    th = 24;
    EXPECT_EQ(DesignTextHeight(design, 144, "Sans", th), 16);
    th = 20;
    EXPECT_EQ(DesignTextHeight(design, 120, "Sans", th), 16);
    th = 20;
    EXPECT_EQ(DesignTextHeight(design, 120, "Tahoma", th), 16);
    th = 17;
    EXPECT_EQ(DesignTextHeight(design, 120, "MS Shell Dlg 2", th), 19);
    EXPECT_EQ(th, 25);
    th = 18;
    EXPECT_EQ(DesignTextHeight(design, 120, "MS Shell Dlg 2", th), 14);
    EXPECT_EQ(th, 18);
    th = 16;
    EXPECT_EQ(DesignTextHeight(design, 0, "Sans", th), 16);
}

TEST(ScaledFormSizeTest, ScalesTheClientAndKeepsTheFrame) {
    const TDesignMetrics design;
    TFormScalingInput in;
    in.Width = 400;
    in.Height = 300;
    in.Bx = 4;
    in.By = 30;
    in.Th = 20;
    in.Dh = 16;
    EXPECT_EQ(ScaledFormSize(in, design), QSize(498, 367));
    in.Sizeable = true;
    in.CaptionButtonHeight = 30;
    EXPECT_EQ(ScaledFormSize(in, design), QSize(498, 373));
    in.Sizeable = false;
    in.HasMenu = true;
    in.MenuHeight = 24;
    EXPECT_EQ(ScaledFormSize(in, design), QSize(498, 372));
    in.Dh = 0;
    EXPECT_EQ(ScaledFormSize(in, design), QSize(400, 300));
}

struct ZOrderCase {
    const char* name;
    std::vector<std::string> names;
    const char* zOrder;
    std::vector<std::size_t> stacking;
    std::vector<std::size_t> out;
};

TEST(MergeZOrderTest, StoredNamesThenStackingThenTheRest) {
    const ZOrderCase cases[] = {
        {"nothing stored keeps collected order", {"A", "B", "C"}, "", {}, {0, 1, 2}},
        {"stored names lead, empty and unknown names are skipped",
         {"A", "B", "C", "D"},
         "C||X|A",
         {3, 2},
         {2, 0, 3, 1}},
        {"the stacking order comes next", {"A", "B", "C"}, "", {2, 0}, {2, 0, 1}},
        {"a repeated name takes the next form of that name",
         {"A", "A", "B"},
         "A|B|A",
         {},
         {0, 2, 1}},
        {"names compare exactly", {"frmMain", "frmmain"}, "frmmain", {}, {1, 0}},
        {"separators at the ends", {"A", "B"}, "|B|", {}, {1, 0}},
        {"stale stacking indices are ignored", {"A"}, "", {5, 0}, {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeZOrder(c.names, c.zOrder, c.stacking), c.out) << c.name;
}

} // namespace
} // namespace celdara
