// Arithmetic of the usage and history graph, kept free of Qt so it can be checked without a
// window: layout of the child controls, the segmented usage bar, the history with its scrolling
// grid, the running mean and the statistics line.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace celdara::widgets {

// Rounds to the nearest integer, ties to the even neighbour (the rounding of the bar and the
// history line).
int RoundHalfEven(double x);

// Number of characters of the value in decimal, a minus sign included.
int DecimalDigits(std::int64_t value);

struct GraphRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const GraphRect&) const = default;
};

// Size at construction and the minimum sizes.
inline constexpr int kGraphDefaultWidth = 400;
inline constexpr int kGraphDefaultHeight = 150;
inline constexpr int kGraphMinWidth = 200;
inline constexpr int kGraphMinHeight = 66;
inline constexpr int kGraphMinHeightWithStat = 81;

// Places of the child controls for a control of the given size.
struct GraphLayout {
    GraphRect usageBox;
    GraphRect historyBox;
    GraphRect usageFrame;   // inside the usage box
    GraphRect historyFrame; // inside the history box
    GraphRect statPlate;    // only meaningful with the statistics line
    int statLabelLeft = 0;
    int statLabelTop = 0;
};
GraphLayout ComputeGraphLayout(int width, int height, bool displayStat);

// Which colour a bar segment takes.
enum class SegmentColor { Half, Upper75, Max, Back };

// Colour of a lit segment at position k from the bottom (1 = bottom) of a bar of S segments.
SegmentColor LitSegmentColor(int k, int segmentCount);

// The usage bar on a surface of width x height pixels, with the value text of the given size.
struct UsageBarGeometry {
    int textLeft = 0;
    int textTop = 0;
    int segmentCount = 0; // S
    int litCount = 0;     // L
    int mid = 0;          // the 2-pixel gap is at mid - 1 and mid
    int width = 0;

    // Segment i, 0 at the top: its left and right blocks, right and bottom edges excluded.
    GraphRect LeftBlock(int i) const;
    GraphRect RightBlock(int i) const;
    SegmentColor ColorOf(int i) const;
};
// A full scale of 0 or below draws an empty bar instead of dividing by zero.
UsageBarGeometry ComputeUsageBar(int width, int height, int textWidth, int textHeight, int value,
                                 int maxValue);

// The text under the bar: the value, a space and the unit.
std::string UsageText(int value, const std::string& unit);

inline constexpr int kGridStep = 12;
inline constexpr int kScrollWrap = 12;
inline constexpr std::size_t kHistoryCapacity = 1001;

// The sampled values, oldest first, and the scroll offset of the grid.
class GraphHistory {
public:
    // Drops the oldest value when the history is full, appends the value, scrolls by one.
    void Sample(int value);
    // Takes these values instead, the newest of at most kHistoryCapacity; the grid stays
    // where it is.
    void Assign(const std::vector<int>& values);

    const std::deque<int>& Values() const { return values_; }
    int ScrollOffset() const { return scrollOffset_; }

private:
    std::deque<int> values_;
    int scrollOffset_ = 0;
};

// Mean of the values since the first non-zero one.
class RunningMean {
public:
    void Add(int value);
    double Mean() const { return mean_; }
    std::int64_t Count() const { return count_; }

private:
    double mean_ = 0.0;
    std::int64_t count_ = 1;
};

struct GraphPoint {
    int x = 0;
    int y = 0;
    bool operator==(const GraphPoint&) const = default;
};

// Grid of the history surface; inset is the frame's bevel width. Horizontal lines run from
// x = inset to the right edge, vertical ones from y = inset to height - inset.
struct HistoryGrid {
    std::vector<int> horizontalY;
    std::vector<int> verticalX;
};
HistoryGrid ComputeHistoryGrid(int width, int height, int scrollOffset);

// Points of the value line, oldest first, the newest at x = width - 1. Empty when the full
// scale is 0 or below (nothing sensible to scale by).
std::vector<GraphPoint> ComputeHistoryPoints(const std::deque<int>& values, int width, int height,
                                             int maxValue);

// How the mean is written: the decimal separator and the thousands separator (may be empty).
struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
};

// The mean cut (not rounded) to two decimals and written with two decimals and grouping.
std::string FormatMean(double mean, const NumberFormat& format);

// "Max: 100  Avg: 50.00  Curr: 7   ": the trailing spaces keep the line's width steady as the
// current value gains and loses digits.
std::string StatisticsText(int maxValue, double mean, int usageValue, const NumberFormat& format);

} // namespace celdara::widgets
