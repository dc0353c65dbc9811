// What the machine does with lines nobody asked for (a registration the modem reports by
// itself) and with the long network scan, on the manual clock.
#include "MonitorFixture.h"

namespace celdara::testing {
namespace {

// The dialogue of a modem that lists its cells, `cycles` poll cycles long.
std::vector<std::string> GsmDialogue(int cycles) {
    std::vector<std::string> expected{"ATE0+COPS=0\r", "AT+CGMI\r", "AT+CGMM\r"};
    for (int i = 0; i < cycles; ++i)
        expected.insert(expected.end(), {PollCommand, "AT^MONI\r", "AT^MONP\r"});
    return expected;
}

TEST_F(MonitorTest, UnsolicitedRegistrationsAroundThePollReplyAreNeverTakenForIt) {
    // A modem left at AT+CREG=2 / AT+CEREG=2 by another program (ModemManager sets them)
    // reports every change of its cell by itself, at any moment of the poll.
    const std::string creg = "\r\n+CREG: 1,\"CE00\",\"00005449\"\r\n";
    const std::string cereg = "\r\n+CEREG: 2, 0001, 00000100, 7\r\n";
    struct TRow {
        const char* Name;
        std::string Reply;
    };
    const std::string csq = "+CSQ: 16,0\r\n";
    const std::string rest = kPollReply.substr(csq.size());
    const std::string beforeOk = kPollReply.substr(0, kPollReply.size() - 6);
    const TRow rows[] = {
        {"before the reply", creg + kPollReply},
        {"between its lines", csq + creg + cereg + rest},
        {"just before its OK", beforeOk + creg + "\r\nOK\r\n"},
        {"one-field line in between", csq + "\r\n+CREG: 3\r\n" + rest},
    };
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    int cycles = 1;
    for (const TRow& row : rows) {
        modem->replies[PollCommand] = row.Reply;
        const std::uint64_t done = monitor->CompletedCycles();
        ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= done + 2; }, 5000))
            << row.Name;
        cycles += static_cast<int>(monitor->CompletedCycles() - done);
        const TModemStatus shown = monitor->ShownStatus();
        EXPECT_TRUE(shown.RegStateValid) << row.Name;
        EXPECT_EQ(shown.RegState, 1) << row.Name << ": the reply's, not the news before it";
        EXPECT_TRUE(shown.LevelValid) << row.Name << ": the poll ended by its OK, not its time-out";
        monitor->RefreshDisplay();
        EXPECT_EQ(view.panels[kPanelOperator], "T-Mobile CZ (23001), registered, home network")
            << row.Name;
    }
    EXPECT_EQ(
        std::vector<std::string>(modem->commands.begin(), modem->commands.begin() + 3 + 3 * cycles),
        GsmDialogue(cycles))
        << "the bytes sent do not change";
}

TEST_F(MonitorTest, AnUnsolicitedRegistrationBetweenPollsUpdatesTheShownStatus) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    modem->Unsolicited("\r\n+CREG: 5,\"CE01\",\"00005450\",2\r\n");
    modem->Deliver(4096);
    EXPECT_EQ(monitor->ShownStatus().RegState, 5);
    monitor->RefreshDisplay();
    EXPECT_EQ(view.panels[kPanelOperator], "T-Mobile CZ (23001), registered, roaming");
}

const std::string kScanReply =
    "\r\n+COPS: (2,\"T-Mobile CZ\",\"TMO CZ\",\"23001\",7),(1,\"O2 - CZ\",\"O2\",\"23002\",2),"
    "(3,\"Vodafone CZ\",\"Vodafone\",\"23003\",0),,(0-4),(0-2)\r\n\r\nOK\r\n";

