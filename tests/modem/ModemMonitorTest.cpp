#include "MonitorFixture.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace celdara::testing {
namespace {

TEST_F(MonitorTest, OpensPreparesAndIdentifiesTheModem) {
    monitor->EnterState(msInit);
    EXPECT_EQ(port.commPort, "ttyUSB0");
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0");
    ASSERT_TRUE(RunUntil([&] { return monitor->State() == msPoll; }, 2000));

    EXPECT_EQ(monitor->Manufacturer(), "SIEMENS");
    EXPECT_EQ(monitor->Model(), "MC35i");
    EXPECT_EQ(view.panels[kPanelDevice], "Device: SIEMENS MC35i");
    const std::vector<std::string> start(view.terminal.begin(), view.terminal.begin() + 6);
    EXPECT_EQ(start, (std::vector<std::string>{"< machine: INIT", "< machine: OPEN",
                                               "< \x20 Opening port \"ttyUSB0\".",
                                               "< \x20 Success. Port \"ttyUSB0\" opened.",
                                               "< machine: PREPARE", "> ATE0+COPS=0\r"}));
    EXPECT_EQ(modem->commands[0], "ATE0+COPS=0\r");
    EXPECT_EQ(modem->commands[1], "AT+CGMI\r");
    EXPECT_EQ(modem->commands[2], "AT+CGMM\r");
}

TEST_F(MonitorTest, AFullPollCycleFillsTheStatusAndTheDisplay) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    EXPECT_EQ(modem->Count(PollCommand), 1);
    EXPECT_EQ(modem->Count("AT^MONI\r"), 1);
    EXPECT_EQ(modem->Count("AT^MONP\r"), 1);

    monitor->RefreshDisplay();
    EXPECT_EQ(view.graph.back(), 100); // first serving cell: a spike
    monitor->RefreshDisplay();
    EXPECT_EQ(view.graph.back(), 50);
    EXPECT_EQ(view.panels[kPanelOperator], "T-Mobile CZ (23001), registered, home network");
    EXPECT_EQ(view.rows[1], (TCellRowTexts{"  23", "900", "  54%", " -76", " 31", "230 01"}));
    EXPECT_EQ(view.rows[2][0], "  60");
    EXPECT_EQ(view.rows[3][1], "1800");
    EXPECT_EQ(view.rows[4], (TCellRowTexts{"-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(view.connection, "");
}

TEST_F(MonitorTest, PollTrafficIsHiddenUnlessTheDebugTerminalIsOn) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    EXPECT_EQ(view.CountLines(std::string("> ") + PollCommand), 0);
    monitor->DebugTraffic = true;
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    EXPECT_EQ(view.CountLines(std::string("> ") + PollCommand), 1);
    EXPECT_EQ(view.CountLines("< +CSQ: 16,0"), 1);
}

TEST_F(MonitorTest, APollReplyWithoutActivityEndsByItsTimeout) {
    modem->replies[PollCommand] = "+CSQ: 16,0\r\n+COPS: 0,0,\"X\"\r\n+COPS: 0,2,\"23001\"\r\n"
                                  "+CREG: 0,1\r\n\r\nOK\r\n";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return modem->Count(PollCommand) == 1; }, 5000));
    const Tick sent = clock.Now();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    // The time-out goes straight to the end of the cycle, rounded up to the 50 ms tick.
    EXPECT_GE(clock.Now() - sent, 500u);
    EXPECT_LE(clock.Now() - sent, 600u);
    EXPECT_NE(std::find(view.graph.begin(), view.graph.end(), -1), view.graph.end());
    TModemStatus shown = monitor->ShownStatus();
    EXPECT_FALSE(shown.LevelValid);
    EXPECT_FALSE(shown.RegStateValid);
    EXPECT_FALSE(shown.OperatorNameValid);
    EXPECT_TRUE(shown.OperatorCodeValid); // the code keeps what the reply gave
    EXPECT_FALSE(shown.Cells[0].Valid);   // the cell steps are skipped
    EXPECT_EQ(modem->Count("AT^MONI\r"), 0);
}

