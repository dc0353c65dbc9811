// Arithmetic of the gauge control, kept free of Qt: the value range with its setters, the shown
// number and text, the bar split, the pie wedges, the needle point, the colour mix and the dark
// test.
#pragma once

#include <cstdint>
#include <string>

namespace celdara::widgets {

// A colour as 0xRRGGBB, or clNone: the element is not drawn or is transparent.
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor RGBColor(int r, int g, int b) {
    return (static_cast<TColor>(r & 0xFF) << 16) | (static_cast<TColor>(g & 0xFF) << 8) |
           static_cast<TColor>(b & 0xFF);
}
constexpr int RedOf(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int GreenOf(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}

// For each of red, green and blue: a + p * (b - a) / 100, cut towards zero and kept in 0..255;
// none when either colour is none. p = 0 gives a, p = 100 gives b.
TColor ColorMix(TColor a, TColor b, int p);

// Weighted brightness below the middle; decides where the value text is inverted.
bool IsDarkColor(TColor c);

// Each of red, green and blue replaced by 255 minus it.
TColor InvertColor(TColor c);

enum class VTolmGaugeKind { vgkText, vgkHorizontalBar, vgkVerticalBar, vgkPie, vgkNeedle };

// The value and its ranges. Setters return whether anything changed (the control repaints).
class GaugeRange {
public:
    int Progress() const { return progress_; }
    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    int ShowMinValue() const { return showMinValue_; }
    int ShowMaxValue() const { return showMaxValue_; }
    bool AutoShowVals() const { return autoShowVals_; }
    int DigitsAfterPoint() const { return digitsAfterPoint_; }

    bool SetProgress(int value);
    bool SetMinValue(int value);
    bool SetMaxValue(int value);
    bool SetShowMinValue(int value);
    bool SetShowMaxValue(int value);
    void SetAutoShowVals(bool value) { autoShowVals_ = value; }
    bool SetDigitsAfterPoint(int value);

    // True when the range is empty (MinValue equals MaxValue).
    bool Degenerate() const { return minValue_ == maxValue_; }
    // (Progress - MinValue) / (MaxValue - MinValue); 0 for an empty range.
    double Fraction() const;
    // The number the text shows; the middle of the shown range for an empty range.
    double ShownNumber() const;
    // Percentage of the range, rounded half up without decimals; 0 for an empty range.
    double Percentage() const;

private:
    int progress_ = 0;
    int minValue_ = 0;
    int maxValue_ = 100;
    int showMinValue_ = 0;
    int showMaxValue_ = 100;
    bool autoShowVals_ = true;
    int digitsAfterPoint_ = 0;
};

// The value text: the shown number with DigitsAfterPoint decimals and the given decimal
// separator, then the units unless they are exactly one space.
std::string GaugeText(const GaugeRange& range, const std::string& units,
                      const std::string& decimalSeparator);

// Split of a bar of the given length (width or height) with inset s, measured from the
// filled end's opposite side: the horizontal bar fills [s, split), the vertical one
// [split, length - s). An empty range splits in the middle.
int HorizontalBarSplit(int width, int inset, const GaugeRange& range);
int VerticalBarSplit(int height, int inset, const GaugeRange& range);

// A pie wedge on an ellipse, angles in degrees as Qt takes them: 0 at 3 o'clock,
// counter-clockwise positive.
struct PieWedge {
    enum class Shape { None, Full, Sector };
    Shape shape = Shape::None;
    double startDeg = 0.0;
    double spanDeg = 0.0;
};

// The radial end points of a wedge are whole pixels; when they meet, the wedge is a full
// ellipse if its angles differ by more than 0.7 radians, otherwise nothing. startRad is the
// clockwise angle from 12 o'clock, sweepRad the clockwise sweep.
PieWedge MakePieWedge(int left, int top, int right, int bottom, double startRad, double sweepRad);

struct PieWedges {
    PieWedge filled;   // fore colour, from 12 o'clock clockwise through the fraction
    PieWedge unfilled; // back colour, from the end of the filled part on to 12 o'clock
};
// The wedges on the ellipse (left, top)-(right, bottom), right and bottom excluded. An empty
// range draws the pie empty.
PieWedges ComputePieWedges(int left, int top, int right, int bottom, const GaugeRange& range);

struct NeedleGeometry {
    bool visible = false;
    int baseX = 0;
    int baseY = 0;
    int tipX = 0;
    int tipY = 0;
};
// The needle of a W x H control with dial inset c: the minimum points left, the middle up, the
// maximum right. An empty range draws no needle.
NeedleGeometry ComputeNeedle(int width, int height, int inset, const GaugeRange& range);

// Position of the value text of the given size in a control of width x height.
struct TextPosition {
    int x = 0;
    int y = 0;
};
TextPosition GaugeTextPosition(int width, int height, int textWidth, int lineHeight);

} // namespace celdara::widgets
