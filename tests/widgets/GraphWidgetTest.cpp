// The graph control offscreen: properties, sampling, timer, layout, and its pixels.
#include "qtplatform/QtTimer.h"
#include "widgets/TrkwXPGraph.h"

#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <gtest/gtest.h>

namespace celdara::widgets {
namespace {

class GraphTest : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        parent.resize(600, 300);
        auto timer = std::make_unique<TManualTimer>(nullptr);
        refreshTimer = timer.get();
        graph = new TrkwXPGraph(&parent, std::move(timer));
        graph->setObjectName(QStringLiteral("rkwXPGraph1"));
        QFont f;
        f.setPixelSize(11);
        graph->SetGraphFont(f, QColor(0, 255, 0));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QImage Surface(const char* name) {
        auto* surface = graph->findChild<TrkwShape*>(QString::fromLatin1(name));
        EXPECT_NE(surface, nullptr) << name;
        return surface ? surface->grab().toImage() : QImage();
    }

    QWidget parent;
    TrkwXPGraph* graph = nullptr;
    TManualTimer* refreshTimer = nullptr;
};

TEST_F(GraphTest, ChildrenCarryTheirNamesAndDefaults) {
    EXPECT_EQ(graph->size(), QSize(400, 150));
    EXPECT_EQ(graph->minimumSize(), QSize(200, 66));
    for (const char* name : {"usageBox", "historyBox"})
        EXPECT_NE(graph->findChild<QGroupBox*>(QString::fromLatin1(name)), nullptr) << name;
    for (const char* name : {"usageFrame", "historyFrame"})
        EXPECT_NE(graph->findChild<QFrame*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_NE(graph->findChild<QLabel*>(QStringLiteral("statLabel")), nullptr);
    EXPECT_EQ(graph->UsageCaption(), "Usage");
    EXPECT_EQ(graph->HistoryCaption(), "Usage History");
    EXPECT_EQ(graph->BackGround(), QColor(Qt::black));
    EXPECT_EQ(graph->Color75(), QColor(255, 247, 9));
    EXPECT_EQ(graph->ColorMax(), QColor(225, 0, 0));
    EXPECT_EQ(graph->RefreshInterval(), 1000u);
    EXPECT_FALSE(graph->Active());
}

TEST_F(GraphTest, CaptionsAreReadBackFromTheBoxes) {
    graph->SetUsageCaption(QStringLiteral("Signal"));
    graph->SetHistoryCaption(QStringLiteral("Signal History"));
    EXPECT_EQ(graph->findChild<QGroupBox*>(QStringLiteral("usageBox"))->title(), "Signal");
    EXPECT_EQ(graph->HistoryCaption(), "Signal History");
}

TEST_F(GraphTest, UsageValueIsClampedToTheScaleAndBelowZeroIsNoValue) {
    const struct {
        const char* name;
        int value;
        int shown;
        QString text;
    } cases[] = {
        {"on the scale", 57, 57, "57 %"},
        {"zero is a measured zero", 0, 0, "0 %"},
        {"above the scale", 150, 100, "100 %"},
        {"the no-value mark", -1, TrkwXPGraph::kNoValue, QString(QChar(0x2013))},
        {"far below zero", -50, TrkwXPGraph::kNoValue, QString(QChar(0x2013))},
    };
    graph->SetUsageLabel("%");
    for (const auto& c : cases) {
        graph->SetUsageValue(c.value);
        EXPECT_EQ(graph->UsageValue(), c.shown) << c.name;
        EXPECT_EQ(graph->History().Values().back(), c.shown) << c.name;
        EXPECT_EQ(graph->UsageBarText(), c.text) << c.name;
    }
}

TEST_F(GraphTest, NoValueBreaksTheHistoryLine) {
    graph->SetColorHistoryGridLine(QColor(0, 255, 0));
    graph->SetColorHistoryGrid(QColor(0, 128, 0));
    for (int i = 0; i < 30; ++i)
        graph->SetUsageValue(i >= 10 && i < 20 ? TrkwXPGraph::kNoValue : 50);
    const QImage img = Surface("historySurface");
    const int w = img.width();
    const int lineY = img.height() - RoundHalfEven(50 * static_cast<double>(img.height()) / 100);
    // The newest sample is at the right edge: samples 0..9 and 20..29 draw, 10..19 not,
    // nor a line down to them.
    const auto lit = [&](int x) {
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) == QColor(0, 255, 0))
                return true;
        return false;
    };
    EXPECT_EQ(img.pixelColor(w - 5, lineY), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(w - 25, lineY), QColor(0, 255, 0));
    for (int x = w - 20; x <= w - 11; ++x)
        EXPECT_FALSE(lit(x)) << "column " << x << " is in the gap";
}

