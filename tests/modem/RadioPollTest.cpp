// How the machine learns, once per connection, which radio commands the modem answers.
#include "MonitorFixture.h"

namespace celdara::testing {
namespace {

// A Quectel EG25 as its AT manual (Quectel EC2x&EG9x&EG2x-G&EM05 Series AT Commands Manual,
// AT+QENG) and 27.007 (10.1.22 +CEREG, 8.69 +CESQ) lay its replies out; ^MONI and ^MONP are
// not its commands and answer "ERROR", as the ScriptedModem does for anything unscripted.
class RadioPollTest : public MonitorTest {
protected:
    RadioPollTest() {
        modem->replies.erase("AT^MONI\r");
        modem->replies.erase("AT^MONP\r");
        modem->replies["AT+CGMI\r"] = "\r\nQuectel\r\n\r\nOK\r\n";
        modem->replies["AT+CGMM\r"] = "\r\nEG25\r\n\r\nOK\r\n";
        modem->replies[PollCommand] = "+CSQ: 99,99\r\n"
                                      "+COPS: 0,0,\"Telekom.de\",7\r\n"
                                      "+COPS: 0,2,\"26201\",7\r\n"
                                      "+CREG: 0,0\r\n"
                                      "+CPAS: 0\r\n"
                                      "\r\nOK\r\n";
        modem->replies["AT+CESQ\r"] = "\r\n+CESQ: 99,99,255,255,20,46\r\n\r\nOK\r\n";
        modem->replies["AT+CEREG?\r"] = "\r\n+CEREG: 2,1,\"A5B1\",\"01A2D101\",7\r\n\r\nOK\r\n";
        modem->replies["AT+QENG=\"servingcell\"\r"] =
            "\r\n+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",262,01,1A2D101,123,6300,20,3,"
            "3,A5B1,-95,-11,-65,180,10,-32768,47\r\n\r\nOK\r\n";
        // Neither AT+CGREG?, AT+C5GREG? nor the neighbour listing: this firmware refuses them.
        modem->replies["AT+QENG=\"neighbourcell\"\r"] = "\r\n+CME ERROR: 4\r\n";
    }

    // The commands answered in the first cycle, on one line.
    static constexpr const char* kJoined = "AT+CESQ;+CEREG?;+QENG=\"servingcell\"\r";

    std::vector<std::string> SentSince(std::size_t from) const {
        return {modem->commands.begin() + static_cast<std::ptrdiff_t>(from), modem->commands.end()};
    }
};

TEST_F(MonitorTest, AModemWithTheCellListingKeepsItsDialogueExactly) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 3; }, 10000));
    const std::vector<std::string> cycle{PollCommand, "AT^MONI\r", "AT^MONP\r"};
    std::vector<std::string> expected{"ATE0+COPS=0\r", "AT+CGMI\r", "AT+CGMM\r"};
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), cycle.begin(), cycle.end());
    const std::vector<std::string> sent(modem->commands.begin(), modem->commands.begin() + 12);
    EXPECT_EQ(sent, expected);
    EXPECT_FALSE(monitor->CellMonitorRefused());
    EXPECT_TRUE(monitor->RadioCommands().empty());
}

TEST_F(MonitorTest, APassingErrorOfAModemThatListedItsCellsDoesNotDropTheListing) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    modem->replies["AT^MONI\r"] = "\r\nERROR\r\n";
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 2; }, 5000));
    modem->replies["AT^MONI\r"] = kServingReply;
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 3; }, 5000));
    EXPECT_FALSE(monitor->CellMonitorRefused());
    EXPECT_EQ(modem->Count("AT^MONI\r"), static_cast<int>(monitor->CompletedCycles()));
    EXPECT_EQ(modem->Count("AT+CESQ\r"), 0);
}

TEST_F(RadioPollTest, RefusedCommandsAreAskedOnceAndTheOthersEveryCycle) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    EXPECT_TRUE(monitor->CellMonitorRefused());
    EXPECT_EQ(view.CountLines("< \x20 The modem has no AT^MONI cell listing; its radio is asked "
                              "with AT+CESQ, AT+CEREG?, AT+CGREG?, AT+C5GREG?, "
                              "AT+QENG=\"servingcell\", "
                              "AT+QENG=\"neighbourcell\", AT+QCAINFO."),
              1);
    EXPECT_EQ(view.CountLines("< \x20 AT+QENG=\"neighbourcell\" refused (+CME ERROR: 4): not "
                              "asked again on this connection."),
              1);

    // This modem takes one command a line: the second cycle's joined line is refused, and
    // it is asked one by one from then on.
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    EXPECT_EQ(modem->Count(kJoined), 1);
    EXPECT_EQ(view.CountLines("< \x20 The radio commands on one line went refused (ERROR): they "
                              "are sent one by one on this connection."),
              1);
    const std::size_t from = modem->commands.size();
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 3; }, 5000));
    // Whole cycles from here on: the status poll, then what the modem answers, in order.
    const std::vector<std::string> cycle{PollCommand, "AT+CESQ\r", "AT+CEREG?\r",
                                         "AT+QENG=\"servingcell\"\r"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), cycle.begin(), cycle.end());
    EXPECT_EQ(SentSince(from), expected);
    EXPECT_EQ(modem->Count("AT^MONI\r"), 1);
    EXPECT_EQ(modem->Count("AT^MONP\r"), 1);
    EXPECT_EQ(modem->Count("AT+CGREG?\r"), 1);
    EXPECT_EQ(modem->Count("AT+C5GREG?\r"), 1);
    EXPECT_EQ(monitor->RadioCommands(),
              (std::vector<std::string>{"AT+CESQ", "AT+CEREG?", "AT+QENG=\"servingcell\""}));
}