TEST_F(MonitorTest, OnlyAnExactOkEndsThePoll) {
    modem->replies[PollCommand] = "+CSQ: 16,0\r\n+COPS: 0,0,\"X\"\r\n+COPS: 0,2,\"23001\"\r\n"
                                  "+CREG: 0,1\r\n+CPAS: 0\r\nOKAY\r\n";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return modem->Count(PollCommand) == 1; }, 5000));
    Run(400);
    EXPECT_EQ(monitor->CompletedCycles(), 0u);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 400));
    EXPECT_FALSE(monitor->ShownStatus().LevelValid);
}

TEST_F(MonitorTest, ASilentModemKeepsThePreparationResendingEveryTwoSeconds) {
    modem->silent = true;
    monitor->EnterState(msInit);
    Run(10000);
    EXPECT_EQ(monitor->State(), msPrepare);
    // Sent at 0, then after each 2000 ms wait, rounded up to the 50 ms tick.
    EXPECT_GE(modem->Count("ATE0+COPS=0\r"), 5);
    EXPECT_LE(modem->Count("ATE0+COPS=0\r"), 6);
    EXPECT_EQ(view.CountLines("< machine: PREPARE"), modem->Count("ATE0+COPS=0\r"));
}

TEST_F(MonitorTest, APortThatStaysSilentSaysSoAfterAFewResendsUntilItAnswers) {
    const std::string hint = "< \x20 Nothing answers on port \"ttyUSB0\". Is a modem attached "
                             "and switched on? Choose another port, or the built-in simulated "
                             "modem \"virtual-modem\".";
    modem->silent = true;
    monitor->EnterState(msInit);
    // Two unanswered commands: still patient.
    ASSERT_TRUE(RunUntil([&] { return modem->Count("ATE0+COPS=0\r") == kSilentResends; }, 10000));
    EXPECT_FALSE(monitor->SilentPortHint());
    EXPECT_EQ(view.CountLines(hint), 0);
    // The third one goes unanswered too: the terminal and the status bar say so, once.
    ASSERT_TRUE(RunUntil([&] { return monitor->SilentPortHint(); }, 2100));
    EXPECT_EQ(view.CountLines(hint), 1);
    EXPECT_EQ(view.panels[kPanelDevice],
              "No answer on ttyUSB0: choose another port or virtual-modem");
    Run(10000);
    EXPECT_EQ(view.CountLines(hint), 1);
    EXPECT_TRUE(monitor->SilentPortHint());

    // The first line the modem sends takes the hint away; the machine goes on as usual.
    modem->silent = false;
    ASSERT_TRUE(RunUntil([&] { return !monitor->SilentPortHint(); }, 2100));
    EXPECT_EQ(view.CountLines("< \x20 Port \"ttyUSB0\" answers now."), 1);
    EXPECT_NE(view.panels[kPanelDevice].rfind("Device: ", 0), std::string::npos);
    ASSERT_TRUE(RunUntil([&] { return monitor->State() == msPoll; }, 5000));
    EXPECT_EQ(view.panels[kPanelDevice], "Device: SIEMENS MC35i");
    EXPECT_EQ(view.CountLines(hint), 1);
}

TEST_F(MonitorTest, TheSilentPortHintGoesWhenAnotherPortIsChosen) {
    modem->silent = true;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->SilentPortHint(); }, 10000));
    view.portBox = "ttyACM0";
    monitor->EnterState(msInit);
    EXPECT_FALSE(monitor->SilentPortHint());
    EXPECT_EQ(view.panels[kPanelDevice], "Device: ?");
    // The new port gets its own few resends before it is called silent.
    Run(4000);
    EXPECT_FALSE(monitor->SilentPortHint());
    ASSERT_TRUE(RunUntil([&] { return monitor->SilentPortHint(); }, 4000));
    EXPECT_EQ(view.panels[kPanelDevice],
              "No answer on ttyACM0: choose another port or virtual-modem");
}

TEST_F(MonitorTest, ALateOkOfAResentPreparationIsNoName) {
    // AT+COPS=0 can take longer than the 2 s wait: the command is sent again, and both
    // "OK"s arrive together once the modem has registered.
    modem->replies["ATE0+COPS=0\r"] = "";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return modem->Count("ATE0+COPS=0\r") == 2; }, 5000));
    modem->Unsolicited("\r\nOK\r\n\r\nOK\r\n");
    ASSERT_TRUE(RunUntil([&] { return monitor->State() == msPoll; }, 5000));
    EXPECT_EQ(monitor->Manufacturer(), "SIEMENS");
    EXPECT_EQ(view.panels[kPanelDevice], "Device: SIEMENS MC35i");
}

