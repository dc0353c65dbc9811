#include "records/SignalHistory.h"

#include "records/PollRecord.h"
#include "records/RecordFields.h"

#include <algorithm>
#include <cmath>

namespace celdara {

const char* GraphSeriesName(TGraphSeries series) {
    switch (series) {
    case TGraphSeries::Rsrp:
        return "rsrp";
    case TGraphSeries::Sinr:
        return "sinr";
    case TGraphSeries::Level:
        break;
    }
    return "level";
}

TGraphSeries GraphSeriesOfName(const std::string& name) {
    if (name == "rsrp")
        return TGraphSeries::Rsrp;
    if (name == "sinr")
        return TGraphSeries::Sinr;
    return TGraphSeries::Level;
}

const TSeriesScale& ScaleOf(TGraphSeries series) {
    static const TSeriesScale level{0, 100, "%"};
    static const TSeriesScale rsrp{-140, 96, "dBm"};
    static const TSeriesScale sinr{-20, 50, "dB"};
    switch (series) {
    case TGraphSeries::Rsrp:
        return rsrp;
    case TGraphSeries::Sinr:
        return sinr;
    case TGraphSeries::Level:
        break;
    }
    return level;
}

std::optional<int> SeriesValueOf(const TGraphSample& sample, TGraphSeries series) {
    const TSeriesScale& scale = ScaleOf(series);
    if (series == TGraphSeries::Level)
        return std::clamp(sample.Level, 0, scale.Span);
    const std::optional<double>& value = series == TGraphSeries::Rsrp ? sample.Rsrp : sample.Sinr;
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double onScale = std::clamp(std::round(*value) - scale.Low, 0.0, double(scale.Span));
    return static_cast<int>(onScale);
}

void TSignalHistory::Add(std::chrono::system_clock::time_point time, int value) {
    Add(time, TGraphSample{value, std::nullopt, std::nullopt});
}

void TSignalHistory::Add(std::chrono::system_clock::time_point time, const TGraphSample& sample) {
    if (capacity_ == 0)
        return;
    if (entries_.size() == capacity_)
        entries_.pop_front();
    entries_.push_back({time, sample});
}

std::vector<int> TSignalHistory::Series(TGraphSeries series) const {
    std::vector<int> values;
    values.reserve(entries_.size());
    int last = 0;
    for (const TEntry& entry : entries_) {
        last = SeriesValueOf(entry.Sample, series).value_or(last);
        values.push_back(last);
    }
    return values;
}

std::string TSignalHistory::ToCsv() const {
    // The measurements after the level, so that a reader of the older two columns still
    // finds them where they were.
    std::string csv = "time,level,rsrp,sinr\n";
    for (const TEntry& entry : entries_) {
        csv += IsoTimeText(entry.Time) + ',';
        if (entry.Sample.Level >= 0)
            csv += std::to_string(entry.Sample.Level);
        csv += ',' + recordfields::DecimalText(entry.Sample.Rsrp).value_or("");
        csv += ',' + recordfields::DecimalText(entry.Sample.Sinr).value_or("");
        csv += '\n';
    }
    return csv;
}

} // namespace celdara
