// The samples the graph was given, each with the time it was given, so that the history on
// screen can be saved as a table and drawn again as another measurement. Bounded like the
// graph's own history.
#pragma once

#include "modem/StatusDisplay.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace celdara {

// What the history graph draws.
enum class TGraphSeries { Level, Rsrp, Sinr };

// "level", "rsrp", "sinr": the names the settings store.
const char* GraphSeriesName(TGraphSeries series);
// The series of a stored name; Level for any other text.
TGraphSeries GraphSeriesOfName(const std::string& name);

// How a series sits on the graph's 0..Span scale: a value v is drawn at v - Low. RSRP spans
// -140..-44 dBm, the +CESQ range; SINR -20..+30 dB, where modems report nearly all of it.
struct TSeriesScale {
    int Low;
    int Span;
    const char* Unit;
};
const TSeriesScale& ScaleOf(TGraphSeries series);

// A sample on its series' graph scale, clamped to 0..Span; nothing when the sample lacks the
// measurement. The level below 0 (a cycle without a value) is drawn as 0, as it always was.
std::optional<int> SeriesValueOf(const TGraphSample& sample, TGraphSeries series);

class TSignalHistory {
public:
    explicit TSignalHistory(std::size_t capacity) : capacity_(capacity) {}

    // A level below 0 is a cycle without a value (the graph draws it as 0).
    void Add(std::chrono::system_clock::time_point time, int value);
    void Add(std::chrono::system_clock::time_point time, const TGraphSample& sample);
    std::size_t Size() const { return entries_.size(); }

    // The history as one series on its graph scale, oldest first. A sample without the
    // measurement repeats the value before it (0 at the start): the line holds instead of
    // falling to a value nobody measured.
    std::vector<int> Series(TGraphSeries series) const;

    // "time,level,rsrp,sinr" and one row per value, oldest first; what a cycle did not
    // measure is an empty field.
    std::string ToCsv() const;

private:
    struct TEntry {
        std::chrono::system_clock::time_point Time;
        TGraphSample Sample;
    };
    std::size_t capacity_;
    std::deque<TEntry> entries_;
};

} // namespace celdara