TEST_F(MonitorTest, AnErrorToTheIdentificationIsTakenAsTheNameAndTheCommandResent) {
    modem->replies["AT+CGMI\r"] = "\r\nERROR\r\n";
    monitor->EnterState(msInit);
    Run(5000);
    EXPECT_EQ(monitor->State(), msPrepare);
    EXPECT_EQ(monitor->Manufacturer(), "ERROR");
    EXPECT_GE(modem->Count("AT+CGMI\r"), 2);
}

TEST_F(MonitorTest, SwitchesToAnOperatorAndBackToAutomaticSelection) {
    view.operatorsEnabled = true;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));

    monitor->rgpOperatorsClick(2, "O2 (23002)");
    EXPECT_EQ(monitor->PendingOperator(), "23002");
    EXPECT_FALSE(view.operatorsEnabled);
    ASSERT_TRUE(RunUntil([&] { return view.operatorsEnabled; }, 5000));
    EXPECT_EQ(modem->Count("AT+COPS=1,2,\"23002\"\r"), 1);
    EXPECT_EQ(monitor->PendingOperator(), "");
    EXPECT_EQ(view.panels[kPanelOperator], "operator not known, registration not known");

    monitor->rgpOperatorsClick(0, "Auto select");
    EXPECT_EQ(monitor->PendingOperator(), "AUTO");
    ASSERT_TRUE(RunUntil([&] { return view.operatorsEnabled; }, 5000));
    EXPECT_EQ(modem->Count("AT+COPS=0\r"), 1);
}

TEST_F(MonitorTest, ATableWithSpacesAroundTheEqualsSignSendsTheSameCode) {
    struct Case {
        const char* name;
        const char* table;
    };
    const Case cases[] = {
        {"as the default table writes it", "[General]\r\n23001=T-Mobile\r\n23002=O2\r\n"},
        {"as INI editors write it", "[General]\r\n23001 = T-Mobile\r\n23002 = O2 \r\n"},
    };
    const std::string folder = (std::filesystem::temp_directory_path() /
                                ("celdara-ops-click-" + std::to_string(::getpid())))
                                   .string();
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    int sent = 0;
    for (const Case& c : cases) {
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/mccmnc.ini", std::ios::binary) << c.table;
        monitor->LoadOperators(folder);
        ASSERT_EQ(view.operatorItems.size(), 3u) << c.name;
        EXPECT_EQ(view.operatorItems[2], "O2 (23002)") << c.name;
        monitor->rgpOperatorsClick(2, view.operatorItems[2]);
        ASSERT_TRUE(RunUntil([&] { return view.operatorsEnabled; }, 5000)) << c.name;
        EXPECT_EQ(modem->Count("AT+COPS=1,2,\"23002\"\r"), ++sent) << c.name;
    }
    std::filesystem::remove_all(folder);
}

TEST_F(MonitorTest, ARefusedSwitchEndsAtOnceAndTheGroupIsTheUsersAgain) {
    // 27.007 9.2.1: "+CME ERROR: 32" is "network not allowed - emergency calls only".
    struct Case {
        std::string reply;
        std::string shown;
    };
    const Case cases[] = {
        {"\r\n+CME ERROR: 32\r\n",
         "Operator 23002 refused: +CME ERROR: 32 (network not allowed, emergency calls only)"},
        {"\r\nERROR\r\n", "Operator 23002 refused: ERROR"},
        {"\r\n+CME ERROR: no network service\r\n",
         "Operator 23002 refused: +CME ERROR: no network service"},
        {"\r\n+CME ERROR: 999\r\n", "Operator 23002 refused: +CME ERROR: 999"},
    };
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    for (const Case& c : cases) {
        modem->replies["AT+COPS=1,2,\"23002\"\r"] = c.reply;
        const int sent = modem->Count("AT+COPS=1,2,\"23002\"\r");
        monitor->rgpOperatorsClick(2, "O2 (23002)");
        EXPECT_FALSE(view.operatorsEnabled);
        ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=1,2,\"23002\"\r") > sent; }, 5000));
        const std::uint64_t cycles = monitor->CompletedCycles();
        // Polling again within one cycle: the next poll is no more than a few ticks away.
        ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles + 1; }, 1000))
            << c.reply;
        EXPECT_TRUE(view.operatorsEnabled) << c.reply;
        ASSERT_FALSE(view.statusMessages.empty());
        EXPECT_EQ(view.statusMessages.back(), c.shown);
        EXPECT_EQ(view.statusMessageMs, kSwitchMessageMs);
        EXPECT_EQ(view.CountLines("< \x20 " + c.shown), 1);
        EXPECT_EQ(modem->Count("AT+COPS=1,2,\"23002\"\r"), sent + 1) << "not sent again";
    }
}

