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
    EXPECT_EQ(lines[0], "time,level,rsrp,sinr");
    // Oldest first; the times are those of values 2, 3 and 4.
    EXPECT_EQ(lines[1].substr(lines[1].find(',')), ",20,,");
    EXPECT_EQ(lines[2].substr(lines[2].find(',')), ",30,,");
    EXPECT_EQ(lines[3].substr(lines[3].find(',')), ",,,");
    EXPECT_LT(lines[1].substr(0, lines[1].find(',')), lines[3].substr(0, lines[3].find(',')));
}

TEST(SignalHistory, TheTableCarriesRsrpAndSinrWithOneDecimal) {
    TSignalHistory history(4);
    const auto now = std::chrono::system_clock::from_time_t(1'765'290'000);
    history.Add(now, TGraphSample{67, -75.3, 20.0});
    history.Add(now, TGraphSample{40, -101.0, std::nullopt});
    const std::string csv = history.ToCsv();
    EXPECT_NE(csv.find(",67,-75.3,20.0\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",40,-101.0,\n"), std::string::npos) << csv;
}

TEST(SignalHistory, AnEmptyHistoryIsTheHeaderAlone) {
    EXPECT_EQ(TSignalHistory(10).ToCsv(), "time,level,rsrp,sinr\n");
    TSignalHistory none(0);
    none.Add(std::chrono::system_clock::now(), 5);
    EXPECT_EQ(none.Size(), 0u);
}

TEST(SignalHistory, ASeriesIsDrawnOnItsScaleAndHoldsOverMissingValues) {
    TSignalHistory history(10);
    const auto now = std::chrono::system_clock::now();
    const TGraphSample samples[] = {
        {-1, std::nullopt, std::nullopt}, // a cycle without a reply
        {50, -100.0, 10.0},
        {100, std::nullopt, std::nullopt}, // a new cell's spike, nothing measured
        {47, -200.0, 45.0},                // beyond both scales
        {40, -44.4, -20.0},
    };
    for (const TGraphSample& sample : samples)
        history.Add(now, sample);
    EXPECT_EQ(history.Series(TGraphSeries::Level), (std::vector<int>{0, 50, 100, 47, 40}));
    EXPECT_EQ(history.Series(TGraphSeries::Rsrp), (std::vector<int>{0, 40, 40, 0, 96}));
    EXPECT_EQ(history.Series(TGraphSeries::Sinr), (std::vector<int>{0, 30, 30, 50, 0}));
}

TEST(SignalHistory, ASeriesIsStoredByItsName) {
    for (TGraphSeries series : {TGraphSeries::Level, TGraphSeries::Rsrp, TGraphSeries::Sinr})
        EXPECT_EQ(GraphSeriesOfName(GraphSeriesName(series)), series) << GraphSeriesName(series);
    EXPECT_EQ(GraphSeriesOfName("RSRP"), TGraphSeries::Level);
    EXPECT_EQ(GraphSeriesOfName(""), TGraphSeries::Level);
}

} // namespace
} // namespace celdara
