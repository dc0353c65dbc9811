// Operator selection: its delays on a manual clock, its errors, and what the modem
// reports afterwards.
#include "SimHarness.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;

// Sends `command` and returns after how many ms its final line came, with the lines.
std::pair<Tick, Lines> Timed(SimHarness& h, std::string_view command, Tick limitMs = 20000) {
    Tick start = h.now;
    Lines lines = h.Command(command, limitMs);
    return {h.now - start, lines};
}

TEST(SimOperatorTest, ManualSwitchAnswersOkOnlyAfterTheSearch) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Send("AT+COPS=1,2,\"23002\"\r");
    h.Run(2400, 1);
    EXPECT_TRUE(h.modem.Busy());
    EXPECT_TRUE(h.TakeLines().empty()) << "no answer while the modem searches";
    h.Run(3700, 1);
    EXPECT_EQ(h.TakeLines(), Lines{"OK"});
    EXPECT_FALSE(h.modem.Busy());
    EXPECT_EQ(h.Command("AT+COPS?;+CREG?\r"), (Lines{"+COPS: 1,2,\"23002\"", "+CREG: 0,5", "OK"}));
    auto serving = h.modem.Network().Serving();
    ASSERT_TRUE(serving.has_value());
    EXPECT_EQ(serving->Mcc, 230);
    EXPECT_EQ(serving->Mnc, 2);
}

TEST(SimOperatorTest, BackToAutomaticReturnsHomeAfterAShortDelay) {
    SimHarness h;
    h.Command("ATE0\r");
    ASSERT_EQ(h.Command("AT+COPS=1,0,\"Vodafone CZ\"\r"), Lines{"OK"});
    EXPECT_EQ(h.Command("AT+COPS?\r"), (Lines{"+COPS: 1,0,\"Vodafone CZ\"", "OK"}));
    auto [ms, lines] = Timed(h, "AT+COPS=0\r");
    EXPECT_EQ(lines, Lines{"OK"});
    EXPECT_GE(ms, 800u);
    EXPECT_LT(ms, 2000u) << "the program's prepare step waits only 2000 ms";
    EXPECT_EQ(h.Command("AT+COPS?;+CREG?\r"),
              (Lines{"+COPS: 0,0,\"T-Mobile CZ\"", "+CREG: 0,1", "OK"}));
    // Already automatic at home: nothing to search.
    auto [again, ok] = Timed(h, "AT+COPS=0\r");
    EXPECT_EQ(ok, Lines{"OK"});
    EXPECT_LT(again, 100u);
}

struct FailureCase {
    const char* name;
    const char* setup;
    const char* command;
    Lines reply;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class SimOperatorFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SimOperatorFailureTest, UnknownOperatorFailsOnlyAfterALongSearch) {
    SimHarness h;
    h.Command(GetParam().setup);
    auto [ms, lines] = Timed(h, GetParam().command);
    EXPECT_EQ(lines, GetParam().reply);
    EXPECT_GE(ms, 5000u);
    EXPECT_LE(ms, 9100u);
    // Still where it was.
    EXPECT_EQ(h.Command("AT+COPS=3,2;+COPS?\r"), (Lines{"+COPS: 0,2,\"23001\"", "OK"}));
}

