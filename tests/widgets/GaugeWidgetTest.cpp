// The gauge control offscreen: every kind rendered into an image and checked pixel by pixel.
#include "widgets/VTolmGauge.h"

#include <QImage>
#include <QLocale>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace celdara::widgets {
namespace {

constexpr TColor kDarkBlue = RGBColor(0, 0, 128);
constexpr TColor kWhite = RGBColor(255, 255, 255);
constexpr TColor kBlack = RGBColor(0, 0, 0);
constexpr TColor kFace = RGBColor(200, 210, 220);
constexpr TColor kFrame = RGBColor(80, 80, 80);

TColor At(const QImage& img, int x, int y) {
    return ToTColor(img.pixelColor(x, y));
}

class GaugeTest : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        parent.resize(300, 300);
        gauge = new VTolmGauge(&parent);
        gauge->setObjectName(QStringLiteral("gauge"));
        gauge->SetTheme(VTolmGaugeTheme::Plain);
        gauge->SetColor(kFace);
        gauge->SetShowText(false);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QWidget parent;
    VTolmGauge* gauge = nullptr;
};

TEST_F(GaugeTest, Defaults) {
    VTolmGauge g;
    EXPECT_EQ(g.size(), QSize(100, 100));
    EXPECT_EQ(g.Kind(), VTolmGaugeKind::vgkHorizontalBar);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Units(), "%");
    EXPECT_TRUE(g.ShowText());
    EXPECT_TRUE(g.AutoShowVals());
    EXPECT_EQ(g.ForeColor(), kBlack);
    EXPECT_EQ(g.BackColor(), kWhite);
    EXPECT_EQ(g.BorderStyle(), VTolmGaugeBorderStyle::bsSingle);
}

TEST_F(GaugeTest, TextUsesTheLocaleDecimalSeparator) {
    gauge->SetAutoShowVals(false);
    gauge->SetMaxValue(3);
    gauge->SetProgress(1);
    gauge->SetDigitsAfterPoint(2);
    EXPECT_EQ(gauge->Text(), "33.33%");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(gauge->Text(), "33,33%");
    gauge->SetAutoShowVals(true);
    gauge->SetMaxValue(4);
    gauge->SetMaxValue(3);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(gauge->Text(), "1.00%");
}

TEST_F(GaugeTest, PlainHorizontalBarSplitsAt26ForAQuarterOfWidth102) {
    gauge->resize(102, 20);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(25);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 0, 10), kFrame);
    EXPECT_EQ(At(img, 1, 10), kDarkBlue);
    EXPECT_EQ(At(img, 25, 10), kDarkBlue);
    EXPECT_EQ(At(img, 26, 10), kWhite);
    EXPECT_EQ(At(img, 100, 10), kWhite);
    EXPECT_EQ(At(img, 101, 10), kFrame);
    EXPECT_EQ(At(img, 50, 0), kFrame);
    EXPECT_EQ(At(img, 50, 19), kFrame);
}

TEST_F(GaugeTest, PlainVerticalBarFillsFromTheBottom) {
    gauge->resize(20, 102);
    gauge->SetKind(VTolmGaugeKind::vgkVerticalBar);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(25);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 10, 75), kWhite);
    EXPECT_EQ(At(img, 10, 76), kDarkBlue);
    EXPECT_EQ(At(img, 10, 100), kDarkBlue);
    EXPECT_EQ(At(img, 10, 101), kFrame);
}

TEST_F(GaugeTest, EmptyBarDrawsNoFore) {
    gauge->resize(102, 20);
    gauge->SetForeColor(kDarkBlue);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 1, 10), kWhite);
}

TEST_F(GaugeTest, TextKindFillsWithTheBackColour) {
    gauge->SetKind(VTolmGaugeKind::vgkText);
    gauge->SetBackColor(RGBColor(10, 200, 10));
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 0, 0), RGBColor(10, 200, 10));
    EXPECT_EQ(At(img, 50, 50), RGBColor(10, 200, 10));
    EXPECT_EQ(At(img, 99, 99), RGBColor(10, 200, 10));
}

TEST_F(GaugeTest, PieQuarterIsFilledBetweenTwelveAndThreeOClock) {
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(25);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 70, 30), kDarkBlue); // upper right
    EXPECT_EQ(At(img, 52, 10), kDarkBlue); // just right of 12 o'clock
    EXPECT_EQ(At(img, 90, 48), kDarkBlue); // just above 3 o'clock
    EXPECT_EQ(At(img, 30, 30), kWhite);    // upper left
    EXPECT_EQ(At(img, 30, 70), kWhite);    // lower left
    EXPECT_EQ(At(img, 70, 70), kWhite);    // lower right
    EXPECT_EQ(At(img, 48, 10), kWhite);    // just left of 12 o'clock
    EXPECT_EQ(At(img, 90, 53), kWhite);    // just below 3 o'clock
    EXPECT_EQ(At(img, 1, 1), kFace);       // outside the ellipse
}