TEST_F(GraphTest, EveryAssignmentAddsOnePointAndHistoryStopsAt1001) {
    const auto before = graph->History().Values().size();
    graph->SetUsageValue(5);
    EXPECT_EQ(graph->History().Values().size(), before + 1);
    for (int i = 0; i < 1200; ++i)
        graph->SetUsageValue(i % 100);
    EXPECT_EQ(graph->History().Values().size(), 1001u);
    EXPECT_EQ(graph->History().Values().back(), 1199 % 100);
}

TEST_F(GraphTest, MeanIgnoresLeadingZeros) {
    for (int v : {0, 0, 40, 60})
        graph->SetUsageValue(v);
    EXPECT_DOUBLE_EQ(graph->Mean().Mean(), 50.0);
    graph->SetUsageValue(20);
    EXPECT_DOUBLE_EQ(graph->Mean().Mean(), 40.0);
}

TEST_F(GraphTest, StatisticsTextEndsWithCurrentValueAndPadding) {
    graph->SetDisplayStat(true);
    graph->SetUsageValue(7);
    EXPECT_EQ(graph->StatisticsText(), "Max: 100  Avg: 7.00  Curr: 7   ");
    EXPECT_TRUE(graph->StatisticsText().endsWith("  Curr: 7   "));
    auto* label = graph->findChild<QLabel*>(QStringLiteral("statLabel"));
    EXPECT_TRUE(label->isVisibleTo(graph));
    EXPECT_EQ(label->pos(), QPoint(99, 132));
}

TEST_F(GraphTest, PropertySettersThatRefreshTakeASample) {
    const auto before = graph->History().Values().size();
    graph->SetColorHalf(Qt::cyan);
    graph->SetUsageLabel(QStringLiteral("dB"));
    EXPECT_EQ(graph->History().Values().size(), before + 2);
    graph->SetBackGround(Qt::darkBlue);
    graph->SetMaxValue(200);
    graph->SetUsageCaption(QStringLiteral("x"));
    EXPECT_EQ(graph->History().Values().size(), before + 2);
}

TEST(GraphWithoutParent, RefreshDoesNothing) {
    TrkwXPGraph graph;
    graph.SetUsageValue(30);
    EXPECT_EQ(graph.UsageValue(), 30);
    EXPECT_TRUE(graph.History().Values().empty());
}

TEST_F(GraphTest, RefreshIntervalHasAFloorOf100) {
    graph->SetRefreshInterval(50);
    EXPECT_EQ(graph->RefreshInterval(), 100u);
    graph->SetRefreshInterval(30000);
    EXPECT_EQ(graph->RefreshInterval(), 30000u);
}

TEST_F(GraphTest, ActiveGraphSamplesOnlyOnTheTimer) {
    EXPECT_FALSE(refreshTimer->Enabled());
    graph->SetRefreshInterval(250);
    graph->SetActive(true);
    EXPECT_TRUE(refreshTimer->Running());
    EXPECT_EQ(refreshTimer->Interval(), 250u);

    const auto before = graph->History().Values().size();
    graph->SetUsageValue(80);
    graph->SetUsageValue(60);
    EXPECT_EQ(graph->History().Values().size(), before);
    refreshTimer->Fire();
    EXPECT_EQ(graph->History().Values().size(), before + 1);
    EXPECT_EQ(graph->History().Values().back(), 60);

    graph->SetActive(false);
    EXPECT_FALSE(refreshTimer->Running());
    refreshTimer->Fire();
    EXPECT_EQ(graph->History().Values().size(), before + 1);
}

TEST(GraphQtTimer, ActiveStartsTheQtTimerWithTheInterval) {
    QWidget parent;
    auto timer = std::make_unique<TQtTimer>(nullptr);
    TQtTimer* qt = timer.get();
    auto* graph = new TrkwXPGraph(&parent, std::move(timer));
    EXPECT_FALSE(qt->IsTicking());
    graph->SetRefreshInterval(30000);
    graph->SetActive(true);
    EXPECT_TRUE(qt->IsTicking());
    EXPECT_EQ(qt->Interval(), 30000u);
    graph->SetActive(false);
    EXPECT_FALSE(qt->IsTicking());
}

TEST_F(GraphTest, StatisticsLineSetsMinimumHeightAndShrinksFrom81) {
    graph->SetDisplayStat(true);
    EXPECT_EQ(graph->minimumHeight(), 81);
    graph->resize(300, 81);
    graph->SetDisplayStat(false);
    EXPECT_EQ(graph->minimumHeight(), 66);
    EXPECT_EQ(graph->height(), 66);
    EXPECT_FALSE(graph->findChild<QLabel*>(QStringLiteral("statLabel"))->isVisibleTo(graph));

    graph->resize(300, 100);
    graph->SetDisplayStat(true);
    graph->SetDisplayStat(false);
    EXPECT_EQ(graph->height(), 100) << "only exactly 81 shrinks";
}

