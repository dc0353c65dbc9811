#include "records/SignalHistory.h"

#include "records/PollRecord.h"

namespace celdara {

void TSignalHistory::Add(std::chrono::system_clock::time_point time, int value) {
    if (capacity_ == 0)
        return;
    if (entries_.size() == capacity_)
        entries_.pop_front();
    entries_.push_back({time, value});
}

std::string TSignalHistory::ToCsv() const {
    std::string csv = "time,level\n";
    for (const TEntry& entry : entries_) {
        csv += IsoTimeText(entry.Time) + ',';
        if (entry.Value >= 0)
            csv += std::to_string(entry.Value);
        csv += '\n';
    }
    return csv;
}

} // namespace celdara