TEST_F(GaugeTest, PieOutlineIsDrawnInTheFrameColour) {
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 50, 0), kFrame);
    EXPECT_EQ(At(img, 0, 50), kFrame);
}

TEST_F(GaugeTest, PieAndNeedleOfAnEmptyRangeAreDrawnEmpty) {
    gauge->SetForeColor(kDarkBlue);
    gauge->SetMaxValue(0);
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    QImage img = gauge->RenderImage();
    for (auto [x, y] : {std::pair{70, 30}, {30, 30}, {30, 70}, {70, 70}})
        EXPECT_EQ(At(img, x, y), kWhite) << x << "," << y;
    gauge->SetKind(VTolmGaugeKind::vgkNeedle);
    img = gauge->RenderImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(At(img, x, y), kDarkBlue) << x << "," << y;
}

TEST_F(GaugeTest, NeedlePointsFromTheBottomCentre) {
    gauge->resize(101, 51);
    gauge->SetKind(VTolmGaugeKind::vgkNeedle);
    gauge->SetForeColor(RGBColor(255, 0, 0));
    gauge->SetProgress(50);
    QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 50, 25), RGBColor(255, 0, 0));
    EXPECT_EQ(At(img, 50, 5), RGBColor(255, 0, 0));
    EXPECT_EQ(At(img, 30, 40), kWhite) << "dial";
    gauge->SetProgress(100);
    img = gauge->RenderImage();
    EXPECT_EQ(At(img, 80, 50), RGBColor(255, 0, 0));
    EXPECT_NE(At(img, 50, 5), RGBColor(255, 0, 0));
}

TEST_F(GaugeTest, BlackTextTurnsWhiteOverTheDarkBarAndStaysBlackOverTheRest) {
    gauge->resize(200, 40);
    gauge->SetShowText(true);
    QFont f;
    f.setPixelSize(28);
    f.setBold(true);
    f.setStyleStrategy(QFont::NoAntialias);
    gauge->setFont(f);
    QPalette pal = gauge->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    gauge->setPalette(pal);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(50);
    const QImage img = gauge->RenderImage();
    int whiteOverBlue = 0;
    int blackOverBlue = 0;
    int blackOverWhite = 0;
    for (int y = 2; y < 38; ++y) {
        for (int x = 2; x < 198; ++x) {
            const TColor c = At(img, x, y);
            if (x < 100) {
                whiteOverBlue += c == kWhite;
                blackOverBlue += c == kBlack;
            } else {
                blackOverWhite += c == kBlack;
            }
        }
    }
    EXPECT_GT(whiteOverBlue, 20);
    EXPECT_EQ(blackOverBlue, 0);
    EXPECT_GT(blackOverWhite, 20);
}

TEST_F(GaugeTest, OnGetColorsChangesColoursAndText) {
    gauge->resize(102, 20);
    gauge->SetProgress(50);
    VTolmGauge* seen = nullptr;
    gauge->OnGetColors = [&](VTolmGauge& sender, VTolmGaugePaintColors& colors) {
        seen = &sender;
        EXPECT_EQ(colors.ForeColor, kBlack);
        EXPECT_EQ(colors.BackColor, kWhite);
        EXPECT_EQ(colors.FaceColor, kFace);
        EXPECT_EQ(colors.FrameColor, kFrame);
        EXPECT_TRUE(colors.Text.isEmpty()) << "ShowText is off";
        colors.ForeColor = RGBColor(255, 0, 0);
        colors.FrameColor = clNone;
    };
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(seen, gauge);
    EXPECT_EQ(At(img, 10, 10), RGBColor(255, 0, 0));
    EXPECT_EQ(At(img, 0, 10), kFace) << "no frame";
}

TEST_F(GaugeTest, TextFromOnGetColorsIsDrawnEvenWithoutShowText) {
    gauge->resize(120, 40);
    QFont f;
    f.setPixelSize(20);
    f.setStyleStrategy(QFont::NoAntialias);
    gauge->setFont(f);
    gauge->SetKind(VTolmGaugeKind::vgkText);
    gauge->OnGetColors = [](VTolmGauge&, VTolmGaugePaintColors& colors) {
        colors.Text = QStringLiteral("HELLO");
        colors.TextColor = RGBColor(255, 0, 0);
    };
    const QImage img = gauge->RenderImage();
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            red += At(img, x, y) == RGBColor(255, 0, 0);
    EXPECT_GT(red, 20);
}

TEST_F(GaugeTest, WithoutAFaceTheSurroundingsStayTransparent) {
    gauge->SetColor(clNone);
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(img.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(img.pixelColor(50, 50).alpha(), 255);
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::white)) << "white parts stay white";
}

