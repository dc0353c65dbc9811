// The signal values the graph was given, each with the time it was given, so that the
// history on screen can be saved as a table. Bounded like the graph's own history.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>

namespace celdara {

class TSignalHistory {
public:
    explicit TSignalHistory(std::size_t capacity) : capacity_(capacity) {}

    // A value below 0 is a cycle without a value (the graph draws it as 0).
    void Add(std::chrono::system_clock::time_point time, int value);
    std::size_t Size() const { return entries_.size(); }

    // "time,level" and one row per value, oldest first; no value is an empty level.
    std::string ToCsv() const;

private:
    struct TEntry {
        std::chrono::system_clock::time_point Time;
        int Value;
    };
    std::size_t capacity_;
    std::deque<TEntry> entries_;
};

} // namespace celdara