INSTANTIATE_TEST_SUITE_P(
    Operators, SimOperatorFailureTest,
    ::testing::Values(
        FailureCase{"plain_error", "ATE0\r", "AT+COPS=1,2,\"99999\"\r", {"ERROR"}},
        FailureCase{"numeric_cme", "ATE0+CMEE=1\r", "AT+COPS=1,2,\"99999\"\r", {"+CME ERROR: 30"}},
        FailureCase{"verbose_cme",
                    "ATE0+CMEE=2\r",
                    "AT+COPS=1,0,\"Nobody\"\r",
                    {"+CME ERROR: no network service"}},
        FailureCase{"name_in_wrong_format", "ATE0\r", "AT+COPS=1,2,\"O2 - CZ\"\r", {"ERROR"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimOperatorTest, OperatorOutOfReachFailsButModeFourFallsBackToAutomatic) {
    SimHarness h;
    h.Command("ATE0\r");
    h.modem.Network().SetOutage(SimOperators()[2], 600);
    EXPECT_EQ(h.Command("AT+COPS=1,2,\"23003\"\r", 20000), Lines{"ERROR"});
    EXPECT_EQ(h.Command("AT+COPS=4,2,\"23003\"\r", 20000), Lines{"OK"});
    EXPECT_EQ(h.Command("AT+COPS?\r"), (Lines{"+COPS: 0,2,\"23001\"", "OK"}));
    EXPECT_EQ(h.Command("AT+COPS=4,2,\"23002\"\r", 20000), Lines{"OK"});
    EXPECT_EQ(h.Command("AT+COPS?\r"), (Lines{"+COPS: 1,2,\"23002\"", "OK"}));
}

TEST(SimOperatorTest, LinesSentDuringTheSearchAreAnsweredAfterIt) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Send("AT+COPS=1,2,\"23002\"\r");
    h.Run(100);
    h.Send("AT+CPAS\r");
    h.Run(10000);
    EXPECT_EQ(h.TakeLines(), (Lines{"OK", "+CPAS: 0", "OK"}));
}

TEST(SimOperatorTest, InfoBeforeADelayedCommandLeavesAtOnce) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Send("AT+CPAS;+COPS=1,2,\"23002\";+COPS?\r");
    h.Run(200);
    EXPECT_EQ(h.TakeLines(), Lines{"+CPAS: 0"});
    h.Run(10000);
    EXPECT_EQ(h.TakeLines(), (Lines{"+COPS: 1,2,\"23002\"", "OK"}));
}

TEST(SimOperatorTest, ScanListsTheReachableNetworks) {
    SimHarness h;
    h.Command("ATE0\r");
    h.modem.Network().SetOutage(SimOperators()[3], 600);
    auto [ms, lines] = Timed(h, "AT+COPS=?\r", 25000);
    EXPECT_GE(ms, 8000u);
    EXPECT_EQ(lines, (Lines{"+COPS: (2,\"T-Mobile CZ\",\"TMO CZ\",\"23001\"),"
                            "(1,\"O2 - CZ\",\"O2 CZ\",\"23002\"),"
                            "(1,\"Vodafone CZ\",\"VF CZ\",\"23003\"),,(0-4),(0-2)",
                            "OK"}));
}

TEST(SimOperatorTest, ScanTakesEightToTwentySecondsBySeed) {
    std::vector<Tick> times;
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        SimHarness h(QuietOptions(seed));
        h.Command("ATE0\r");
        auto [ms, lines] = Timed(h, "AT+COPS=?\r", 25000);
        ASSERT_FALSE(lines.empty()) << seed;
        EXPECT_EQ(lines.back(), "OK") << seed;
        EXPECT_GE(ms, 8000u) << seed;
        EXPECT_LE(ms, 20100u) << seed;
        times.push_back(ms);
    }
    EXPECT_NE(*std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()));
}

TEST(SimOperatorTest, ScanOfEveryDialectIsLaidOutAs27007WithTheForbiddenNetwork) {
    // The gsm modem answers without <AcT>; the others give each network's technology, the
    // current network's the one it is served on (LTE at the start of the timetable).
    struct Case {
        const char* dialect;
        const char* line;
    };
    const Case cases[] = {
        {"gsm",
         "+COPS: (2,\"T-Mobile CZ\",\"TMO CZ\",\"23001\"),(1,\"O2 - CZ\",\"O2 CZ\",\"23002\"),"
         "(1,\"Vodafone CZ\",\"VF CZ\",\"23003\"),(3,\"Telekom.de\",\"TDG\",\"26201\"),,"
         "(0-4),(0-2)"},
        {"quectel",
         "+COPS: (2,\"T-Mobile CZ\",\"TMO CZ\",\"23001\",7),(1,\"O2 - CZ\",\"O2 CZ\",\"23002\",7),"
         "(1,\"Vodafone CZ\",\"VF CZ\",\"23003\",7),(3,\"Telekom.de\",\"TDG\",\"26201\",7),,"
         "(0-4),(0-2)"},
    };
    for (const Case& c : cases) {
        TSimModemOptions o = QuietOptions();
        o.Dialect = c.dialect;
        SimHarness h(o);
        h.Command("ATE0\r");
        EXPECT_EQ(h.Command("AT+COPS=?\r", 25000), (Lines{c.line, "OK"})) << c.dialect;
    }
}

