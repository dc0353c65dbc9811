// The drawing of traffic into the terminal view, on a string-backed view and manual clocks.
#include "terminal/TerminalOutput.h"

#include "FakeTerminalView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace celdara {
namespace {

using test::FakeTerminalView;

constexpr TerminalRgb kBlack{0, 0, 0};
constexpr TerminalRgb kBlue{0, 0, 255};
constexpr TerminalRgb kPurple{128, 0, 128};

// 9:05:03.120 as a fraction of a day.
constexpr double kNineOhFive = (9 * 3600 + 5 * 60 + 3.120) / 86400.0;

struct ManualClock {
    Tick tick = 100000;
    double localTime = kNineOhFive;
    TerminalClock Clock() {
        return {[this] { return tick; }, [this] { return localTime; }};
    }
};

class TerminalOutputTest : public ::testing::Test {
protected:
    TerminalOutputTest() : output(clock.Clock()) { output.SetView(&view); }

    void AddBytes(std::initializer_list<std::uint8_t> bytes, int kind) {
        const std::vector<std::uint8_t> data(bytes);
        output.AddChars(data.data(), static_cast<int>(data.size()), kind);
    }

    ManualClock clock;
    FakeTerminalView view;
    TerminalOutput output;
};

TEST_F(TerminalOutputTest, SentCommandShowsTimeMarkerAndBlackEscape) {
    output.SetShowOptions(vttsoShowTimes);
    output.AddString("AT+CSQ\r", 5);
    EXPECT_EQ(view.text, "9:05:03.120:  - AT+CSQ<#0D>");
    EXPECT_EQ(view.ColoursOf("9:05:03.120:  - AT+CSQ"), std::vector<TerminalRgb>(22, kBlue));
    EXPECT_EQ(view.ColoursOf("<#0D>"), std::vector<TerminalRgb>(5, kBlack));
    EXPECT_EQ(output.OpenKind(), 5);
}

TEST_F(TerminalOutputTest, MessageLineClosesOpenLineAndEndsClosed) {
    output.SetShowOptions(vttsoShowTimes);
    output.AddString("AT+CSQ\r", 5);
    output.AddLine("machine: INIT", 6);
    EXPECT_EQ(view.text, "9:05:03.120:  - AT+CSQ<#0D>\n9:05:03.120: E machine: INIT\n");
    EXPECT_EQ(view.ColoursOf("9:05:03.120: E machine: INIT"),
              std::vector<TerminalRgb>(28, kPurple));
    EXPECT_EQ(output.OpenKind(), -1);
}

TEST_F(TerminalOutputTest, ReceivedChunksOfOneLineContinueItAcrossCalls) {
    output.SetShowOptions(vttsoShowLineCounts);
    output.AddString("+CS", 0);
    output.AddString("Q: 24,0", 0);
    EXPECT_EQ(view.text, "   1: + +CSQ: 24,0");
    EXPECT_EQ(output.LineCounter(0), 1);

    output.EndLine();
    output.AddString("OK", 0);
    EXPECT_EQ(view.Lines(), (std::vector<std::string>{"   1: + +CSQ: 24,0", "   2: + OK"}));
}

// Each row feeds outputs one after another (text, kind) and gives the view's lines.
TEST_F(TerminalOutputTest, EchoedSendsAndReceivedLinesStartLinesOfTheirOwn) {
    struct Output {
        std::string text;
        int kind; // -1: EndLine
    };
    struct Case {
        const char* name;
        std::vector<Output> outputs;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"typed command, then the poll command",
         {{"ATI\r", 5}, {"AT+CSQ;+COPS=3,0\r", 5}},
         {" - ATI<#0D>", " - AT+CSQ;+COPS=3,0<#0D>"}},
        {"a send without a line end is still a send of its own",
         {{"AT", 1}, {"+CSQ\r", 1}},
         {" - AT", " - +CSQ<#0D>"}},
        {"send after a closed line: no empty line between",
         {{"ATI\r", 5}, {"", -1}, {"AT\r", 5}},
         {" - ATI<#0D>", " - AT<#0D>"}},
        {"received text after its line end",
         {{"\r\nOK\r\n", 0}, {"RING\r\n", 0}},
         {"+ <#0D><#0A>OK<#0D><#0A>", "+ RING<#0D><#0A>"}},
        {"received after a send, then its echo reply",
         {{"AT\r", 1}, {"OK", 0}, {"\r\n", 0}},
         {" - AT<#0D>", "+ OK<#0D><#0A>"}},
        {"hex sends each on a line", {{"A", 3}, {"T", 3}}, {" - # 41", " - # 54"}},
        {"raw line end breaks once, the next output gets its marker",
         {{"a\r\n", 6}, {"b", 6}},
         {"E a", "E b"}},
        {"raw line end, then another kind: no empty line",
         {{"a\r\n", 6}, {"AT", 5}},
         {"E a", " - AT"}},
    };
    for (const Case& c : cases) {
        FakeTerminalView fresh;
        TerminalOutput out(clock.Clock());
        out.SetView(&fresh);
        for (const Output& o : c.outputs) {
            if (o.kind < 0)
                out.EndLine();
            else
                out.AddString(o.text, o.kind);
        }
        EXPECT_EQ(fresh.Lines(), c.lines) << c.name;
    }
}