TEST_F(MonitorTest, ANetworkScanListsWhatTheModemFoundAndPollingGoesOn) {
    modem->replies["AT+COPS=?\r"] = kScanReply;
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->RequestNetworkScan();
    EXPECT_TRUE(monitor->NetworkScanBusy());
    monitor->RequestNetworkScan(); // a second request while one is pending: the same scan
    ASSERT_TRUE(RunUntil([&] { return !view.scans.empty(); }, 5000));
    EXPECT_EQ(view.scansStarted, 1);
    EXPECT_EQ(modem->Count("AT+COPS=?\r"), 1);
    EXPECT_FALSE(monitor->NetworkScanBusy());
    const TNetworkScanResult& scan = view.scans.back();
    EXPECT_EQ(scan.End, TScanEnd::Done);
    ASSERT_EQ(scan.Networks.size(), 3u);
    EXPECT_EQ(scan.Networks[0], (TNetworkEntry{2, "T-Mobile CZ", "TMO CZ", "23001", 7}));
    EXPECT_EQ(scan.Networks[2].State, 3);
    const std::uint64_t cycles = monitor->CompletedCycles();
    EXPECT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles + 1; }, 2000));
}

TEST_F(MonitorTest, ANetworkScanEndsRefusedUnansweredOrCancelledAndPollingGoesOn) {
    struct TRow {
        const char* Name;
        std::string Reply; // to AT+COPS=?; empty: the modem is still scanning
        int CancelAfterMs; // -1: not cancelled
        TScanEnd End;
        const char* Error;
    };
    const TRow rows[] = {
        {"refused", "\r\n+CME ERROR: 30\r\n", -1, TScanEnd::Refused,
         "+CME ERROR: 30 (no network service)"},
        {"cancelled while under way", "", 2000, TScanEnd::Cancelled, ""},
        {"unanswered within its wait", "", -1, TScanEnd::Unanswered, ""},
    };
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    for (const TRow& row : rows) {
        modem->replies["AT+COPS=?\r"] = row.Reply;
        const std::size_t ended = view.scans.size();
        const int aborts = modem->Count("\r");
        monitor->RequestNetworkScan();
        if (row.CancelAfterMs >= 0) {
            ASSERT_TRUE(RunUntil([&] { return view.scansStarted > static_cast<int>(ended); }));
            Run(row.CancelAfterMs);
            monitor->CancelNetworkScan();
            ASSERT_EQ(view.scans.size(), ended + 1) << row.Name << ": said at once";
            EXPECT_EQ(modem->Count("\r"), aborts + 1) << "a bare CR aborts it (V.250 5.6.1)";
        }
        ASSERT_TRUE(RunUntil([&] { return view.scans.size() > ended; }, kNetworkScanMs + 5000))
            << row.Name;
        EXPECT_EQ(view.scans.back().End, row.End) << row.Name;
        EXPECT_EQ(view.scans.back().Error, row.Error) << row.Name;
        const std::uint64_t cycles = monitor->CompletedCycles();
        EXPECT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles + 1; }, 15000))
            << row.Name << ": polling goes on";
        EXPECT_FALSE(monitor->NetworkScanBusy()) << row.Name;
    }
}

TEST_F(MonitorTest, AScanAskedForButNotBegunIsCancelledQuietlyAndALostPortEndsOne) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->RequestNetworkScan();
    monitor->CancelNetworkScan();
    ASSERT_EQ(view.scans.size(), 1u);
    EXPECT_EQ(view.scans[0].End, TScanEnd::Cancelled);
    Run(2000);
    EXPECT_EQ(modem->Count("AT+COPS=?\r"), 0) << "nothing sent for it";

    modem->replies["AT+COPS=?\r"] = "";
    monitor->RequestNetworkScan();
    ASSERT_TRUE(RunUntil([&] { return view.scansStarted == 1; }, 5000));
    Unplug();
    ASSERT_TRUE(RunUntil([&] { return view.scans.size() == 2; }, 5000));
    EXPECT_EQ(view.scans[1].End, TScanEnd::Unanswered);
    EXPECT_FALSE(monitor->NetworkScanBusy());
}

} // namespace
} // namespace celdara::testing