TEST_F(MonitorTest, ASilentSwitchIsDroppedAfterAMinuteAndTheGroupIsGivenBack) {
    modem->replies["AT+COPS=1,2,\"23002\"\r"] = "";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->rgpOperatorsClick(2, "O2 (23002)");
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=1,2,\"23002\"\r") == 1; }, 5000));
    const std::uint64_t cycles = monitor->CompletedCycles();
    Run(59000);
    EXPECT_EQ(monitor->CompletedCycles(), cycles); // waiting for the switch
    EXPECT_FALSE(view.operatorsEnabled);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 2000));
    EXPECT_TRUE(view.operatorsEnabled);
    EXPECT_EQ(view.statusMessages.back(), "Operator 23002 did not answer within a minute.");
    EXPECT_EQ(modem->Count("AT+COPS=1,2,\"23002\"\r"), 1);
}

TEST_F(MonitorTest, ASwitchAfterUnsupportedCellCommandsStillWaitsForItsOk) {
    // Without cell monitor commands both cell steps end by time-out; that must not end the
    // operator switch that follows them.
    modem->replies.erase("AT^MONI\r");
    modem->replies.erase("AT^MONP\r");
    modem->silent = false;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 10000));
    monitor->rgpOperatorsClick(0, "Auto select");
    modem->replies["AT+COPS=0\r"] = "";
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=0\r") == 1; }, 10000));
    Run(200);
    modem->Unsolicited("\r\nOK\r\n");
    ASSERT_TRUE(RunUntil([&] { return view.operatorsEnabled; }, 200));
}

TEST_F(MonitorTest, ClickRulesTakeTheTextBetweenTheFirstParentheses) {
    monitor->rgpOperatorsClick(3, "Nové (ex) (23099)");
    EXPECT_EQ(monitor->PendingOperator(), "ex");
    monitor->rgpOperatorsClick(3, "no code");
    EXPECT_EQ(monitor->PendingOperator(), "ex");
    monitor->rgpOperatorsClick(3, "broken (23001");
    EXPECT_EQ(monitor->PendingOperator(), "ex");
}

TEST_F(MonitorTest, ARingingLineIsAnswered) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    EXPECT_EQ(modem->Count("ATA\r"), 0);
    port.ringing = true;
    ASSERT_TRUE(RunUntil([&] { return modem->Count("ATA\r") == 1; }, 5000));
    port.ringing = false;
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000));
    EXPECT_EQ(modem->Count("ATA\r"), 1);
}

TEST_F(MonitorTest, AnAnswerRefusedWithErrorAlternatesWithPollCycles) {
    modem->replies["ATA\r"] = "\r\nERROR\r\n";
    port.ringing = true;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 4; }, 20000));
    const int polls = modem->Count(PollCommand);
    const int answers = modem->Count("ATA\r");
    EXPECT_GE(answers, polls - 1);
    EXPECT_LE(answers, polls);
}