TEST_F(TerminalOutputTest, PrefixFollowsShowOptions) {
    struct Case {
        VTolmTerminal_ShowOptions options;
        std::string thirdLine;
    };
    const Case cases[] = {
        {0, " - c"},
        {vttsoShowLineCounts, "   3:  - c"},
        {vttsoShowTimes, "9:05:03.120:  - c"},
        {vttsoShowLineCounts | vttsoShowTimes, "   3 @ 9:05:03.120:  - c"},
    };
    for (const Case& c : cases) {
        FakeTerminalView fresh;
        TerminalOutput out(clock.Clock());
        out.SetView(&fresh);
        out.SetShowOptions(c.options);
        out.AddLine("a", 1);
        out.AddLine("x", 0); // other kinds keep their own counters
        out.AddLine("b", 1);
        out.AddLine("c", 1);
        EXPECT_EQ(fresh.Lines().at(3), c.thirdLine) << "options " << c.options;
    }
}

TEST_F(TerminalOutputTest, CounterPassesFrom999999ToZero) {
    output.SetShowOptions(vttsoShowLineCounts);
    output.SetLineCounter(6, 999998);
    output.AddLine("last", 6);
    output.AddLine("wrapped", 6);
    EXPECT_EQ(view.Lines(), (std::vector<std::string>{"999999: E last", "   0: E wrapped", ""}));
}

TEST_F(TerminalOutputTest, LongOutputBreaksIntoContinuationLinesWithoutMarker) {
    const std::string data(1200, 'x');
    output.AddString(data, 0);
    const auto lines = view.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "+ " + std::string(499, 'x'));
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 501u);
    EXPECT_EQ(lines[1], std::string(501, 'x'));
    EXPECT_EQ(lines[2], std::string(200, 'x'));

    // The open line keeps its column across calls: it breaks at the same place.
    output.AddString(std::string(400, 'y'), 0);
    EXPECT_EQ(view.Lines().at(2), std::string(200, 'x') + std::string(301, 'y'));
    EXPECT_EQ(view.Lines().at(3), std::string(99, 'y'));
}

TEST_F(TerminalOutputTest, LineLimitsBelowOneStillEndWithEveryByteShown) {
    struct Case {
        int maxCharsPerLine;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0, {"+ ", "a", "b", "c"}},
        {-4, {"+ ", "a", "b", "c"}},
    };
    for (const Case& c : cases) {
        FakeTerminalView fresh;
        TerminalOutput out(clock.Clock());
        out.SetView(&fresh);
        out.SetMaxCharsPerLine(c.maxCharsPerLine);
        out.AddString("abc", 0);
        EXPECT_EQ(fresh.Lines(), c.lines) << "MaxCharsPerLine " << c.maxCharsPerLine;
    }
}

TEST_F(TerminalOutputTest, BytesAreRenderedByTheKindsDisplayMode) {
    struct Case {
        const char* name;
        int kind;
        std::vector<std::uint8_t> bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"hex", 2, {0x01, 0x41}, "+ # 01 41"},
        {"hex CR", 3, {0x0D}, " - # 0D"},
        {"text keeps 7F, escapes 80", 0, {0x41, 0x7F, 0x80}, "+ A\x7F<#80>"},
        {"text escapes control bytes", 4, {0x00, 0x1F, 0x20, 0xFF}, "+ <#00><#1F> <#FF>"},
        {"raw keeps control bytes",
         8,
         {0x41, 0x07, 0x42},
         "E A\x07"
         "B"},
        {"unknown kinds are kind 18", 40, {0x41}, "? A"},
        {"negative kinds are kind 18", -3, {0x41}, "? A"},
    };
    for (const Case& c : cases) {
        FakeTerminalView fresh;
        TerminalOutput out(clock.Clock());
        out.SetView(&fresh);
        out.AddChars(c.bytes.data(), static_cast<int>(c.bytes.size()), c.kind);
        EXPECT_EQ(fresh.text, c.shown) << c.name;
    }
}

