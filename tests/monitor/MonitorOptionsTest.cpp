// The command line of celdara-monitor: what it takes, and what it refuses with a reason.
#include "monitor/MonitorOptions.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

std::optional<TMonitorOptions> Parse(std::vector<std::string> args, std::string* reason = nullptr) {
    std::string error;
    auto options = ParseMonitorOptions(args, error);
    if (reason)
        *reason = error;
    EXPECT_EQ(options.has_value(), error.empty()) << error;
    return options;
}

TEST(MonitorOptions, APortAloneGivesTextRecordsOfEveryCycleForEver) {
    const auto options = Parse({"ttyUSB2"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->Port, "ttyUSB2");
    EXPECT_EQ(options->Format, TRecordFormat::Text);
    EXPECT_EQ(options->Count, 0);
    EXPECT_EQ(options->IntervalSeconds, 0);
    EXPECT_EQ(options->OutputFile, "");
    EXPECT_EQ(options->Operator, "");
}

TEST(MonitorOptions, EveryOptionInBothSpellings) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--format", "jsonl", "--interval", "2.5", "--count", "20",
                                   "--output", "log.jsonl", "--operator", "23002", "virtual-modem"},
          std::vector<std::string>{"--format=jsonl", "--interval=2.5", "--count=20",
                                   "--output=log.jsonl", "virtual-modem", "--operator=23002"}}) {
        const auto options = Parse(args);
        ASSERT_TRUE(options);
        EXPECT_EQ(options->Format, TRecordFormat::JsonLines);
        EXPECT_DOUBLE_EQ(options->IntervalSeconds, 2.5);
        EXPECT_EQ(options->Count, 20);
        EXPECT_EQ(options->OutputFile, "log.jsonl");
        EXPECT_EQ(options->Operator, "23002");
        EXPECT_EQ(options->Port, "virtual-modem");
    }
    EXPECT_EQ(Parse({"--operator", "auto", "x"})->Operator, "auto");
    EXPECT_EQ(Parse({"--operator", "310410", "x"})->Operator, "310410");
    EXPECT_FALSE(Parse({"x"})->Scan);
    EXPECT_TRUE(Parse({"--scan", "x"})->Scan);
}

TEST(MonitorOptions, HelpVersionAndTheListNeedNoPort) {
    EXPECT_TRUE(Parse({"--help"})->Help);
    EXPECT_TRUE(Parse({"-h"})->Help);
    EXPECT_TRUE(Parse({"--version"})->Version);
    EXPECT_TRUE(Parse({"--list-ports"})->ListPorts);
}

TEST(MonitorOptions, BadCommandLinesSayWhatIsWrong) {
    struct Case {
        std::vector<std::string> args;
        const char* reason;
    };
    const Case cases[] = {
        {{}, "no port given"},
        {{"a", "b"}, "only one port"},
        {{"--format", "xml", "p"}, "unknown format \"xml\""},
        {{"--format"}, "option --format needs a value"},
        {{"--count", "0", "p"}, "--count takes a whole number above 0"},
        {{"--count", "-3", "p"}, "--count takes a whole number above 0"},
        {{"--count", "12abc", "p"}, "--count takes"},
        {{"--interval", "soon", "p"}, "--interval takes a number of seconds"},
        {{"--interval", "-1", "p"}, "--interval takes"},
        {{"--operator", "O2", "p"}, "--operator takes a numeric code"},
        {{"--operator", "2300", "p"}, "--operator takes"},
        {{"--output=", "p"}, "--output needs a file name"},
        {{"--verbose", "p"}, "unknown option --verbose"},
        {{"--help=yes"}, "--help takes no value"},
        {{"--scan"}, "no port given"},
        {{"--scan=1", "p"}, "--scan takes no value"},
        {{"--scan", "--operator", "23002", "p"}, "--scan and --operator cannot be used together"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_FALSE(Parse(c.args, &reason));
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}

} // namespace
} // namespace celdara
