// Where a received line ends: CR, CR LF and LF-only framing, and a line that never ends.
#include "modem/LineFraming.h"

#include "MonitorFixture.h"

#include <gtest/gtest.h>

namespace celdara::testing {
namespace {

// The received bytes as the top distributor holds them: chunks appended, claimed lines
// taken off the front.
struct FramedLines {
    TLineFraming framing;
    std::string buffer;
    std::vector<std::string> lines;
    void Receive(const std::string& chunk) {
        buffer += chunk;
        for (;;) {
            const TLineFraming::TClaim claim = framing.Next(buffer);
            if (claim.Length == 0)
                return;
            lines.push_back((claim.Cut ? "CUT:" : "") + buffer.substr(0, claim.Length));
            buffer.erase(0, claim.Length);
        }
    }
};

TEST(LineFraming, LinesEndAtCarriageReturnsAndAtLineFeedsWithoutThem) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        std::string left;
    };
    const Case cases[] = {
        // 27.007 replies: <CR><LF>text<CR><LF>; the LF starts the next message.
        {"CR LF", {"\r\nOK\r\n"}, {"\r", "\nOK\r"}, "\n"},
        {"CR LF split between chunks",
         {"\r\n+CSQ: 1", "6,0\r", "\n\r\nOK\r\n"},
         {"\r", "\n+CSQ: 16,0\r", "\n\r", "\nOK\r"},
         "\n"},
        {"LF alone frames too", {"OK\n+CSQ: 9,0\n"}, {"OK\n", "+CSQ: 9,0\n"}, ""},
        {"a line feed at the front is the next line's", {"\nRING\n"}, {"\nRING\n"}, ""},
        {"no end yet", {"+COPS: 0,0,\"O2"}, {}, "+COPS: 0,0,\"O2"},
        {"CR ends even before an LF", {"AT\r\nOK\r"}, {"AT\r", "\nOK\r"}, ""},
    };
    for (const Case& c : cases) {
        FramedLines framed;
        for (const std::string& chunk : c.chunks)
            framed.Receive(chunk);
        EXPECT_EQ(framed.lines, c.lines) << c.name;
        EXPECT_EQ(framed.buffer, c.left) << c.name;
    }
}

TEST(LineFraming, ALineWithoutAnEndIsCutAtTheBoundAndFramingGoesOn) {
    FramedLines framed;
    framed.Receive(std::string(TLineFraming::kMaxLineBytes - 1, 'x'));
    EXPECT_TRUE(framed.lines.empty());
    framed.Receive("yz\rOK\r");
    ASSERT_EQ(framed.lines.size(), 3u);
    EXPECT_EQ(framed.lines[0], "CUT:" + std::string(TLineFraming::kMaxLineBytes - 1, 'x') + "y");
    EXPECT_EQ(framed.lines[1], "z\r");
    EXPECT_EQ(framed.lines[2], "OK\r");
}

TEST(LineFraming, ABufferEmptiedOrCutByOthersIsSearchedAfresh) {
    struct Case {
        const char* name;
        std::string searched; // what the framing saw without a line end
        std::string now;      // the buffer at the next call
        std::size_t claimed;  // the first line's length in `now`
    };
    const Case cases[] = {
        {"emptied and refilled longer", "+COPS: 0,0,\"T-Mob", "OK\r+CSQ: 16,0,9,9,9,9\r", 3},
        {"emptied and refilled with the same front", "+CSQ: 16,0 and noise",
         "+CSQ: 16,0\r+CREG: 0,1 and more\r", 11},
        {"cut at the front by another decoder", "0123456789abcdef0123", "456789\rOK\r", 7},
        {"grown only", "+CPAS", "+CPAS: 0\r", 9},
    };
    for (const Case& c : cases) {
        TLineFraming framing;
        EXPECT_EQ(framing.Next(c.searched).Length, 0u) << c.name;
        EXPECT_EQ(framing.Next(c.now).Length, c.claimed) << c.name;
    }
}

TEST(LineFraming, MegabytesWithoutALineEndCostWorkInProportionToTheirSize) {
    FramedLines framed;
    const std::string chunk(2048, '~');
    std::uint64_t before = 0;
    for (int i = 0; i < 4000; ++i) { // 8 MB
        framed.Receive(chunk);
        const std::uint64_t work = framed.framing.ScannedBytes() - before;
        before = framed.framing.ScannedBytes();
        // Each chunk is looked at once, not the backlog before it.
        ASSERT_LE(work, chunk.size()) << "chunk " << i;
        ASSERT_LT(framed.buffer.size(), TLineFraming::kMaxLineBytes);
    }
    EXPECT_EQ(framed.framing.ScannedBytes(), 4000u * chunk.size());
    EXPECT_EQ(framed.lines.size(), 4000u * chunk.size() / TLineFraming::kMaxLineBytes);
}

// The same through the monitor and a real top distributor, as the program receives.
TEST_F(MonitorTest, NoiseWithoutLineEndsStaysBoundedIsShownCutAndIsNoReply) {
    modem->silent = true;
    monitor->EnterState(msInit);
    Run(100);
    ASSERT_EQ(monitor->State(), msPrepare);
    const std::string noise(2048, '\x7F');
    std::uint64_t before = monitor->Framing().ScannedBytes();
    for (int i = 0; i < 2000; ++i) { // 4 MB in the chunks the reader delivers
        modem->Unsolicited(noise);
        OneTick(2048);
        const std::uint64_t work = monitor->Framing().ScannedBytes() - before;
        before = monitor->Framing().ScannedBytes();
        ASSERT_LE(work, noise.size() + 1) << "chunk " << i;
        ASSERT_LT(top.GetComBuffer(0)->size(), TLineFraming::kMaxLineBytes);
    }
    const std::string marker = " [cut: no line end within 4096 bytes]";
    const auto cut =
        std::count_if(view.terminal.begin(), view.terminal.end(), [&](const std::string& l) {
            return l.size() > marker.size() &&
                   l.compare(l.size() - marker.size(), marker.size(), marker) == 0;
        });
    EXPECT_EQ(cut, 1000);
    EXPECT_EQ(monitor->State(), msPrepare) << "noise is no reply";

    // A modem that speaks again is understood at once.
    modem->silent = false;
    ASSERT_TRUE(RunUntil([&] { return monitor->State() == msPoll; }, 10000));
}

TEST_F(MonitorTest, AModemThatEndsItsLinesWithLineFeedsAloneIsPolled) {
    for (auto& [command, reply] : modem->replies) {
        std::string lf;
        for (char c : reply)
            if (c != '\r')
                lf += c;
        reply = lf;
    }
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 10000));
    EXPECT_EQ(monitor->Model(), "MC35i");
    EXPECT_EQ(monitor->ShownStatus().OperatorCode, "23001");
    EXPECT_TRUE(monitor->ShownStatus().Cells[0].Valid);
}

} // namespace
} // namespace celdara::testing