TEST_F(GraphTest, LayoutFollowsResize) {
    // A hidden widget gets its resize event only when shown.
    parent.show();
    graph->resize(547, 135);
    EXPECT_EQ(graph->findChild<QGroupBox*>(QStringLiteral("historyBox"))->geometry(),
              QRect(90, 3, 452, 125));
    EXPECT_EQ(graph->findChild<QGroupBox*>(QStringLiteral("usageBox"))->geometry(),
              QRect(5, 3, 75, 125));
}

// Colours of the segment rows of the usage surface, top first, read in the left block.
std::vector<QColor> SegmentColumn(const QImage& img) {
    std::vector<QColor> rows;
    for (int y = 4; y + 1 < img.height(); y += 3) {
        const QColor c = img.pixelColor(12, y);
        if (c == QColor(Qt::black))
            break;
        rows.push_back(c);
    }
    return rows;
}

TEST_F(GraphTest, HalfValueLightsHalfTheSegmentsRoundedToEven) {
    graph->SetColorHalf(QColor(0, 255, 0));
    graph->SetColorUsageBarBack(QColor(0, 64, 0));
    graph->SetUsageValue(50);
    const QImage img = Surface("usageSurface");
    const std::vector<QColor> rows = SegmentColumn(img);
    const int s = static_cast<int>(rows.size());
    ASSERT_GT(s, 4);
    const int lit = static_cast<int>(std::count(rows.begin(), rows.end(), QColor(0, 255, 0)));
    EXPECT_EQ(lit, RoundHalfEven(s / 2.0));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), QColor(0, 64, 0)), s - lit);
    // Lit segments are at the bottom.
    EXPECT_EQ(rows.back(), QColor(0, 255, 0));
    EXPECT_EQ(rows.front(), QColor(0, 64, 0));
    // The gap between a segment's blocks and between segments shows the background.
    const UsageBarGeometry bar = ComputeUsageBar(img.width(), img.height(), 0, 0, 0, 100);
    EXPECT_EQ(img.pixelColor(bar.mid, 4), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(bar.mid - 1, 4), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(12, 6), QColor(Qt::black));
}

TEST_F(GraphTest, FullBarShowsThreeColourBands) {
    graph->SetColorHalf(QColor(0, 255, 0));
    graph->SetColor75(QColor(255, 247, 9));
    graph->SetColorMax(QColor(225, 0, 0));
    graph->SetUsageValue(100);
    const std::vector<QColor> rows = SegmentColumn(Surface("usageSurface"));
    const int s = static_cast<int>(rows.size());
    ASSERT_GT(s, 4);
    for (int i = 0; i < s; ++i) {
        const int k = s - i;
        const QColor expected = k > 3 * s / 4 ? QColor(225, 0, 0)
                                : k > s / 2   ? QColor(255, 247, 9)
                                              : QColor(0, 255, 0);
        EXPECT_EQ(rows[i], expected) << "k=" << k;
    }
}

TEST_F(GraphTest, NoValueLeavesTheBarDarkAndTheMeanAlone) {
    graph->SetColorHalf(QColor(0, 255, 0));
    graph->SetColorUsageBarBack(QColor(0, 64, 0));
    graph->SetDisplayStat(true);
    graph->SetUsageValue(40);
    graph->SetUsageValue(TrkwXPGraph::kNoValue);
    for (const QColor& c : SegmentColumn(Surface("usageSurface")))
        EXPECT_EQ(c, QColor(0, 64, 0));
    EXPECT_DOUBLE_EQ(graph->Mean().Mean(), 40.0);
    EXPECT_TRUE(graph->StatisticsText().contains("Curr: -"))
        << graph->StatisticsText().toStdString();
    EXPECT_FALSE(graph->StatisticsText().contains("-1"));
}

