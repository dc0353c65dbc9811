// Incoming calls: RING, the ring-indicator line, answering, and the end of the call.
#include "SimHarness.h"

#include <gtest/gtest.h>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;

TEST(SimCallTest, RingComesEveryFewSecondsWithTheRingLineRaised) {
    SimHarness h;
    h.Command("ATE0\r");
    EXPECT_EQ(h.modem.ModemLines() & kSimLineRing, 0u);
    h.modem.Network().StartIncomingCall(false);
    EXPECT_NE(h.modem.ModemLines() & kSimLineRing, 0u);
    EXPECT_EQ(h.Command("AT+CPAS\r"), (Lines{"+CPAS: 3", "OK"}));
    std::vector<Tick> rings;
    h.pieces.clear();
    h.Run(11000);
    for (const TimedPiece& p : h.pieces) {
        if (p.bytes.find("RING") != std::string::npos)
            rings.push_back(p.at);
    }
    ASSERT_EQ(rings.size(), 4u);
    for (std::size_t i = 1; i < rings.size(); ++i)
        EXPECT_EQ(rings[i] - rings[i - 1], 3000u);
}

TEST(SimCallTest, AnsweredVoiceCallIsInProgressUntilTheFarEndHangsUp) {
    SimHarness h;
    h.Command("ATE0\r");
    h.modem.Network().StartIncomingCall(false);
    h.Run(1500);
    EXPECT_EQ(h.TakeLines(), Lines{"RING"});
    Tick before = h.now;
    EXPECT_EQ(h.Command("ATA\r"), Lines{"OK"});
    EXPECT_GE(h.now - before, 300u) << "the call takes a moment to come through";
    EXPECT_EQ(h.modem.ModemLines() & kSimLineRing, 0u);
    EXPECT_EQ(h.Command("AT+CPAS\r"), (Lines{"+CPAS: 4", "OK"}));
    h.Run(45000);
    Lines after = h.TakeLines();
    EXPECT_EQ(after, Lines{"NO CARRIER"});
    EXPECT_EQ(h.Command("AT+CPAS\r"), (Lines{"+CPAS: 0", "OK"}));
}

TEST(SimCallTest, DataCallConnectsIgnoresCommandsAndEndsWithNoCarrier) {
    SimHarness h;
    h.Command("ATE0\r");
    h.modem.Network().StartIncomingCall(true);
    h.Run(1100);
    EXPECT_EQ(h.Command("ATA\r"), Lines{"CONNECT 9600"});
    EXPECT_NE(h.modem.ModemLines() & kSimLineRlsd, 0u);
    EXPECT_EQ(h.Command("AT\r", 1000), Lines{}) << "online, the bytes go to the far end";
    h.Run(8000);
    EXPECT_EQ(h.TakeLines(), Lines{"NO CARRIER"});
    EXPECT_EQ(h.modem.ModemLines() & kSimLineRlsd, 0u);
    EXPECT_EQ(h.Command("AT\r"), Lines{"OK"});
}

TEST(SimCallTest, UnansweredCallStopsRingingAndHangUpEndsACall) {
    SimHarness h;
    h.Command("ATE0\r");
    h.modem.Network().StartIncomingCall(false);
    h.Run(30000);
    EXPECT_FALSE(h.modem.Network().Ringing());
    EXPECT_EQ(h.Command("ATA\r"), Lines{"NO CARRIER"});
    h.modem.Network().StartIncomingCall(false);
    h.Run(1100);
    h.Command("ATA\r");
    EXPECT_EQ(h.modem.Network().CallState(), TSimCallState::Voice);
    EXPECT_EQ(h.Command("ATH\r"), Lines{"OK"});
    EXPECT_EQ(h.modem.Network().CallState(), TSimCallState::Idle);
}

TEST(SimCallTest, CallsRingOnTheirOwnNowAndThen) {
    SimHarness h(QuietOptions(3));
    int rings = 0;
    for (int minute = 0; minute < 60; ++minute) {
        h.Run(60000);
        rings += Count(h.TakeLines(), "RING");
    }
    EXPECT_GT(rings, 5);
}

} // namespace
} // namespace celdara::test