TEST_F(GaugeTest, ThemedBarHasRoundedBorderAndShading) {
    gauge->resize(100, 24);
    gauge->SetTheme(VTolmGaugeTheme::Themed);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(50);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 0, 0), kFace) << "corner shows the surroundings";
    EXPECT_EQ(At(img, 99, 23), kFace);
    EXPECT_EQ(At(img, 1, 1), ColorMix(kFrame, kWhite, 50));
    EXPECT_EQ(At(img, 50, 0), kFrame);
    EXPECT_EQ(At(img, 50, 1), ColorMix(kFrame, kWhite, 60));
    EXPECT_EQ(At(img, 50, 22), ColorMix(kFrame, kWhite, 80));
    EXPECT_EQ(At(img, 2, 10), kWhite) << "third outline in the back colour";
    // Inner height 18: three shading pairs, outermost first, then the plain fore colour.
    EXPECT_EQ(At(img, 20, 3), ColorMix(kDarkBlue, kWhite, 80));
    EXPECT_EQ(At(img, 20, 4), ColorMix(kDarkBlue, kWhite, 50));
    EXPECT_EQ(At(img, 20, 5), ColorMix(kDarkBlue, kWhite, 20));
    EXPECT_EQ(At(img, 20, 6), kDarkBlue);
    EXPECT_EQ(At(img, 20, 20), ColorMix(kDarkBlue, kWhite, 80));
    EXPECT_EQ(At(img, 20, 18), ColorMix(kDarkBlue, kWhite, 20));
    // split = 3 + 0.5 * 94 = 50
    EXPECT_EQ(At(img, 49, 10), kDarkBlue);
    EXPECT_EQ(At(img, 50, 10), kWhite);
    EXPECT_EQ(At(img, 50, 3), kWhite) << "no shading on the unfilled part";
}

TEST_F(GaugeTest, ThemedThinBarShadesOnlyWhatFits) {
    gauge->resize(100, 14); // inner height 8: only the pair for heights above 6
    gauge->SetTheme(VTolmGaugeTheme::Themed);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(50);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 20, 3), ColorMix(kDarkBlue, kWhite, 50));
    EXPECT_EQ(At(img, 20, 4), kDarkBlue);
    EXPECT_EQ(At(img, 20, 10), ColorMix(kDarkBlue, kWhite, 50));
}

TEST_F(GaugeTest, ThemedPieHasShadedRingsAroundTheFore) {
    gauge->SetTheme(VTolmGaugeTheme::Themed);
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(100);
    const QImage img = gauge->RenderImage();
    EXPECT_EQ(At(img, 50, 50), kDarkBlue);
    // From the top edge to the centre: the frame ring, then the three shades, then the fore.
    std::vector<TColor> column;
    for (int y = 0; y <= 50; ++y)
        if (column.empty() || column.back() != At(img, 50, y))
            column.push_back(At(img, 50, y));
    const std::vector<TColor> order{kFrame, ColorMix(kDarkBlue, kWhite, 80),
                                    ColorMix(kDarkBlue, kWhite, 50),
                                    ColorMix(kDarkBlue, kWhite, 20), kDarkBlue};
    auto it = column.begin();
    for (TColor c : order) {
        it = std::find(it, column.end(), c);
        ASSERT_NE(it, column.end()) << std::hex << c;
    }
    EXPECT_EQ(column.back(), kDarkBlue);
}

TEST_F(GaugeTest, ThemeFollowsTheStyle) {
    gauge->SetTheme(VTolmGaugeTheme::FollowStyle);
    EXPECT_EQ(gauge->Themed(), StyleDrawsNativeTheme(gauge->style()));
    EXPECT_FALSE(StyleDrawsNativeTheme(nullptr));
}

TEST_F(GaugeTest, PaintingOnScreenMatchesTheRenderedImage) {
    gauge->SetKind(VTolmGaugeKind::vgkPie);
    gauge->SetForeColor(kDarkBlue);
    gauge->SetProgress(25);
    const QImage shown = gauge->grab().toImage();
    EXPECT_EQ(At(shown, 70, 30), kDarkBlue);
    EXPECT_EQ(At(shown, 30, 70), kWhite);
}

} // namespace
} // namespace celdara::widgets

namespace celdara::widgets {
namespace {

TEST(GaugeRobustness, EveryKindPaintsAtTinySizesAndExtremeRanges) {
    QWidget parent;
    auto* gauge = new VTolmGauge(&parent);
    gauge->SetMinValue(std::numeric_limits<int>::min());
    gauge->SetMaxValue(std::numeric_limits<int>::max());
    gauge->SetProgress(12345);
    gauge->SetDigitsAfterPoint(9);
    for (int k = 0; k <= static_cast<int>(VTolmGaugeKind::vgkNeedle); ++k) {
        gauge->SetKind(static_cast<VTolmGaugeKind>(k));
        for (VTolmGaugeTheme theme : {VTolmGaugeTheme::Plain, VTolmGaugeTheme::Themed}) {
            gauge->SetTheme(theme);
            for (int w : {0, 1, 2, 3, 5, 7, 13})
                for (int h : {0, 1, 2, 3, 5, 7, 13}) {
                    gauge->resize(w, h);
                    const QImage img = gauge->RenderImage();
                    ASSERT_EQ(img.size(), QSize(std::max(w, 1), std::max(h, 1)));
                }
        }
    }
    EXPECT_FALSE(gauge->Text().isEmpty());
}

} // namespace
} // namespace celdara::widgets
