#include "widgets/GaugeGeometry.h"

#include "widgets/GraphGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace celdara::widgets {

TColor ColorMix(TColor a, TColor b, int p) {
    if (a == clNone || b == clNone)
        return clNone;
    auto channel = [p](int ca, int cb) {
        const long long v = ca + static_cast<long long>(p) * (cb - ca) / 100;
        return static_cast<int>(std::clamp<long long>(v, 0, 255));
    };
    return RGBColor(channel(RedOf(a), RedOf(b)), channel(GreenOf(a), GreenOf(b)),
                    channel(BlueOf(a), BlueOf(b)));
}

bool IsDarkColor(TColor c) {
    return 292 * RedOf(c) + 594 * GreenOf(c) + 114 * BlueOf(c) < 128000;
}

TColor InvertColor(TColor c) {
    return RGBColor(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c));
}

bool GaugeRange::SetProgress(int value) {
    value = std::clamp(value, minValue_, maxValue_);
    if (value == progress_)
        return false;
    progress_ = value;
    return true;
}

bool GaugeRange::SetMinValue(int value) {
    if (value == minValue_)
        return false;
    if (value > maxValue_)
        SetMaxValue(value);
    minValue_ = value;
    if (progress_ < value)
        progress_ = value;
    if (autoShowVals_)
        showMinValue_ = value;
    return true;
}

bool GaugeRange::SetMaxValue(int value) {
    if (value == maxValue_)
        return false;
    if (value < minValue_)
        SetMinValue(value);
    maxValue_ = value;
    if (progress_ > value)
        progress_ = value;
    if (autoShowVals_)
        showMaxValue_ = value;
    return true;
}

bool GaugeRange::SetShowMinValue(int value) {
    if (value == showMinValue_)
        return false;
    showMinValue_ = value;
    return true;
}

bool GaugeRange::SetShowMaxValue(int value) {
    if (value == showMaxValue_)
        return false;
    showMaxValue_ = value;
    return true;
}

bool GaugeRange::SetDigitsAfterPoint(int value) {
    value = std::clamp(value, 0, 9);
    if (value == digitsAfterPoint_)
        return false;
    digitsAfterPoint_ = value;
    return true;
}

double GaugeRange::Fraction() const {
    if (Degenerate())
        return 0.0;
    return (static_cast<double>(progress_) - minValue_) /
           (static_cast<double>(maxValue_) - minValue_);
}

double GaugeRange::ShownNumber() const {
    double shown;
    if (Degenerate()) {
        // The middle of the shown range, also when it does not start at 0.
        shown = (static_cast<double>(showMinValue_) + showMaxValue_) / 2.0;
    } else {
        shown = showMinValue_ + (static_cast<double>(showMaxValue_) - showMinValue_) * Fraction();
    }
    if (digitsAfterPoint_ == 0)
        shown = std::floor(shown + 0.5);
    return shown;
}

double GaugeRange::Percentage() const {
    if (Degenerate())
        return 0.0;
    const double p = 100.0 * Fraction();
    return digitsAfterPoint_ == 0 ? std::floor(p + 0.5) : p;
}

std::string GaugeText(const GaugeRange& range, const std::string& units,
                      const std::string& decimalSeparator) {
    std::string text;
    const double shown = range.ShownNumber();
    if (range.DigitsAfterPoint() == 0) {
        text = std::to_string(static_cast<long long>(shown));
    } else {
        // to_chars is independent of the C locale; the separator is put in afterwards.
        char buffer[64];
        const auto res = std::to_chars(buffer, buffer + sizeof buffer, shown,
                                       std::chars_format::fixed, range.DigitsAfterPoint());
        text.assign(buffer, res.ptr);
        if (const auto dot = text.find('.'); dot != std::string::npos)
            text.replace(dot, 1, decimalSeparator);
    }
    if (units != " ")
        text += units;
    return text;
}

int HorizontalBarSplit(int width, int inset, const GaugeRange& range) {
    const int length = width - 2 * inset;
    if (range.Degenerate())
        return inset + length / 2;
    return RoundHalfEven(inset + range.Fraction() * length);
}

int VerticalBarSplit(int height, int inset, const GaugeRange& range) {
    const int length = height - 2 * inset;
    if (range.Degenerate())
        return height - inset - length / 2;
    return RoundHalfEven(height - inset - range.Fraction() * length);
}

PieWedge MakePieWedge(int left, int top, int right, int bottom, double startRad, double sweepRad) {
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0;
    const double ry = (bottom - top) / 2.0;
    auto pointAt = [&](double a) {
        return GraphPoint{RoundHalfEven(cx + rx * std::sin(a)),
                          RoundHalfEven(cy - ry * std::cos(a))};
    };
    PieWedge w;
    if (pointAt(startRad) == pointAt(startRad + sweepRad)) {
        w.shape = std::fabs(sweepRad) > 0.7 ? PieWedge::Shape::Full : PieWedge::Shape::None;
        return w;
    }
    constexpr double toDeg = 180.0 / std::numbers::pi;
    w.shape = PieWedge::Shape::Sector;
    w.startDeg = 90.0 - startRad * toDeg;
    w.spanDeg = -sweepRad * toDeg;
    return w;
}

PieWedges ComputePieWedges(int left, int top, int right, int bottom, const GaugeRange& range) {
    constexpr double turn = 2.0 * std::numbers::pi;
    PieWedges w;
    if (range.Degenerate()) {
        w.unfilled.shape = PieWedge::Shape::Full;
        return w;
    }
    const double filled = turn * range.Fraction();
    w.unfilled = MakePieWedge(left, top, right, bottom, filled, turn - filled);
    if (range.Percentage() > 0)
        w.filled = MakePieWedge(left, top, right, bottom, 0.0, filled);
    return w;
}

NeedleGeometry ComputeNeedle(int width, int height, int inset, const GaugeRange& range) {
    NeedleGeometry n;
    n.baseX = width / 2;
    n.baseY = height - inset - 1;
    if (range.Degenerate())
        return n;
    const double a = std::numbers::pi * range.Fraction();
    n.visible = true;
    n.tipX = RoundHalfEven(inset + (1.0 - std::cos(a)) * (width - 2 * inset - 1) / 2.0);
    n.tipY = RoundHalfEven(inset + (1.0 - std::sin(a)) * (height - 2 * inset - 1));
    return n;
}

TextPosition GaugeTextPosition(int width, int height, int textWidth, int lineHeight) {
    return {(width - textWidth - 1) / 2, (height - lineHeight - 1) / 2};
}

} // namespace celdara::widgets
