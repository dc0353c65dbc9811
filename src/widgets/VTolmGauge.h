// The gauge: an integer value shown as text, a horizontal or vertical bar, a pie or a needle,
// with a centred value text that is inverted where it lies over dark parts of the drawing.
#pragma once

#include "widgets/GaugeGeometry.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace celdara::widgets {

class VTolmGauge;

// The colours and text of one paint; clNone in a colour means "not drawn" or "transparent".
struct VTolmGaugePaintColors {
    TColor ForeColor = clNone;
    TColor BackColor = clNone;
    TColor FaceColor = clNone;
    TColor FrameColor = clNone;
    TColor TextColor = clNone;
    QString Text;
};

using VTolmGaugeGetPaintColorsProc =
    std::function<void(VTolmGauge& sender, VTolmGaugePaintColors& colors)>;

enum class VTolmGaugeBorderStyle { bsNone, bsSingle };

// Whether the bars, the pie and the needle get their themed decorations.
enum class VTolmGaugeTheme {
    FollowStyle, // themed when the current Qt style draws the platform's native theme
    Plain,
    Themed,
};

TColor ToTColor(const QColor& color);
QColor ToQColor(TColor color); // clNone gives a fully transparent colour

// True for the Qt styles that draw the platform's native theme (Windows Vista/11, macOS);
// Qt's own styles (Fusion, Windows classic) count as plain.
bool StyleDrawsNativeTheme(const QStyle* style);

class VTolmGauge : public QWidget {
public:
    explicit VTolmGauge(QWidget* parent = nullptr);

    VTolmGaugeKind Kind() const { return kind_; }
    void SetKind(VTolmGaugeKind kind);

    int Progress() const { return range_.Progress(); }
    void SetProgress(int value);
    int MinValue() const { return range_.MinValue(); }
    void SetMinValue(int value);
    int MaxValue() const { return range_.MaxValue(); }
    void SetMaxValue(int value);
    int ShowMinValue() const { return range_.ShowMinValue(); }
    void SetShowMinValue(int value);
    int ShowMaxValue() const { return range_.ShowMaxValue(); }
    void SetShowMaxValue(int value);
    bool AutoShowVals() const { return range_.AutoShowVals(); }
    void SetAutoShowVals(bool value) { range_.SetAutoShowVals(value); }
    int DigitsAfterPoint() const { return range_.DigitsAfterPoint(); }
    void SetDigitsAfterPoint(int value);

    QString Units() const { return units_; }
    void SetUnits(const QString& units);
    bool ShowText() const { return showText_; }
    void SetShowText(bool show);
    VTolmGaugeBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(VTolmGaugeBorderStyle style);
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor color);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor color);
    // The face behind the gauge; follows the parent's window colour until set.
    TColor Color() const;
    void SetColor(TColor color);

    VTolmGaugeTheme Theme() const { return theme_; }
    void SetTheme(VTolmGaugeTheme theme);
    bool Themed() const;

    // The value text as the next paint would show it (before OnGetColors).
    QString Text() const;

    VTolmGaugeGetPaintColorsProc OnGetColors;

    // The whole picture of one paint, value text included.
    QImage RenderImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Repaint();
    VTolmGaugePaintColors PaintColors();

    VTolmGaugeKind kind_ = VTolmGaugeKind::vgkHorizontalBar;
    GaugeRange range_;
    QString units_ = QStringLiteral("%");
    bool showText_ = true;
    VTolmGaugeBorderStyle borderStyle_ = VTolmGaugeBorderStyle::bsSingle;
    TColor foreColor_ = RGBColor(0, 0, 0);
    TColor backColor_ = RGBColor(255, 255, 255);
    std::optional<TColor> color_;
    VTolmGaugeTheme theme_ = VTolmGaugeTheme::FollowStyle;
};

} // namespace celdara::widgets
