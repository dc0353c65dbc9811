// The program's own dialogue against the simulated modem, its replies read by the
// program's own parsers.
#include "SimHarness.h"
#include "modem/ReplyParsers.h"

#include <gtest/gtest.h>

namespace celdara::test {
namespace {

constexpr const char* kPollCommand = "AT+CSQ;+COPS=3,0;+COPS?;+COPS=3,2;+COPS?;+CREG?;+CPAS\r";

// The status the program should read from the modem's state at this moment.
struct Expected {
    int csq = 0;
    int ber = 0;
    const TSimOperator* op = nullptr;
    int reg = 0;
    int activity = 0;
    std::optional<TSimCellReport> serving;
    std::vector<TSimCellReport> neighbours;
};

Expected Snapshot(const TSimModem& m) {
    const TSimNetwork& n = m.Network();
    int cpas = 0;
    switch (n.CallState()) {
    case TSimCallState::Ringing:
        cpas = 3;
        break;
    case TSimCallState::Voice:
    case TSimCallState::Data:
        cpas = 4;
        break;
    default:
        cpas = n.RegState() == 4 ? 2 : 0;
    }
    return {n.CsqRssi(), n.CsqBer(),  n.Registered(), n.RegState(),
            cpas,        n.Serving(), n.Neighbours()};
}

void ExpectCell(const TCellInfo& got, const TSimCellReport& want) {
    EXPECT_TRUE(got.Valid);
    EXPECT_EQ(got.Channel, want.Channel);
    EXPECT_EQ(got.Rssi, want.Rssi);
    EXPECT_EQ(got.Dbm, want.Dbm);
    EXPECT_EQ(got.Mcc, want.Mcc);
    EXPECT_EQ(got.Mnc, want.Mnc);
    EXPECT_EQ(got.C1, want.C1);
}

// A command's reply without the calls' unsolicited lines, which may come at any time.
std::vector<std::string> Reply(SimHarness& h, std::string_view command) {
    std::vector<std::string> lines = h.Command(command);
    std::erase_if(lines, [](const std::string& l) { return l == "RING" || l == "NO CARRIER"; });
    return lines;
}

// One poll cycle as the program runs it: the poll, then both cell monitors.
TModemStatus PollCycle(SimHarness& h, const Expected& e) {
    TModemStatus s;
    std::vector<std::string> lines = Reply(h, kPollCommand);
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.back(), "OK");
    for (const std::string& l : lines) {
        if (l.rfind("+CSQ:", 0) == 0)
            ParseSignalQuality(l, s);
        if (l.rfind("+COPS:", 0) == 0)
            ParseOperator(l, s);
        if (l.rfind("+CREG:", 0) == 0)
            ParseRegistration(l, s);
        if (l.rfind("+CPAS:", 0) == 0)
            ParsePhoneActivity(l, s);
    }
    lines = Reply(h, "AT^MONI\r");
    EXPECT_EQ(lines.front().rfind("chann", 0), 0u);
    EXPECT_EQ(lines.back(), "OK");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        ParseServingCell(lines[i], s);
    lines = Reply(h, "AT^MONP\r");
    EXPECT_EQ(lines.front().rfind("chann", 0), 0u);
    EXPECT_EQ(lines.back(), "OK");
    EXPECT_EQ(lines.size(), e.neighbours.size() + 2);
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        ParseNeighbourCell(lines[i], static_cast<int>(i - 1), s);
    return s;
}

TEST(SimDialogueTest, PrepareAndIdentifyAsTheProgramDoes) {
    SimHarness h;
    // Echo is on after power-up: the command comes back before its answer.
    EXPECT_EQ(h.Command("ATE0+COPS=0\r"), (std::vector<std::string>{"ATE0+COPS=0", "OK"}));
    EXPECT_FALSE(h.modem.EchoOn());
    EXPECT_EQ(h.Command("AT+CGMI\r"), (std::vector<std::string>{"Celdara", "OK"}));
    EXPECT_EQ(h.Command("AT+CGMM\r"), (std::vector<std::string>{"Virtual GSM modem", "OK"}));
    EXPECT_EQ(h.Command("AT+CGMR\r"), (std::vector<std::string>{"1.0", "OK"}));
    std::vector<std::string> imei = h.Command("AT+CGSN\r");
    ASSERT_EQ(imei.size(), 2u);
    EXPECT_EQ(imei[0], h.modem.Imei());
}

TEST(SimDialogueTest, ImeiHasFifteenDigitsAValidCheckDigitAndDependsOnTheSeed) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        std::string imei = SimHarness(QuietOptions(seed)).modem.Imei();
        ASSERT_EQ(imei.size(), 15u);
        int sum = 0;
        for (std::size_t i = 0; i < 15; ++i) {
            ASSERT_TRUE(imei[i] >= '0' && imei[i] <= '9');
            int d = imei[i] - '0';
            if (i % 2 == 1)
                d = d * 2 > 9 ? d * 2 - 9 : d * 2;
            sum += d;
        }
        EXPECT_EQ(sum % 10, 0) << imei;
    }
    EXPECT_NE(SimHarness(QuietOptions(1)).modem.Imei(), SimHarness(QuietOptions(2)).modem.Imei());
}