TEST_F(MonitorTest, APortThatWillNotOpenIsRetriedEverySecondWithItsReasonOnce) {
    modem->failOpen = true;
    port.reason = "Permission denied: add yourself to the group \"dialout\".";
    monitor->EnterState(msInit);
    Run(5000);
    EXPECT_EQ(monitor->State(), msOpen);
    EXPECT_GE(modem->openCalls, 5);
    EXPECT_LE(modem->openCalls, 6);
    EXPECT_EQ(view.CountLines("< \x20 Error while opening ttyUSB0."), modem->openCalls);
    EXPECT_EQ(view.CountLines("< \x20 " + port.reason), 1);
    EXPECT_FALSE(monitor->WaitingForPort()) << "a port that never opened was not lost";

    port.reason = "The port is in use by another program.";
    Run(1050);
    EXPECT_EQ(view.CountLines("< \x20 " + port.reason), 1);

    modem->failOpen = false;
    ASSERT_TRUE(RunUntil([&] { return monitor->State() == msPoll; }, 3000));
}

TEST_F(MonitorTest, ALostPortIsClosedAndOpenedAgain) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    modem->Close(); // reported as CommStateDisconnected
    EXPECT_TRUE(monitor->PortLost());
    ASSERT_TRUE(RunUntil([&] { return view.CountLines("< machine: CLOSE") == 1; }, 3000));
    EXPECT_FALSE(monitor->PortLost());
    EXPECT_EQ(modem->openCalls, 2);
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000));
    // The machine's own close while opening does not count as a lost port.
    EXPECT_EQ(view.CountLines("< machine: CLOSE"), 1);
}

// A device that vanishes while open (an unplugged USB modem) and later comes back.
constexpr const char* kLostLine = "< \x20 Port ttyUSB0 lost: Input/output error.";
constexpr const char* kBackLine = "< \x20 Port ttyUSB0 is back.";

TEST_F(MonitorTest, ALostDeviceIsSaidOnceAwaitedAndPreparedAgainWithinASecondOfItsReturn) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    Unplug();
    // Seen at the next tick, not after the step's own wait.
    OneTick();
    EXPECT_TRUE(monitor->WaitingForPort());
    EXPECT_EQ(monitor->State(), msOpen);
    EXPECT_EQ(view.CountLines(kLostLine), 1);
    EXPECT_EQ(view.panels[kPanelPort], "Waiting for ttyUSB0 to return");
    EXPECT_EQ(view.portStates.back(), CommStateFailed);

    // Retried every second, quietly: the loss was said once.
    const int opensAtLoss = modem->openCalls;
    const std::size_t linesAtLoss = view.terminal.size();
    Run(5000);
    EXPECT_GE(modem->openCalls - opensAtLoss, 4);
    EXPECT_LE(modem->openCalls - opensAtLoss, 5);
    EXPECT_EQ(view.terminal.size(), linesAtLoss);
    EXPECT_EQ(view.CountLines("< \x20 Error while opening ttyUSB0."), 0);
    EXPECT_EQ(view.panels[kPanelPort], "Waiting for ttyUSB0 to return");

    const int prepares = modem->Count("ATE0+COPS=0\r");
    const int polls = modem->Count(PollCommand);
    const Tick back = clock.Now();
    modem->Return();
    ASSERT_TRUE(RunUntil([&] { return modem->open; }, 2000));
    EXPECT_LE(clock.Now() - back, 1050u);
    EXPECT_FALSE(monitor->WaitingForPort());
    EXPECT_EQ(view.CountLines(kBackLine), 1);
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0");
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000));
    EXPECT_EQ(modem->Count("ATE0+COPS=0\r"), prepares + 1);
    EXPECT_GT(modem->Count(PollCommand), polls);
    EXPECT_EQ(view.CountLines(kLostLine), 1);
    EXPECT_EQ(monitor->Manufacturer(), "SIEMENS");
}

TEST_F(MonitorTest, ALossDuringALongWaitIsSeenAtTheNextTick) {
    // The operator switch and the answer wait up to a minute for their reply.
    modem->replies["AT+COPS=0\r"] = "";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->rgpOperatorsClick(0, "Auto select");
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=0\r") == 1; }, 5000));
    Unplug("No such device");
    OneTick();
    EXPECT_TRUE(monitor->WaitingForPort());
    EXPECT_EQ(view.CountLines("< \x20 Port ttyUSB0 lost: No such device."), 1);
    modem->Return();
    ASSERT_TRUE(RunUntil([&] { return Polling(); }, 3000));
}

