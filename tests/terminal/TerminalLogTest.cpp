// The terminal's log file: sessions after a blank line, shared use and the size limit.
#include "FakeTerminalView.h"
#include "terminal/TerminalLog.h"
#include "terminal/TerminalOutput.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace celdara {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

// A pattern in which every window of a few bytes tells where it came from.
std::string Pattern(std::size_t size) {
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; text.size() < size; ++i)
        text += std::to_string(i) + ';';
    text.resize(size);
    return text;
}

class TerminalLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = ::testing::TempDir() + "celdara_terminal_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string path;
};

TEST_F(TerminalLogTest, EachOpeningStartsAfterABlankLineAndKeepsOldContent) {
    WriteFile(path, "earlier");
    TerminalLog log;
    ASSERT_TRUE(log.Open(path));
    log.Write("now", true);
    log.Close();
    EXPECT_EQ(ReadFile(path), "earlier\r\n\r\nnow");
}

TEST_F(TerminalLogTest, OversizedLogKeepsItsNewestNinetyPercent) {
    TerminalLog log;
    ASSERT_TRUE(log.Open(path)); // 4 bytes of session start
    const std::string content = "\r\n\r\n" + Pattern(1000001 - 4);
    log.Write(std::string_view(content).substr(4, 1000001 - 4 - 1), true);
    EXPECT_EQ(ReadFile(path).size(), 1000000u); // at the limit: not cut
    log.Write(content.substr(1000000), true);   // one byte more
    const std::string kept = ReadFile(path);
    ASSERT_EQ(kept.size(), 900000u);
    EXPECT_EQ(kept, content.substr(1000001 - 900000));

    log.Write("after", true); // writing goes on at the new end
    EXPECT_EQ(ReadFile(path), content.substr(1000001 - 900000) + "after");
}

TEST_F(TerminalLogTest, LimitBelowOneMeansNoLimit) {
    for (std::int64_t limit : {0, -7}) {
        std::remove(path.c_str());
        TerminalLog log;
        log.SetMaxLen(limit);
        ASSERT_TRUE(log.Open(path));
        log.Write("some text that stays", true);
        EXPECT_FALSE(log.TrimIfTooLarge());
        EXPECT_EQ(ReadFile(path), "\r\n\r\nsome text that stays") << "limit " << limit;
    }
}

TEST_F(TerminalLogTest, SmallLimitCutsToNineTenths) {
    TerminalLog log;
    log.SetMaxLen(25); // keeps 9 * (25 div 10) = 18 bytes
    ASSERT_TRUE(log.Open(path));
    log.Write("0123456789abcdefghijklmn", true);
    EXPECT_EQ(ReadFile(path), "6789abcdefghijklmn");
}

TEST_F(TerminalLogTest, OtherProgramsMayWriteTooAndNothingIsOverwritten) {
    TerminalLog log;
    ASSERT_TRUE(log.Open(path));
    log.Write("mine;", true);
    {
        std::ofstream other(path, std::ios::binary | std::ios::app);
        other << "theirs;";
    }
    log.Write("mine again", true);
    EXPECT_EQ(ReadFile(path), "\r\n\r\nmine;theirs;mine again");
}

TEST_F(TerminalLogTest, UnusableNamesLeaveLoggingOff) {
    TerminalLog log;
    EXPECT_FALSE(log.Open(""));
    EXPECT_FALSE(log.Open(::testing::TempDir())); // a directory
    EXPECT_FALSE(log.Open("/nonexistent-dir/celdara/terminal.log"));
    EXPECT_FALSE(log.IsOpen());
    log.Write("ignored", true); // no crash, nothing to write to
}

TEST_F(TerminalLogTest, OutputLogsExactlyTheViewTextWithCrLfLineEnds) {
    test::FakeTerminalView view;
    TerminalOutput output(TerminalClock{[] { return Tick{0}; },
                                        [] { return 14.0 / 24 + 5.0 / 1440 + 3.12 / 86400; }});
    output.SetView(&view);
    output.SetShowOptions(vttsoShowTimes);
    output.SetLogFileName(path);
    ASSERT_TRUE(output.LogIsOpen());
    output.AddString("AT\r", 5);
    output.AddLine("OK", 6);
    output.SetLogFileName(path); // the same name changes nothing
    output.SetLogFileName({});
    EXPECT_FALSE(output.LogIsOpen());
    EXPECT_EQ(ReadFile(path), "\r\n\r\n14:05:03.120:  - AT<#0D>\r\n14:05:03.120: E OK\r\n");

    output.SetIgnoreAddChars(true);
    output.SetLogFileName(path);
    output.AddLine("not logged", 6);
    output.SetLogFileName({});
    EXPECT_EQ(ReadFile(path), "\r\n\r\n14:05:03.120:  - AT<#0D>\r\n14:05:03.120: E OK\r\n\r\n\r\n");
}

} // namespace
} // namespace celdara