TEST_F(RadioPollTest, AnsweredCommandsGoOnOneLine) {
    // The replies of a joined line follow each other, with one final result (V.250 5.4.2).
    auto body = [&](const char* command) {
        const std::string& reply = modem->replies[command];
        return reply.substr(0, reply.find("\r\n\r\nOK")) + "\r\n";
    };
    modem->replies[kJoined] =
        body("AT+CESQ\r") + body("AT+CEREG?\r") + body("AT+QENG=\"servingcell\"\r") + "\r\nOK\r\n";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    const std::size_t from = modem->commands.size();
    const TModemStatus single = monitor->ShownStatus();
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 2; }, 5000));
    EXPECT_EQ(SentSince(from),
              (std::vector<std::string>{PollCommand, kJoined, PollCommand, kJoined}));
    EXPECT_EQ(monitor->ShownStatus().Radio.Serving.Rsrp, -95.0);
    EXPECT_EQ(monitor->ShownStatus().Radio.EpsRegState, 1);
    EXPECT_EQ(monitor->ShownStatus().Radio.Serving.Sinr, single.Radio.Serving.Sinr);
}

TEST_F(RadioPollTest, TheRepliesFillTheRadioStatus) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    const TRadioStatus radio = monitor->ShownStatus().Radio;
    EXPECT_EQ(radio.Tech, TAccessTech::Lte);
    EXPECT_EQ(radio.EpsRegState, 1);
    EXPECT_EQ(radio.Serving.Channel, 6300);
    EXPECT_EQ(radio.Serving.Band, 20);
    EXPECT_EQ(radio.Serving.PhysicalId, 123);
    EXPECT_EQ(radio.Serving.AreaCode, 0xA5B1);
    EXPECT_EQ(radio.Serving.CellId, 0x1A2D101);
    EXPECT_EQ(radio.Serving.Rsrp, -95.0);
    EXPECT_EQ(radio.Serving.Rsrq, -11.0);
    // The EG25 writes its SINR in fifths of a dB from -20 dB.
    EXPECT_EQ(radio.Serving.Sinr, 16.0);
    // The GSM cell rows stay empty: this modem has no ^MONI listing.
    EXPECT_FALSE(monitor->ShownStatus().Cells[kServingCellRow].Valid);
}

TEST_F(RadioPollTest, NoCycleWaitsOnAMissingCommand) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    // Replies come at the next 50 ms tick; a cycle of four commands and the 10 ms pause
    // before the poll takes five ticks. A single time-out would add a second.
    const Tick start = clock.Now();
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 10; }, 20000));
    EXPECT_LE(clock.Now() - start, 10u * 6 * 50);
}

TEST_F(RadioPollTest, ACommandThatStaysSilentIsDroppedAfterThreeTimeOuts) {
    modem->replies["AT+C5GREG?\r"] = "";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 6; }, 30000));
    EXPECT_EQ(modem->Count("AT+C5GREG?\r"), kRadioQueryMisses);
    EXPECT_EQ(view.CountLines("< \x20 AT+C5GREG? unanswered 3 times: not asked again on this "
                              "connection."),
              1);
    // The others go on.
    EXPECT_EQ(modem->Count("AT+CESQ\r"), static_cast<int>(monitor->CompletedCycles()));
}

TEST_F(RadioPollTest, ANewConnectionLearnsAgain) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    Unplug();
    Run(500);
    // Back with a firmware that knows the neighbour listing after all.
    modem->replies["AT+QENG=\"neighbourcell\"\r"] =
        "\r\n+QENG: \"neighbourcell intra\",\"LTE\",6300,124,-14,-104,-73,2,22,3,62,10,62\r\n"
        "\r\nOK\r\n";
    modem->Return();
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= cycles + 2; }, 10000));
    EXPECT_EQ(modem->Count("AT^MONI\r"), 2);
    EXPECT_EQ(modem->Count("AT+C5GREG?\r"), 2);
    ASSERT_EQ(monitor->ShownStatus().Radio.Neighbours.size(), 1u);
    EXPECT_EQ(monitor->ShownStatus().Radio.Neighbours[0].PhysicalId, 124);
}

TEST_F(RadioPollTest, ARadioReplyThatNeverEndsIsKeptWithinItsBound) {
    std::string flood = "\r\n";
    for (std::size_t i = 0; i < 3 * kMaxReplyLines; ++i)
        flood += "+CESQ: 99,99,255,255,20,46\r\n";
    modem->replies["AT+CESQ\r"] = flood + "\r\nOK\r\n";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 10000));
    EXPECT_EQ(monitor->ShownStatus().Radio.Serving.Rsrp, -95.0);
}

} // namespace
} // namespace celdara::testing
