// The saved signal history: time and level per value, bounded like the graph's.
#include "records/SignalHistory.h"

#include <gtest/gtest.h>
#include <sstream>

namespace celdara {
namespace {

TEST(SignalHistory, KeepsTheNewestValuesWithTheirTimesAndLeavesMissingOnesEmpty) {
    TSignalHistory history(3);
    const auto start = std::chrono::system_clock::from_time_t(1'765'290'000);
    for (int i = 0; i < 5; ++i)
        history.Add(start + std::chrono::seconds(i), i == 4 ? -1 : 10 * i);
    EXPECT_EQ(history.Size(), 3u);

    std::istringstream csv(history.ToCsv());
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(csv, line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "time,level");
    // Oldest first; the times are those of values 2, 3 and 4.
    EXPECT_EQ(lines[1].substr(lines[1].find(',')), ",20");
    EXPECT_EQ(lines[2].substr(lines[2].find(',')), ",30");
    EXPECT_EQ(lines[3].substr(lines[3].find(',')), ",");
    EXPECT_LT(lines[1].substr(0, lines[1].find(',')), lines[3].substr(0, lines[3].find(',')));
}

TEST(SignalHistory, AnEmptyHistoryIsTheHeaderAlone) {
    EXPECT_EQ(TSignalHistory(10).ToCsv(), "time,level\n");
    TSignalHistory none(0);
    none.Add(std::chrono::system_clock::now(), 5);
    EXPECT_EQ(none.Size(), 0u);
}

} // namespace
} // namespace celdara
