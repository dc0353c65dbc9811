// Every fault does what its name says; the same seed gives the same traffic.
#include "SimHarness.h"

#include <gtest/gtest.h>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kPoll = "AT+CSQ;+COPS=3,0;+COPS?;+COPS=3,2;+COPS?;+CREG?;+CPAS\r";

TSimModemOptions WithFaults(std::initializer_list<const char*> items, std::uint64_t seed = 7) {
    TSimModemOptions o = QuietOptions(seed);
    o.Echo = false;
    std::string message;
    for (const char* item : items)
        EXPECT_TRUE(ApplySimFault(item, o.Faults, message)) << message;
    return o;
}

// A fixed script: polls and cell monitors once a second for `seconds`, answering calls.
void Script(SimHarness& h, int seconds, Tick visitEvery = 0) {
    for (int i = 0; i < seconds; ++i) {
        h.Send(kPoll);
        h.Run(400, visitEvery);
        h.Send("AT^MONI\r");
        h.Run(200, visitEvery);
        h.Send(i % 7 == 0 ? "ATA\r" : "AT^MONP\r");
        h.Run(400, visitEvery);
    }
}

TEST(SimFaultTest, SilentModemAnswersNothingAtAll) {
    SimHarness h(WithFaults({"silent"}));
    h.modem.Network().StartIncomingCall(false);
    h.Send("AT\r");
    h.Send(kPoll);
    h.Run(10000);
    EXPECT_TRUE(h.pieces.empty());
    EXPECT_NE(h.modem.ModemLines() & kSimLineRing, 0u) << "the lines still work";
    h.modem.SetFaults({});
    EXPECT_EQ(h.Command("AT\r"), Lines{"OK"});
}

TEST(SimFaultTest, ChosenCommandsAnswerErrorAndOthersWork) {
    SimHarness h(WithFaults({"error=+cpas,^MONI"}));
    EXPECT_EQ(h.Command(kPoll),
              (Lines{"+CSQ: " + std::to_string(h.modem.Network().CsqRssi()) + "," +
                         std::to_string(h.modem.Network().CsqBer()),
                     "+COPS: 0,0,\"T-Mobile CZ\"", "+COPS: 0,2,\"23001\"", "+CREG: 0,1", "ERROR"}));
    EXPECT_EQ(h.Command("AT^MONI\r"), Lines{"ERROR"});
    EXPECT_EQ(h.Command("AT^MONP\r").back(), "OK");
    EXPECT_EQ(h.Command("AT+CGMI\r"), (Lines{"Celdara", "OK"}));
}

TEST(SimFaultTest, MissingPrefixDropsOnlyThoseLines) {
    SimHarness h(WithFaults({"missing=+CPAS"}));
    Lines lines = h.Command(kPoll);
    EXPECT_EQ(Count(lines, "+CPAS:"), 0);
    EXPECT_EQ(Count(lines, "+CSQ:"), 1);
    EXPECT_EQ(Count(lines, "+COPS:"), 2);
    EXPECT_EQ(Count(lines, "+CREG:"), 1);
    EXPECT_EQ(lines.back(), "OK");
}

TEST(SimFaultTest, SplitRepliesArriveInPiecesThatJoinToTheWholeReply) {
    SimHarness healthy(WithFaults({}));
    SimHarness split(WithFaults({"split"}));
    Script(healthy, 60, 1);
    Script(split, 60, 1);
    EXPECT_EQ(split.AllBytes(), healthy.AllBytes());
    EXPECT_GT(split.pieces.size(), 2 * healthy.pieces.size());
    // Cut anywhere: some piece ends inside a line, between CR and LF or in a word.
    bool cutInsideLine = false;
    for (std::size_t i = 1; i < split.pieces.size(); ++i) {
        char last = split.pieces[i - 1].bytes.back();
        cutInsideLine = cutInsideLine || (last != '\r' && last != '\n');
        // Far enough apart for a reader's inter-byte pause to see them as pieces.
        EXPECT_GE(split.pieces[i].at - split.pieces[i - 1].at, 15u);
    }
    EXPECT_TRUE(cutInsideLine);
    // Framed at carriage returns, the lines are the same.
    Lines a = healthy.TakeLines();
    Lines b = split.TakeLines();
    EXPECT_EQ(a, b);
}

