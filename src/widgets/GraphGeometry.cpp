#include "widgets/GraphGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace celdara::widgets {

int RoundHalfEven(double x) {
    if (std::isnan(x))
        return 0;
    // The default floating-point rounding mode is to nearest, ties to even.
    const double r = std::nearbyint(x);
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

int DecimalDigits(std::int64_t value) {
    return static_cast<int>(std::to_string(value).size());
}

GraphLayout ComputeGraphLayout(int width, int height, bool displayStat) {
    GraphLayout l;
    const int boxHeight = height - 10 - (displayStat ? 15 : 0);
    l.usageBox = {5, 3, 75, boxHeight};
    const int historyLeft = l.usageBox.width + 15;
    l.historyBox = {historyLeft, 3, width - historyLeft - 5, boxHeight};
    l.usageFrame = {5, 15, l.usageBox.width - 10, l.usageBox.height - 20};
    l.historyFrame = {5, 15, l.historyBox.width - 10, l.historyBox.height - 20};
    l.statPlate = {l.historyBox.left, l.historyBox.Bottom() + 2, l.historyBox.width, 17};
    l.statLabelLeft = l.historyBox.left + 9;
    l.statLabelTop = l.historyBox.Bottom() + 4;
    return l;
}

SegmentColor LitSegmentColor(int k, int segmentCount) {
    if (k > (3 * segmentCount) / 4)
        return SegmentColor::Max;
    if (k > segmentCount / 2)
        return SegmentColor::Upper75;
    return SegmentColor::Half;
}

UsageBarGeometry ComputeUsageBar(int width, int height, int textWidth, int textHeight, int value,
                                 int maxValue) {
    UsageBarGeometry g;
    g.width = width;
    g.textLeft = (width - textWidth) / 2;
    g.textTop = height - textHeight - 3;
    g.mid = (width - 21) / 2 + 10;
    g.segmentCount = std::max(0, RoundHalfEven((height - textHeight - 8) / 3.0));
    if (g.segmentCount == 0 || maxValue <= 0)
        return g;
    const int lit = RoundHalfEven(static_cast<double>(value) / maxValue * g.segmentCount);
    // The full scale may have been lowered below a value set earlier: never more than all.
    g.litCount = std::clamp(lit, 0, g.segmentCount);
    return g;
}

GraphRect UsageBarGeometry::LeftBlock(int i) const {
    const int top = 4 + 3 * i;
    return {10, top, (mid - 1) - 10, 2};
}

GraphRect UsageBarGeometry::RightBlock(int i) const {
    const int top = 4 + 3 * i;
    return {mid + 1, top, (width - 11) - (mid + 1), 2};
}

SegmentColor UsageBarGeometry::ColorOf(int i) const {
    const int k = segmentCount - i;
    if (k > litCount)
        return SegmentColor::Back;
    return LitSegmentColor(k, segmentCount);
}

std::string UsageText(int value, const std::string& unit) {
    return std::to_string(value) + " " + unit;
}

void GraphHistory::Sample(int value) {
    if (values_.size() >= kHistoryCapacity)
        values_.pop_front();
    values_.push_back(value);
    scrollOffset_ = (scrollOffset_ + 1) % kScrollWrap;
}

void GraphHistory::Assign(const std::vector<int>& values) {
    const std::size_t skip =
        values.size() > kHistoryCapacity ? values.size() - kHistoryCapacity : 0;
    values_.assign(values.begin() + static_cast<std::ptrdiff_t>(skip), values.end());
}

void RunningMean::Add(int value) {
    // Zeros before the first non-zero value are not counted: a modem that has not answered
    // yet should not drag the average down.
    if (mean_ == 0.0) {
        mean_ = value;
        return;
    }
    const double n = static_cast<double>(count_);
    mean_ = (n * mean_ + value) / (n + 1.0);
    ++count_;
}

HistoryGrid ComputeHistoryGrid(int width, int height, int scrollOffset) {
    HistoryGrid grid;
    if (width < 0 || height < 0)
        return grid;
    for (int k = 0; k <= height / kGridStep; ++k)
        grid.horizontalY.push_back(height - kGridStep * k);
    for (int k = 0; k <= width / kGridStep; ++k)
        grid.verticalX.push_back(width - kGridStep * k - scrollOffset);
    return grid;
}

std::vector<GraphPoint> ComputeHistoryPoints(const std::deque<int>& values, int width, int height,
                                             int maxValue) {
    std::vector<GraphPoint> points;
    if (maxValue <= 0 || values.empty())
        return points;
    const double scale = static_cast<double>(height) / maxValue;
    const int n = static_cast<int>(values.size());
    points.reserve(values.size());
    for (int i = 0; i < n; ++i)
        points.push_back({width - n + i, height - RoundHalfEven(values[i] * scale)});
    return points;
}

namespace {

std::string GroupThousands(const std::string& digits, const std::string& separator) {
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string FormatMean(double mean, const NumberFormat& format) {
    if (!std::isfinite(mean))
        mean = 0.0;
    // Cut to hundredths; the small allowance keeps 0.29 (stored as 0.28999...) from becoming
    // 0.28.
    const double scaled = std::trunc(mean * 100.0 + (mean >= 0 ? 1e-7 : -1e-7));
    const bool negative = scaled < 0;
    const auto hundredths = static_cast<std::uint64_t>(std::fabs(scaled));
    const std::string whole =
        GroupThousands(std::to_string(hundredths / 100), format.groupSeparator);
    const auto frac = hundredths % 100;
    std::string text = negative ? "-" : "";
    text += whole + format.decimalSeparator + (frac < 10 ? "0" : "") + std::to_string(frac);
    return text;
}

std::string StatisticsText(int maxValue, double mean, int usageValue, const NumberFormat& format) {
    // Below 0 nothing was measured: a dash, not a number nobody measured.
    const int shown = std::max(usageValue, 0);
    std::string text = "Max: " + std::to_string(maxValue) + "  Avg: " + FormatMean(mean, format) +
                       "  Curr: " + (usageValue < 0 ? std::string("-") : std::to_string(shown));
    const int spaces = DecimalDigits(maxValue) - DecimalDigits(shown) + 1;
    if (spaces > 0)
        text.append(static_cast<std::size_t>(spaces), ' ');
    return text;
}

} // namespace celdara::widgets
