// Readings of a connection that is gone never stay on screen: a port that will not open, one
// switched for another, one whose device vanished or one closed under the machine leaves the
// panels empty, the history marked with its gap and the port panel saying what the port does.
#include "MonitorFixture.h"

namespace celdara::testing {
namespace {

struct TStaleCase {
    const char* Name;
    // What happens to the polled port.
    std::function<void(ScriptedModem&, RecordingView&, RecordingPort&, ModemMonitor&)> Act;
    const char* PortPanel;
};

void PrintTo(const TStaleCase& row, std::ostream* os) {
    *os << row.Name;
}

class StaleValues : public MonitorTest, public ::testing::WithParamInterface<TStaleCase> {
protected:
    void ExpectNothingShown() {
        const TModemStatus shown = monitor->ShownStatus();
        EXPECT_FALSE(shown.LevelValid);
        EXPECT_FALSE(shown.BitErrorsValid);
        EXPECT_FALSE(shown.RegStateValid);
        EXPECT_FALSE(shown.OperatorNameValid);
        EXPECT_FALSE(shown.OperatorCodeValid);
        EXPECT_FALSE(shown.Cells[0].Valid);
        EXPECT_EQ(view.panels[kPanelDevice], "");
        EXPECT_EQ(view.panels[kPanelOperator].find("T-Mobile"), std::string::npos)
            << view.panels[kPanelOperator];
        EXPECT_EQ(view.panels[kPanelOperator].find("23001"), std::string::npos);
        EXPECT_TRUE(view.radioPanel.Technology.empty());
        for (const auto& [row, texts] : view.rows)
            EXPECT_EQ(texts, (TCellRowTexts{"-", "-", "-", "-", "-", "-"})) << "row " << row;
    }
};

TEST_P(StaleValues, LeaveNoValueOnScreenAndSayWhatThePortDoes) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->RefreshDisplay();
    ASSERT_EQ(view.rows[1][0], "  23") << "the cycle filled the grid";
    ASSERT_EQ(view.panels[kPanelDevice], "Device: SIEMENS MC35i");

    GetParam().Act(*modem, view, port, *monitor);
    Run(200);
    EXPECT_EQ(view.panels[kPanelPort], GetParam().PortPanel);
    ASSERT_FALSE(view.graph.empty());
    EXPECT_EQ(view.graph.back(), -1) << "the history marks the gap";
    ExpectNothingShown();

    // The display timer goes on refreshing, the machine goes on retrying: still nothing.
    Run(3000);
    monitor->RefreshDisplay();
    EXPECT_EQ(view.panels[kPanelPort], GetParam().PortPanel);
    ExpectNothingShown();
}

const std::string kReason = "Permission denied: add yourself to the group \"dialout\".";

INSTANTIATE_TEST_SUITE_P(
    Monitor, StaleValues,
    ::testing::Values(
        TStaleCase{"AChosenPortThatWillNotOpen",
                   [](ScriptedModem& modem, RecordingView& view, RecordingPort& port,
                      ModemMonitor& monitor) {
                       modem.failOpen = true;
                       port.reason = kReason;
                       view.portBox = "ttyUSB9";
                       monitor.EnterState(msInit);
                   },
                   "Cannot open ttyUSB9: Permission denied: add yourself to the group "
                   "\"dialout\"."},
        TStaleCase{
            "APortThatFailsWithoutAReason",
            [](ScriptedModem& modem, RecordingView& view, RecordingPort&, ModemMonitor& monitor) {
                modem.failOpen = true;
                view.portBox = "ttyUSB9";
                monitor.EnterState(msInit);
            },
            "Cannot open ttyUSB9"},
        TStaleCase{
            "ASwitchToAPortWhereNothingAnswers",
            [](ScriptedModem& modem, RecordingView& view, RecordingPort&, ModemMonitor& monitor) {
                modem.silent = true;
                view.portBox = "ttyUSB1";
                monitor.EnterState(msInit);
            },
            "ttyUSB1"},
        TStaleCase{"AVanishedDeviceAwaited",
                   [](ScriptedModem& modem, RecordingView&, RecordingPort& port, ModemMonitor&) {
                       port.lostReason = "No such device";
                       modem.Vanish();
                   },
                   "Waiting for ttyUSB0 to return"},
        TStaleCase{"AVanishedDeviceLeftFailed",
                   [](ScriptedModem& modem, RecordingView&, RecordingPort&, ModemMonitor& monitor) {
                       monitor.ReconnectLostPort = false;
                       modem.Vanish();
                   },
                   "ttyUSB0 lost"},
        TStaleCase{"APortClosedUnderTheMachineThatWillNotReopen",
                   [](ScriptedModem& modem, RecordingView&, RecordingPort& port, ModemMonitor&) {
                       port.reason = "The port is in use by another program.";
                       modem.failOpen = true;
                       modem.Close();
                   },
                   "Cannot open ttyUSB0: The port is in use by another program."}),
    [](const ::testing::TestParamInfo<TStaleCase>& info) { return info.param.Name; });

TEST_F(MonitorTest, TheReturnedPortShowsItsValuesAgainAfterItsFirstCycle) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    Unplug();
    Run(2000);
    ASSERT_FALSE(monitor->ShownStatus().LevelValid);
    modem->Return();
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000));
    monitor->RefreshDisplay();
    EXPECT_TRUE(monitor->ShownStatus().LevelValid);
    EXPECT_EQ(view.panels[kPanelDevice], "Device: SIEMENS MC35i");
    EXPECT_EQ(view.panels[kPanelPort], "ttyUSB0");
    EXPECT_EQ(view.panels[kPanelOperator], "T-Mobile CZ (23001), registered, home network");
    EXPECT_EQ(view.rows[1][0], "  23");
}

TEST_F(MonitorTest, AFailingPortMarksOneGapInTheHistoryAndDrawsNoLevelAfterIt) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000));
    monitor->RefreshDisplay();
    monitor->RefreshDisplay();
    ASSERT_GT(view.graph.back(), 0);
    const std::size_t measured = view.graph.size();
    modem->failOpen = true;
    view.portBox = "ttyUSB9";
    monitor->EnterState(msInit);
    Run(3000);
    ASSERT_GE(modem->openCalls, 3);
    const std::vector<int> after(view.graph.begin() + measured, view.graph.end());
    // The retries every second add no sample of their own: the cleared display and the gap
    // mark, both no value (-1), never a level of 0.
    ASSERT_FALSE(after.empty());
    EXPECT_LE(after.size(), 2u);
    for (int value : after)
        EXPECT_EQ(value, -1);
}

} // namespace
} // namespace celdara::testing