// An hour of polling while the world drifts: every cycle the parsers must read exactly
// what the modem holds, whatever state it has drifted into.
TEST(SimDialogueTest, EveryPollCycleParsesIntoTheValuesTheModemHolds) {
    SimHarness h(QuietOptions(11));
    h.Command("ATE0+COPS=0\r");
    std::set<int> regStates;
    std::set<int> servingChannels;
    std::set<std::size_t> neighbourCounts;
    std::set<int> activities;
    for (int cycle = 0; cycle < 1800; ++cycle) {
        // Start each cycle just after a world step, so that the state cannot move while
        // the replies are on their way.
        h.Run(1000 - (h.now - 1000) % 1000 + 5);
        Expected e = Snapshot(h.modem);
        TModemStatus s = PollCycle(h, e);
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_TRUE(s.LevelValid && s.BitErrorsValid && s.RegStateValid && s.ActivityValid);
        EXPECT_EQ(s.Level, e.csq <= 31 ? e.csq * 100 / 32 : 0);
        EXPECT_EQ(s.BitErrors, e.ber <= 7 ? e.ber : 0);
        EXPECT_EQ(s.RegState, e.reg);
        EXPECT_EQ(s.Activity, e.activity == 2 ? -1 : e.activity);
        EXPECT_TRUE(s.OperatorNameValid && s.OperatorCodeValid);
        EXPECT_EQ(s.OperatorName, e.op ? e.op->LongName : "?");
        EXPECT_EQ(s.OperatorCode, e.op ? e.op->Code : "?");
        if (e.serving)
            ExpectCell(s.Cells[0], *e.serving);
        else
            EXPECT_FALSE(s.Cells[0].Valid);
        for (std::size_t i = 0; i < e.neighbours.size(); ++i)
            ExpectCell(s.Cells[1 + i], e.neighbours[i]);
        regStates.insert(e.reg);
        activities.insert(e.activity);
        neighbourCounts.insert(e.neighbours.size());
        if (e.serving)
            servingChannels.insert(e.serving->Channel);
        if (e.activity == 3)
            h.Command("ATA\r"); // answer now and then, as the program does
        if (::testing::Test::HasFailure())
            return;
    }
    // The hour was not a still picture.
    EXPECT_GE(regStates.size(), 2u);
    EXPECT_GE(servingChannels.size(), 3u);
    EXPECT_GE(neighbourCounts.size(), 3u);
    EXPECT_TRUE(activities.count(3) && activities.count(4));
}

TEST(SimDialogueTest, CommandsJoinedBySemicolonsGetOneReplyWithOneOk) {
    SimHarness h;
    h.Command("ATE0\r");
    std::vector<std::string> lines = h.Command("AT+CGMI;+CGMM;+CGSN;+CPAS\r");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Celdara");
    EXPECT_EQ(lines[1], "Virtual GSM modem");
    EXPECT_EQ(lines[3], "+CPAS: 0");
    EXPECT_EQ(Count(lines, "OK"), 1);
    EXPECT_EQ(lines.back(), "OK");
}