TEST_F(GraphTest, ValueTextIsDrawnUnderTheBarInTheGraphFontColour) {
    graph->SetUsageValue(57);
    const QImage img = Surface("usageSurface");
    int lime = 0;
    for (int y = img.height() - 16; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            lime += img.pixelColor(x, y).green() > 128 && img.pixelColor(x, y).red() < 100;
    EXPECT_GT(lime, 10);
}

TEST_F(GraphTest, HistoryLineEndsAtTheRightEdgeAtTheValueHeight) {
    graph->SetColorHistoryGridLine(QColor(0, 255, 0));
    graph->SetColorHistoryGrid(QColor(0, 128, 0));
    for (int i = 0; i < 30; ++i)
        graph->SetUsageValue(50);
    const QImage img = Surface("historySurface");
    const int w = img.width();
    const int h = img.height();
    const int y = h - RoundHalfEven(50 * static_cast<double>(h) / 100);
    EXPECT_EQ(img.pixelColor(w - 1, y), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(w - 20, y), QColor(0, 255, 0));
    EXPECT_NE(img.pixelColor(w - 1, y - 3), QColor(0, 255, 0));
}

TEST_F(GraphTest, AReplacedHistoryIsDrawnWithoutASampleAndBoundedLikeOne) {
    graph->SetMaxValue(96);
    for (int i = 0; i < 5; ++i)
        graph->SetUsageValue(10);
    const int offset = graph->History().ScrollOffset();
    graph->ReplaceHistory({20, 30, 200});
    EXPECT_EQ(std::vector<int>(graph->History().Values().begin(), graph->History().Values().end()),
              (std::vector<int>{20, 30, 200}));
    EXPECT_EQ(graph->History().ScrollOffset(), offset);
    EXPECT_EQ(graph->UsageValue(), 96); // the last value, on the scale
    graph->ReplaceHistory({});
    EXPECT_EQ(graph->UsageValue(), 0);
    EXPECT_TRUE(graph->History().Values().empty());
    std::vector<int> long_(kHistoryCapacity + 5);
    for (std::size_t i = 0; i < long_.size(); ++i)
        long_[i] = static_cast<int>(i % 90);
    graph->ReplaceHistory(long_);
    EXPECT_EQ(graph->History().Values().size(), kHistoryCapacity);
    EXPECT_EQ(graph->History().Values().front(), 5);
}

TEST_F(GraphTest, TheValueTextShowsTheValueTheScaleStandsFor) {
    // Drawn at 45 of 96 above -140 dBm: the text says -95 dBm, the bar stands at 45.
    graph->SetMaxValue(96);
    graph->SetValueOffset(-140);
    graph->SetUsageLabel("dBm");
    graph->SetUsageValue(45);
    QImage withOffset = Surface("usageSurface");
    graph->SetValueOffset(0);
    QImage without = Surface("usageSurface");
    EXPECT_NE(withOffset, without);
    EXPECT_EQ(graph->UsageValue(), 45);
}

TEST_F(GraphTest, GridScrollsWithTheSamples) {
    graph->SetColorHistoryGrid(QColor(0, 128, 0));
    graph->SetUsageValue(0);
    const int offset = graph->History().ScrollOffset();
    const QImage img = Surface("historySurface");
    const int w = img.width();
    const int x = w - 12 - offset;
    EXPECT_EQ(img.pixelColor(x, img.height() / 2 + 1), QColor(0, 128, 0));
    EXPECT_EQ(img.pixelColor(x + 1, img.height() / 2 + 1), QColor(Qt::black));
    graph->SetUsageValue(0);
    const QImage next = Surface("historySurface");
    EXPECT_EQ(next.pixelColor(x - 1, img.height() / 2 + 1), QColor(0, 128, 0));
}

TEST_F(GraphTest, FullScaleOfZeroDrawsEmptyBarAndNoLine) {
    graph->SetColorHistoryGridLine(QColor(255, 0, 255));
    graph->SetMaxValue(0);
    graph->SetUsageValue(10);
    EXPECT_EQ(graph->UsageValue(), 0);
    const std::vector<QColor> rows = SegmentColumn(Surface("usageSurface"));
    for (const QColor& c : rows)
        EXPECT_EQ(c, graph->ColorUsageBarBack());
    const QImage hist = Surface("historySurface");
    for (int y = 0; y < hist.height(); ++y)
        ASSERT_NE(hist.pixelColor(hist.width() - 1, y), QColor(255, 0, 255)) << y;
}

TEST_F(GraphTest, ControlAndPlateTakeTheColour) {
    graph->SetColor(QColor(10, 20, 30));
    graph->SetDisplayStat(true);
    const QImage img = graph->grab().toImage();
    EXPECT_EQ(img.pixelColor(1, 1), QColor(10, 20, 30));
    // Inside the statistics plate, right of its label.
    EXPECT_EQ(img.pixelColor(390, 139), QColor(10, 20, 30));
}

TEST_F(GraphTest, FollowsTheParentColourUntilSet) {
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(1, 2, 3));
    parent.setPalette(pal);
    EXPECT_EQ(graph->Color(), QColor(1, 2, 3));
    graph->SetColor(QColor(9, 9, 9));
    pal.setColor(QPalette::Window, QColor(4, 5, 6));
    parent.setPalette(pal);
    EXPECT_EQ(graph->Color(), QColor(9, 9, 9));
}

} // namespace
} // namespace celdara::widgets