TEST_F(MonitorTest, WithReconnectOffALostPortStaysFailedUntilAPortIsChosen) {
    monitor->ReconnectLostPort = false;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    Unplug();
    const int opensAtLoss = modem->openCalls;
    Run(5000);
    modem->Return(); // it is there again, yet nobody looks
    Run(3000);
    EXPECT_EQ(modem->openCalls, opensAtLoss);
    EXPECT_EQ(monitor->State(), msClose);
    EXPECT_FALSE(monitor->WaitingForPort());
    EXPECT_EQ(view.CountLines(kLostLine), 1);
    EXPECT_EQ(view.CountLines("< machine: OPEN"), 1);
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0 lost");
    // Still shown failed: no close of its own turned the port box black.
    EXPECT_EQ(view.portStates.back(), CommStateFailed);

    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    EXPECT_EQ(modem->openCalls, opensAtLoss + 1);
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0");
}

TEST_F(MonitorTest, ReconnectTurnedOffWhileALostPortIsAwaitedStopsTheRetries) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    Unplug();
    Run(2000);
    ASSERT_TRUE(monitor->WaitingForPort());
    monitor->ReconnectLostPort = false;
    Run(1050); // the retry that was due finds reconnecting off
    const int opens = modem->openCalls;
    modem->Return();
    Run(3000);
    EXPECT_EQ(modem->openCalls, opens);
    EXPECT_FALSE(monitor->WaitingForPort());
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0 lost");
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return Polling(); }, 3000));
}

TEST_F(MonitorTest, AHundredUnplugsEachSayTheLossAndTheReturnOnce) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    std::size_t linesPerRound = 0;
    for (int round = 1; round <= 100; ++round) {
        const std::size_t before = view.terminal.size();
        Unplug();
        Run(1500);
        modem->Return();
        const std::uint64_t cycles = monitor->CompletedCycles();
        ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000))
            << "round " << round;
        ASSERT_EQ(view.CountLines(kLostLine), round);
        ASSERT_EQ(view.CountLines(kBackLine), round);
        // Every round leaves as much behind as the first: nothing piles up.
        if (round == 1)
            linesPerRound = view.terminal.size() - before;
        ASSERT_EQ(view.terminal.size() - before, linesPerRound) << "round " << round;
        ASSERT_TRUE(modem->pending.empty());
    }
}

TEST_F(MonitorTest, RepliesSplitAcrossReadsFormWholeLines) {
    monitor->EnterState(msInit);
    // Every reply arrives a byte at a time.
    for (int t = 0; t < 5000 && monitor->CompletedCycles() < 2; t += 50)
        OneTick(1);
    EXPECT_GE(monitor->CompletedCycles(), 2u);
    EXPECT_TRUE(monitor->ShownStatus().LevelValid);
    EXPECT_TRUE(monitor->ShownStatus().Cells[2].Valid);
}

TEST_F(MonitorTest, ASeventhNeighbourLineClearsEveryNeighbourRow) {
    std::string reply = "\r\nchann rs dBm MCC MNC BCC C1 C2\r\n";
    for (int i = 0; i < 7; ++i)
        reply += "  60 28 -83 230 01 5 22 22\r\n";
    modem->replies["AT^MONP\r"] = reply + "\r\nOK\r\n";
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    TModemStatus shown = monitor->ShownStatus();
    for (int i = 1; i < kCellRowCount; ++i)
        EXPECT_FALSE(shown.Cells[i].Valid) << i;
    EXPECT_TRUE(shown.Cells[0].Valid);
}

TEST_F(MonitorTest, TypedCommandsShowTrafficAndCanEndAWaitingStepEarly) {
    modem->replies["AT^MONI\r"] = ""; // no answer: the step waits its full second
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT^MONI\r") == 1; }, 5000));
    EXPECT_FALSE(monitor->EchoTraffic());

    modem->replies["AT\r"] = "\r\nchann\r\n\r\nOK\r\n";
    monitor->TermSendData("AT\r");
    EXPECT_TRUE(monitor->EchoTraffic());
    EXPECT_EQ(view.terminal.back(), "> AT\r");
    OneTick(); // the command goes out; its reply comes with the next tick
    const Tick before = clock.Now();
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT^MONP\r") == 1; }, 1000));
    EXPECT_LT(clock.Now() - before, 500u);
}

} // namespace
} // namespace celdara::testing