TEST(SimFaultTest, NoiseGarblesSomeBytesBothWays) {
    SimHarness healthy(WithFaults({}));
    SimHarness noisy(WithFaults({"noise=20"}));
    Script(healthy, 60);
    Script(noisy, 60);
    std::string clean = healthy.AllBytes();
    std::string garbled = noisy.AllBytes();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::min(clean.size(), garbled.size()); ++i)
        differing += clean[i] != garbled[i] ? 1 : 0;
    EXPECT_GT(differing, 0u);
    // Garbled commands are refused now and then.
    EXPECT_GT(Count(noisy.TakeLines(), "ERROR"), 0);
    EXPECT_EQ(Count(healthy.TakeLines(), "ERROR"), 0);
}

TEST(SimFaultTest, VanishedDeviceIsDeadUntilReplugged) {
    SimHarness h;
    h.Command("ATE0\r");
    TSimFaults gone;
    gone.Vanished = true;
    h.modem.SetFaults(gone);
    EXPECT_TRUE(h.modem.Vanished());
    EXPECT_EQ(h.modem.ModemLines(), 0u);
    h.pieces.clear();
    h.Send("AT\r");
    h.Run(5000);
    EXPECT_TRUE(h.pieces.empty());
    h.modem.SetFaults({});
    EXPECT_NE(h.modem.ModemLines() & (kSimLineCts | kSimLineDsr), 0u);
    // A replugged modem has powered up afresh: echo is on again.
    EXPECT_EQ(h.Command("AT\r"), (Lines{"AT", "OK"}));
}

TEST(SimFaultTest, FaultCycleVisitsEveryFaultAndComesBackHealthy) {
    TSimModemOptions o = QuietOptions();
    o.FaultCycle = true;
    SimHarness h(o);
    std::set<std::string> seen;
    bool vanished = false;
    for (int s = 0; s < 180; ++s) {
        h.Run(1000);
        seen.insert(DescribeSimFaults(h.modem.Faults()));
        vanished = vanished || h.modem.Vanished();
    }
    EXPECT_TRUE(vanished);
    for (const char* f : {"none", "split", "noise=15", "missing=+CPAS", "error=^MONP", "silent",
                          "error=+CSQ", "vanish"})
        EXPECT_TRUE(seen.count(f)) << f;
    // One cycle lasts 165 s; at 180 s it is healthy again.
    EXPECT_FALSE(h.modem.Faults().Any()) << DescribeSimFaults(h.modem.Faults());
    EXPECT_EQ(h.Command("AT\r"), (Lines{"AT", "OK"}));
}

TEST(SimFaultTest, SameSeedGivesTheSameTraffic) {
    for (auto items : {std::initializer_list<const char*>{}, {"split", "noise=10"}}) {
        SimHarness a(WithFaults(items, 42));
        SimHarness b(WithFaults(items, 42));
        SimHarness other(WithFaults(items, 43));
        Script(a, 300);
        Script(b, 300);
        Script(other, 300);
        EXPECT_EQ(a.pieces, b.pieces);
        EXPECT_NE(a.AllBytes(), other.AllBytes());
    }
}

TEST(SimFaultTest, TrafficDoesNotDependOnHowOftenTheCallerLooks) {
    SimHarness sparse(WithFaults({"split"}, 5));
    SimHarness dense(WithFaults({"split"}, 5));
    Script(sparse, 120);
    Script(dense, 120, 1);
    EXPECT_EQ(sparse.AllBytes(), dense.AllBytes());
}

struct FaultTextCase {
    const char* text;
    bool ok;
};

TEST(SimFaultTest, FaultTextsAreCheckedAndDescribed) {
    const FaultTextCase cases[] = {
        {"silent", true},        {"split", true},
        {"vanish", true},        {"noise=1", true},
        {"noise=1000", true},    {"error=+CSQ", true},
        {"missing=+CPAS", true}, {"noise=0", false},
        {"noise=1001", false},   {"noise=x", false},
        {"error=", false},       {"error=+CSQ,", false},
        {"missing=", false},     {"split=1", false},
        {"loud", false},         {"", false},
        {"error=+COPS=?", true}, {"error==?", false},
        {"error=+COPS?", false}, {"error=+CSQ=1", false},
    };
    for (const FaultTextCase& c : cases) {
        TSimFaults f;
        std::string message;
        EXPECT_EQ(ApplySimFault(c.text, f, message), c.ok) << c.text;
        EXPECT_EQ(message.empty(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(DescribeSimFaults(f), c.text);
        }
    }
    TSimFaults f;
    std::string message;
    ASSERT_TRUE(ApplySimFault("error=+csq,^moni", f, message));
    ASSERT_TRUE(ApplySimFault("error=+CSQ,A", f, message));
    EXPECT_EQ(f.ErrorCommands, (std::vector<std::string>{"+CSQ", "^MONI", "A"}));
    EXPECT_EQ(DescribeSimFaults({}), "none");
}

} // namespace
} // namespace celdara::test