TEST_F(TerminalOutputTest, EscapeColourAppliesOnlyToEscapes) {
    AddBytes({0x41, 0x7F, 0x80}, 0);
    EXPECT_EQ(view.ColoursOf("+ A\x7F"), std::vector<TerminalRgb>(4, kBlack));
    EXPECT_EQ(view.ColoursOf("<#80>"), std::vector<TerminalRgb>(5, kBlue));
}

TEST_F(TerminalOutputTest, KindEighteenIsALineOfItsOwn) {
    // "? " lines get their marker and are closed by the next kind like any other line.
    output.AddString("odd", 18);
    output.AddString("AT", 5);
    EXPECT_EQ(view.Lines(), (std::vector<std::string>{"? odd", " - AT"}));
}

TEST_F(TerminalOutputTest, RawLineEndsBreakTheViewButReachTheLogUnchanged) {
    const std::string path = ::testing::TempDir() + "terminal_raw.log";
    std::remove(path.c_str());
    output.SetLogFileName(path);
    AddBytes({'a', '\r', '\n', 'b', '\r', 'c', '\n', 'd'}, 7);
    EXPECT_EQ(view.Lines(), (std::vector<std::string>{"E a", "b", "c", "d"}));
    output.SetLogFileName({});
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buffer[64] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buffer, n), "\r\n\r\nE a\r\nb\rc\nd");
}

TEST_F(TerminalOutputTest, AddLineWithEmptyTextOnlyClosesTheOpenLine) {
    output.AddLine("", 6);
    EXPECT_EQ(view.text, "");
    output.AddString("AT", 5);
    output.AddLine("", 6);
    EXPECT_EQ(view.text, " - AT\n");
    EXPECT_EQ(output.OpenKind(), -1);
}

TEST_F(TerminalOutputTest, NothingHappensWhenIgnoredEmptyOrWithoutView) {
    output.SetIgnoreAddChars(true);
    output.AddLine("x", 0);
    EXPECT_EQ(view.text, "");
    output.SetIgnoreAddChars(false);
    output.AddChars(reinterpret_cast<const std::uint8_t*>("x"), 0, 0);
    output.AddChars(reinterpret_cast<const std::uint8_t*>("x"), -4, 0);
    output.AddChars(nullptr, 3, 0);
    EXPECT_EQ(view.text, "");
    EXPECT_EQ(output.LineCounter(0), 0);

    output.SetView(nullptr);
    output.AddLine("x", 0);
    output.EndLine();
    output.Clear();
    EXPECT_EQ(view.text, "");
}

TEST_F(TerminalOutputTest, ClearRestartsCountersAndLines) {
    output.SetShowOptions(vttsoShowLineCounts);
    output.AddLine("a", 6);
    output.AddString("b", 6);
    output.Clear();
    EXPECT_EQ(view.text, "");
    EXPECT_EQ(output.OpenKind(), -1);
    output.AddString("c", 6);
    EXPECT_EQ(view.text, "   1: E c");
}

TEST_F(TerminalOutputTest, LimitSettersIgnoreValuesBelowOne) {
    for (int bad : {0, -5}) {
        output.SetMaxChars(bad);
        output.SetMaxLines(bad);
    }
    EXPECT_EQ(output.MaxChars(), 65535);
    EXPECT_EQ(output.MaxLines(), 1100);
    output.SetMaxChars(2000);
    output.SetMaxLines(50);
    EXPECT_EQ(output.EffectiveMaxChars(), 2000);
    EXPECT_EQ(output.MaxLines(), 50);
}

// Closed lines "E line 0" ... and the empty line after them: `lines` lines in all.
void FillLines(TerminalOutput& output, int lines) {
    for (int i = 0; i < lines - 1; ++i)
        output.AddLine("line " + std::to_string(i), 6);
}