struct ReplyCase {
    const char* name;
    const char* command;
    std::vector<std::string> reply;
};
void PrintTo(const ReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class SimReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(SimReplyTest, AnswersLikeAModem) {
    SimHarness h;
    h.Command("ATE0\r");
    EXPECT_EQ(h.Command(GetParam().command), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SimReplyTest,
    ::testing::Values(
        ReplyCase{"bare_at", "AT\r", {"OK"}},
        ReplyCase{"lower_case", "at+cpas\r", {"+CPAS: 0", "OK"}},
        ReplyCase{"blanks_ignored", "AT + CPAS\r", {"+CPAS: 0", "OK"}},
        ReplyCase{"unknown_extended", "AT+FOO\r", {"ERROR"}},
        ReplyCase{"unknown_basic", "ATY\r", {"ERROR"}},
        ReplyCase{"error_stops_the_line", "AT+CPAS;+FOO;+CGMI\r", {"+CPAS: 0", "ERROR"}},
        ReplyCase{"extended_needs_semicolon", "AT+CPAS+CGMI\r", {"ERROR"}},
        ReplyCase{"unclosed_quote", "AT+COPS=1,2,\"23002\r", {"ERROR"}},
        ReplyCase{"csq_test", "AT+CSQ=?\r", {"+CSQ: (0-31,99),(0-7,99)", "OK"}},
        ReplyCase{"cpas_test", "AT+CPAS=?\r", {"+CPAS: (0-5)", "OK"}},
        ReplyCase{"creg_test", "AT+CREG=?\r", {"+CREG: (0-2)", "OK"}},
        ReplyCase{"creg_read", "AT+CREG?\r", {"+CREG: 0,1", "OK"}},
        ReplyCase{"creg_out_of_range", "AT+CREG=3\r", {"ERROR"}},
        ReplyCase{"cops_format_long", "AT+COPS=3,0;+COPS?\r", {"+COPS: 0,0,\"T-Mobile CZ\"", "OK"}},
        ReplyCase{"cops_format_short", "AT+COPS=3,1;+COPS?\r", {"+COPS: 0,1,\"TMO CZ\"", "OK"}},
        ReplyCase{"cops_format_numeric", "AT+COPS=3,2;+COPS?\r", {"+COPS: 0,2,\"23001\"", "OK"}},
        ReplyCase{"cops_bad_format", "AT+COPS=3,5\r", {"ERROR"}},
        ReplyCase{"cops_bad_mode", "AT+COPS=7\r", {"ERROR"}},
        ReplyCase{"cops_manual_without_operator", "AT+COPS=1,2\r", {"ERROR"}},
        ReplyCase{"cme_numeric", "AT+CMEE=1;+COPS=3,9\r", {"+CME ERROR: 50"}},
        ReplyCase{"cme_verbose", "AT+CMEE=2;+COPS=3,9\r", {"+CME ERROR: incorrect parameters"}},
        ReplyCase{"cme_read", "AT+CMEE=1;+CMEE?\r", {"+CMEE: 1", "OK"}},
        ReplyCase{"plain_error_for_unknown_even_with_cmee", "AT+CMEE=1;+FOO\r", {"ERROR"}},
        ReplyCase{"s_register_read", "ATS3?\r", {"013", "OK"}},
        ReplyCase{
            "identification", "ATI\r", {"Celdara", "Virtual GSM modem", "REVISION 1.0", "OK"}},
        ReplyCase{"answer_without_call", "ATA\r", {"NO CARRIER"}},
        ReplyCase{"garbage_before_at", "xx\x01zAT+CPAS\r", {"+CPAS: 0", "OK"}},
        ReplyCase{"backspace_edits", "AT+CPAX\bS\r", {"+CPAS: 0", "OK"}},
        ReplyCase{"terminal_setup_string", "ATZ&C1&D2X4\r", {"OK"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimDialogueTest, EchoFollowsE0AndE1AndComesBackOnAfterReset) {
    SimHarness h;
    EXPECT_TRUE(h.modem.EchoOn());
    EXPECT_EQ(h.Command("AT\r"), (std::vector<std::string>{"AT", "OK"}));
    EXPECT_EQ(h.Command("ATE0\r"), (std::vector<std::string>{"ATE0", "OK"}));
    EXPECT_EQ(h.Command("AT\r"), (std::vector<std::string>{"OK"}));
    EXPECT_EQ(h.Command("ATE1\r"), (std::vector<std::string>{"OK"}));
    EXPECT_EQ(h.Command("AT\r"), (std::vector<std::string>{"AT", "OK"}));
    h.Command("ATE0\r");
    EXPECT_EQ(h.Command("ATZ\r"), (std::vector<std::string>{"OK"}));
    EXPECT_EQ(h.Command("AT\r"), (std::vector<std::string>{"AT", "OK"}));
    EXPECT_EQ(h.Command("ATE2\r"), (std::vector<std::string>{"ATE2", "ERROR"}));

    TSimModemOptions off = QuietOptions();
    off.Echo = false;
    SimHarness quiet(off);
    EXPECT_EQ(quiet.Command("AT\r"), (std::vector<std::string>{"OK"}));
}

TEST(SimDialogueTest, EchoIsByteForByteAsTyped) {
    SimHarness h;
    h.Send("A");
    h.Run(5);
    h.Send("T+CP");
    h.Run(5);
    EXPECT_EQ(h.AllBytes(), "AT+CP");
    h.Send("AS\r");
    h.Run(100);
    EXPECT_EQ(h.AllBytes(), "AT+CPAS\r\r\n+CPAS: 0\r\n\r\nOK\r\n");
}

TEST(SimDialogueTest, EachCommandAnswersWithOneFramedResponse) {
    SimHarness h;
    h.Command("ATE0\r");
    h.pieces.clear();
    h.Send("ATI;+CGMI\r");
    h.Run(100);
    EXPECT_EQ(h.AllBytes(), "\r\nCeldara\r\nVirtual GSM modem\r\nREVISION 1.0\r\n"
                            "\r\nCeldara\r\n"
                            "\r\nOK\r\n");
}

TEST(SimDialogueTest, RepeatAndNumericAndQuietModes) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Command("AT+CPAS\r");
    EXPECT_EQ(h.Command("A/"), (std::vector<std::string>{"+CPAS: 0", "OK"}));
    h.Command("ATV0\r");
    h.pieces.clear();
    h.Send("AT+CPAS\r");
    h.Run(100);
    EXPECT_EQ(h.AllBytes(), "+CPAS: 0\r\n0\r");
    h.Send("ATV1Q1\r");
    h.Run(100);
    h.pieces.clear();
    h.Send("AT+CPAS\r");
    h.Run(100);
    EXPECT_EQ(h.AllBytes(), "\r\n+CPAS: 0\r\n");
}

TEST(SimDialogueTest, CellMonitorWithoutServiceShowsNoCells) {
    SimHarness h;
    h.Command("ATE0\r");
    ASSERT_EQ(h.Command("AT+COPS=2\r", 3000), (std::vector<std::string>{"OK"}));
    EXPECT_EQ(h.Command("AT+CREG?;+COPS?;+CSQ\r"),
              (std::vector<std::string>{"+CREG: 0,0", "+COPS: 2", "+CSQ: 99,99", "OK"}));
    TModemStatus s;
    s.Cells[0].Valid = true;
    std::vector<std::string> moni = h.Command("AT^MONI\r");
    ASSERT_EQ(moni.size(), 3u);
    ParseServingCell(moni[1], s);
    EXPECT_FALSE(s.Cells[0].Valid);
    EXPECT_EQ(h.Command("AT^MONP\r").size(), 2u); // header and OK
}

TEST(SimDialogueTest, RegistrationUrcsFollowCregMode) {
    SimHarness h;
    h.Command("ATE0;+CREG=1\r");
    h.modem.Network().SetOutage(SimOperators()[0], 30);
    h.Run(3000);
    EXPECT_EQ(h.TakeLines(), (std::vector<std::string>{"+CREG: 2"}));
    h.Command("AT+CREG=2\r");
    h.Run(30000);
    std::vector<std::string> lines = h.TakeLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("+CREG: 1,\"", 0), 0u) << lines.back();
}

} // namespace
} // namespace celdara::test