TEST(SimOperatorTest, ACharacterAbortsTheScanAndTheRestOfItsLineIsLost) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Send("AT+COPS=?\r");
    h.Run(100, 1);
    h.Send("\r"); // within V.250's 125 ms: ignored
    h.Run(3000);
    EXPECT_TRUE(h.modem.Scanning());
    EXPECT_TRUE(h.TakeLines().empty()) << "nothing while the modem scans";
    h.Send("AT+CSQ\r");
    h.Run(200);
    EXPECT_EQ(h.TakeLines(), Lines{"ERROR"}) << "the A aborts, the rest is no command";
    EXPECT_FALSE(h.modem.Scanning());
    EXPECT_FALSE(h.modem.Busy());
    h.Run(20000);
    EXPECT_TRUE(h.TakeLines().empty()) << "no late list";
    EXPECT_EQ(h.Command("AT+CPAS\r"), (Lines{"+CPAS: 0", "OK"}));
}

TEST(SimOperatorTest, AScanRefusedByTheFaultSaysNoNetworkService) {
    struct Case {
        const char* name;
        const char* fault;
        const char* setup;
        Lines reply;
    };
    const Case cases[] = {
        {"numeric", "error=+COPS=?", "ATE0+CMEE=1\r", {"+CME ERROR: 30"}},
        {"verbose", "error=+COPS=?", "ATE0+CMEE=2\r", {"+CME ERROR: no network service"}},
        {"without +CMEE", "error=+COPS=?", "ATE0\r", {"ERROR"}},
        {"every +COPS refused", "error=+COPS", "ATE0+CMEE=1\r", {"ERROR"}},
    };
    for (const Case& c : cases) {
        TSimModemOptions o = QuietOptions();
        std::string message;
        ASSERT_TRUE(ApplySimFault(c.fault, o.Faults, message)) << message;
        SimHarness h(o);
        h.Command(c.setup);
        EXPECT_EQ(h.Command("AT+COPS=?\r"), c.reply) << c.name;
        const bool pollAnswered = h.Command("AT+COPS?\r").back() == "OK";
        EXPECT_EQ(pollAnswered, std::string(c.fault) == "error=+COPS=?") << c.name;
    }
}

TEST(SimOperatorTest, DeregisterLeavesTheNetwork) {
    SimHarness h;
    h.Command("ATE0\r");
    EXPECT_EQ(h.Command("AT+COPS=2\r"), Lines{"OK"});
    EXPECT_EQ(h.Command("AT+COPS?;+CREG?\r"), (Lines{"+COPS: 2", "+CREG: 0,0", "OK"}));
    h.Run(60000);
    EXPECT_EQ(h.modem.Network().RegState(), 0) << "stays off the network";
    EXPECT_EQ(h.Command("AT+COPS=0\r"), Lines{"OK"});
    EXPECT_EQ(h.modem.Network().RegState(), 1);
}

TEST(SimOperatorTest, SwitchCompletesAcrossTheWrapOfTheTick) {
    SimHarness h(QuietOptions(), 0xFFFFF000u);
    h.Command("ATE0\r");
    h.Send("AT+COPS=1,2,\"23002\"\r");
    h.Run(2000, 1);
    EXPECT_TRUE(h.TakeLines().empty());
    h.Run(5000);
    EXPECT_LT(h.now, 0x1000u) << "the test crossed the wrap";
    EXPECT_EQ(h.TakeLines(), Lines{"OK"});
}

} // namespace
} // namespace celdara::test