TEST_F(TerminalOutputTest, TooManyLinesAreTrimmedToNinetyPercentInOneBlock) {
    FillLines(output, 1101);
    ASSERT_EQ(view.LineCount(), 1101);
    const int deletesBefore = view.deleteCalls;
    output.AddString("new", 5);
    const auto lines = view.Lines();
    ASSERT_EQ(lines.size(), 990u); // the new text went into the last, empty line
    EXPECT_EQ(lines.front(), "E line 111");
    EXPECT_EQ(lines[988], "E line 1099");
    EXPECT_EQ(lines.back(), " - new");
    EXPECT_EQ(view.deleteCalls, deletesBefore + 1);

    // No trimming while within the limits.
    output.AddString("more", 5);
    EXPECT_EQ(view.deleteCalls, deletesBefore + 1);
}

TEST_F(TerminalOutputTest, CharacterLimitDeletesWholeLeadingLines) {
    output.SetMaxChars(100);
    for (int i = 0; i < 7; ++i)
        output.AddLine("line-" + std::to_string(i) + "-abc", 6); // 13 characters each
    ASSERT_EQ(view.TextLength(), 91);
    ASSERT_EQ(view.deleteCalls, 0);

    output.AddString(std::string(30, 'z'), 6); // 32 more: 23 too many, two lines go
    EXPECT_EQ(view.deleteCalls, 1);
    EXPECT_EQ(view.TextLength(), 97);
    const auto lines = view.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.front(), "E line-2-abc");
    EXPECT_EQ(lines.back(), "E " + std::string(30, 'z'));
}

TEST_F(TerminalOutputTest, OutputLargerThanTheLimitLeavesOnlyItself) {
    output.SetMaxChars(20);
    output.AddLine("abc", 6);
    output.AddString(std::string(50, 'q'), 9);
    EXPECT_EQ(view.text, "E " + std::string(50, 'q'));
}

TEST_F(TerminalOutputTest, UnfocusedViewFollowsTheNewestOutput) {
    FillLines(output, 30);
    view.firstVisibleLine = 0;
    view.selection = {3, 8};
    const int before = view.scrollToEndCalls;
    output.AddString("tail", 5);
    EXPECT_EQ(view.scrollToEndCalls, before + 1);
}

TEST_F(TerminalOutputTest, FocusedReaderKeepsTheTextTheyAreReading) {
    FillLines(output, 1101);
    view.focused = true;
    view.firstVisibleLine = 500;
    const int start = view.LineStart(500);
    view.selection = {start, start + 6}; // "E line 500" partly selected
    const int scrolls = view.scrollToEndCalls;

    output.AddString("new", 5); // deletes 111 lines

    EXPECT_EQ(view.scrollToEndCalls, scrolls);
    EXPECT_EQ(view.firstVisibleLine, 389);
    EXPECT_EQ(view.Lines().at(389), "E line 500");
    EXPECT_EQ(view.text.substr(static_cast<std::size_t>(view.selection.start), 6), "E line");
    EXPECT_EQ(view.selection.end - view.selection.start, 6);
    EXPECT_GE(view.restoreFocusCalls, 1);
}

TEST_F(TerminalOutputTest, FocusedSelectionInDeletedTextIsClampedToTheStart) {
    FillLines(output, 1101);
    view.focused = true;
    view.firstVisibleLine = 10;
    view.selection = {20, 40};
    output.AddString("new", 5);
    EXPECT_EQ(view.selection, (TerminalSelection{0, 0}));
    EXPECT_EQ(view.firstVisibleLine, 0);
}

TEST_F(TerminalOutputTest, TimeFieldsShowMillisecondsSinceTheLastInOrOutOutput) {
    output.StartTiming();
    clock.tick += 150;
    output.AddString("AT", 5);
    EXPECT_EQ(view.outTime, "2150");
    EXPECT_EQ(view.inTime, "DebugInTime");

    clock.tick += 40;
    output.AddLine("OK", 0);
    EXPECT_EQ(view.inTime, "40");

    clock.tick += 1000;
    output.AddLine("message", 6); // kinds 6..18 leave the fields and the time alone
    output.AddLine("odd", 13);
    EXPECT_EQ(view.inTime, "40");
    clock.tick += 7;
    output.AddLine("AT", 3);
    EXPECT_EQ(view.outTime, "1007");
}

TEST_F(TerminalOutputTest, TimeFieldDifferenceSurvivesTheTickWrap) {
    clock.tick = 0xFFFFFFF0u;
    output.AddString("a", 1);
    clock.tick = 0x10;
    output.AddString("b", 0);
    EXPECT_EQ(view.inTime, "32");
}

} // namespace
} // namespace celdara
