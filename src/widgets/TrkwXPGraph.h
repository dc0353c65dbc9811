// The usage and history graph: a segmented bar with the current value on the left, a scrolling
// history line over a grid on the right, optionally a statistics line below.
#pragma once

#include "core/Timer.h"
#include "widgets/GraphGeometry.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QGroupBox;
class QLabel;
class QPainter;

namespace celdara::widgets {

// A drawing surface: instead of drawing a shape it calls its paint callback; without one it
// draws nothing.
class TrkwShape : public QWidget {
public:
    using PaintProc = std::function<void(TrkwShape& shape, QPainter& painter)>;

    explicit TrkwShape(QWidget* parent = nullptr);

    void SetOnPaint(PaintProc proc) { onPaint_ = std::move(proc); }
    QColor Brush() const { return brush_; }
    void SetBrush(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaintProc onPaint_;
    QColor brush_ = Qt::white;
};

class TrkwXPGraph : public QWidget {
public:
    // The refresh timer comes through the timer seam; without one the graph makes a Qt timer.
    explicit TrkwXPGraph(QWidget* parent = nullptr, std::unique_ptr<TTimer> refreshTimer = {});
    ~TrkwXPGraph() override;

    // Control background and the statistics plate's colour; follows the parent until set.
    QColor Color() const;
    void SetColor(const QColor& color);

    QColor BackGround() const;
    void SetBackGround(const QColor& color);

    // Below 0 (kNoValue) nothing was measured: the bar is empty under a dash, the history
    // has a gap there and the mean leaves it out.
    static constexpr int kNoValue = -1;
    int UsageValue() const { return usageValue_; }
    void SetUsageValue(int value);

    // The text under the bar: the value with its unit, or a dash for no value.
    QString UsageBarText() const;

    QString UsageLabel() const { return usageLabel_; }
    void SetUsageLabel(const QString& label);

    QFont GraphFont() const { return graphFont_; }
    QColor GraphFontColor() const { return graphFontColor_; }
    void SetGraphFont(const QFont& font, const QColor& color);

    unsigned RefreshInterval() const;
    void SetRefreshInterval(unsigned interval);

    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);

    // What the bar's text adds to the value: a scale that starts below zero (dBm) is drawn
    // from 0 and written as the value it stands for.
    int ValueOffset() const { return valueOffset_; }
    void SetValueOffset(int offset);

    QColor ColorHalf() const { return colorHalf_; }
    void SetColorHalf(const QColor& color);
    QColor Color75() const { return color75_; }
    void SetColor75(const QColor& color);
    QColor ColorMax() const { return colorMax_; }
    void SetColorMax(const QColor& color);
    QColor ColorUsageBarBack() const { return colorUsageBarBack_; }
    void SetColorUsageBarBack(const QColor& color);
    QColor ColorHistoryGrid() const { return colorHistoryGrid_; }
    void SetColorHistoryGrid(const QColor& color);
    QColor ColorHistoryGridLine() const { return colorHistoryGridLine_; }
    void SetColorHistoryGridLine(const QColor& color);

    QString UsageCaption() const;
    void SetUsageCaption(const QString& caption);
    QString HistoryCaption() const;
    void SetHistoryCaption(const QString& caption);

    bool Active() const { return active_; }
    void SetActive(bool active);

    bool DisplayStat() const { return displayStat_; }
    void SetDisplayStat(bool display);

    // Lays out, takes a sample of UsageValue and redraws; the timer's and a click's action.
    // Does nothing while the control has no parent.
    void Refresh();

    const GraphHistory& History() const { return history_; }
    // Draws these values instead of the history so far, the last one as the current value;
    // no sample is taken.
    void ReplaceHistory(const std::vector<int>& values);
    const RunningMean& Mean() const { return mean_; }
    // The statistics line as last set (empty until the first refresh with DisplayStat).
    QString StatisticsText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyLayout();
    void PaintUsage(TrkwShape& shape, QPainter& p);
    void PaintHistory(TrkwShape& shape, QPainter& p);
    void PaintStatPlate(TrkwShape& shape, QPainter& p);
    void UpdateStatText();
    QColor SegmentQColor(SegmentColor c) const;
    QColor ParentColor() const;

    QGroupBox* usageBox_;
    QFrame* usageFrame_;
    TrkwShape* usageSurface_;
    QGroupBox* historyBox_;
    QFrame* historyFrame_;
    TrkwShape* historySurface_;
    TrkwShape* statPlate_;
    QLabel* statLabel_;
    std::unique_ptr<TTimer> refreshTimer_;

    std::optional<QColor> color_;
    QColor lastParentColor_;
    int usageValue_ = 0;
    QString usageLabel_ = QStringLiteral("%");
    QFont graphFont_;
    QColor graphFontColor_{0, 255, 0};
    int maxValue_ = 100;
    int valueOffset_ = 0;
    QColor colorHalf_{0, 255, 0};
    QColor color75_{255, 247, 9};
    QColor colorMax_{225, 0, 0};
    QColor colorUsageBarBack_{0, 64, 0};
    QColor colorHistoryGrid_{0, 128, 0};
    QColor colorHistoryGridLine_{0, 255, 0};
    bool active_ = false;
    bool displayStat_ = false;

    GraphHistory history_;
    RunningMean mean_;
};

} // namespace celdara::widgets
