// The operator group as the machine drives it: the item checked follows the modem's
// +COPS? mode, a switch is said in the status bar while it runs, and a new port clears it.
#include "MonitorFixture.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace celdara::testing {
namespace {

const std::string kSwitchToO2 = "AT+COPS=1,2,\"23002\"\r";

// The poll's reply of a modem in manual selection on `code`.
std::string ManualPollReply(const std::string& name, const std::string& code) {
    return "+CSQ: 16,0\r\n+COPS: 1,0,\"" + name + "\"\r\n+COPS: 1,2,\"" + code +
           "\"\r\n+CREG: 0,1\r\n+CPAS: 0\r\n\r\nOK\r\n";
}

class OperatorSelectionTest : public MonitorTest {
protected:
    OperatorSelectionTest() {
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ + "/mccmnc.ini", std::ios::binary)
            << "[General]\r\n23001=T-Mobile CZ\r\n23002=O2\r\n23003=Vodafone\r\n";
        monitor->LoadOperators(folder_);
    }
    ~OperatorSelectionTest() override { std::filesystem::remove_all(folder_); }

    // The window's display timer.
    int Shown() {
        monitor->RefreshDisplay();
        return view.checkedOperator;
    }
    bool Running() {
        monitor->EnterState(msInit);
        return RunUntil([&] { return monitor->CompletedCycles() >= 1; }, 5000);
    }

    const std::string folder_ = (std::filesystem::temp_directory_path() /
                                 ("celdara-selection-" + std::to_string(::getpid())))
                                    .string();
};

TEST_F(OperatorSelectionTest, TheCheckedItemFollowsTheModemsMode) {
    ASSERT_EQ(view.operatorItems.size(), 4u);
    const struct {
        const char* name;
        std::string reply;
        int checked;
    } cases[] = {
        {"automatic selection", kPollReply, 0},
        {"manual selection on O2", ManualPollReply("O2 - CZ", "23002"), 2},
        {"manual/automatic on Vodafone",
         "+COPS: 4,0,\"Vodafone\"\r\n+COPS: 4,2,\"23003\"\r\n\r\nOK\r\n", 3},
        {"manual on a network the group does not list", ManualPollReply("Other", "26201"), -1},
        {"deregistered", "+COPS: 2\r\n+COPS: 2\r\n\r\nOK\r\n", -1},
        {"no +COPS in the reply", "+CSQ: 16,0\r\n+CREG: 0,1\r\n\r\nOK\r\n", -1},
    };
    ASSERT_TRUE(Running());
    for (const auto& c : cases) {
        modem->replies[PollCommand] = c.reply;
        const std::uint64_t cycles = monitor->CompletedCycles();
        ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000)) << c.name;
        EXPECT_EQ(Shown(), c.checked) << c.name;
    }
}

TEST_F(OperatorSelectionTest, ASwitchIsSaidWhileItRunsAndTheUsersPickStaysChecked) {
    ASSERT_TRUE(Running());
    EXPECT_EQ(Shown(), 0);
    modem->replies[kSwitchToO2] = ""; // the network takes its time
    view.checkedOperator = 2;         // the click checked it
    monitor->rgpOperatorsClick(2, "O2 (23002)");
    ASSERT_TRUE(RunUntil([&] { return modem->Count(kSwitchToO2) == 1; }, 5000));
    ASSERT_FALSE(view.statusMessages.empty());
    EXPECT_EQ(view.statusMessages.back(), "Switching to O2 (23002)\xe2\x80\xa6");
    EXPECT_EQ(view.statusMessageMs, kSwitchWaitMs);
    Run(1000);
    EXPECT_EQ(Shown(), 2) << "the mode before the switch does not undo the click";
    EXPECT_EQ(view.panels[kPanelOperator], "operator not known, registration not known");

    // The modem says OK and polls on in manual selection.
    modem->replies[PollCommand] = ManualPollReply("O2 - CZ", "23002");
    modem->Unsolicited("\r\nOK\r\n");
    ASSERT_TRUE(RunUntil([&] { return view.operatorsEnabled; }, 2000));
    EXPECT_EQ(view.statusMessages.back(), "") << "the sentence goes with the switch";
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles; }, 5000));
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(view.panels[kPanelOperator].rfind("O2 - CZ (23002)", 0), 0u);

    const std::size_t said = view.statusMessages.size();
    monitor->rgpOperatorsClick(0, "Auto select");
    modem->replies[PollCommand] = kPollReply;
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=0\r") == 1; }, 5000));
    ASSERT_GT(view.statusMessages.size(), said);
    EXPECT_EQ(view.statusMessages[said], "Switching to automatic selection\xe2\x80\xa6");
    const std::uint64_t after = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > after + 1; }, 5000));
    EXPECT_EQ(Shown(), 0);
}

TEST_F(OperatorSelectionTest, ARefusedSwitchGivesTheModemsSelectionBack) {
    ASSERT_TRUE(Running());
    modem->replies[kSwitchToO2] = "\r\n+CME ERROR: 32\r\n";
    view.checkedOperator = 2;
    monitor->rgpOperatorsClick(2, "O2 (23002)");
    ASSERT_TRUE(RunUntil([&] { return modem->Count(kSwitchToO2) == 1; }, 5000));
    const std::uint64_t cycles = monitor->CompletedCycles();
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() > cycles + 1; }, 5000));
    EXPECT_EQ(Shown(), 0) << "still automatic";
}

TEST_F(OperatorSelectionTest, ANewPortClearsTheChecksAndASwitchUnderWay) {
    modem->replies[PollCommand] = ManualPollReply("O2 - CZ", "23002");
    ASSERT_TRUE(Running());
    EXPECT_EQ(Shown(), 2);
    modem->replies[kSwitchToO2] = "";
    monitor->rgpOperatorsClick(0, "Auto select");
    modem->replies["AT+COPS=0\r"] = "";
    ASSERT_TRUE(RunUntil([&] { return modem->Count("AT+COPS=0\r") == 1; }, 5000));

    // The user picks another port: nothing of the old modem's selection stays.
    view.portBox = "ttyUSB1";
    monitor->EnterState(msInit);
    EXPECT_EQ(view.statusMessages.back(), "");
    EXPECT_EQ(Shown(), -1);
    modem->replies[PollCommand] = kPollReply;
    ASSERT_TRUE(RunUntil([&] { return monitor->CompletedCycles() >= 2; }, 5000));
    EXPECT_EQ(Shown(), 0);
}

} // namespace
} // namespace celdara::testing
