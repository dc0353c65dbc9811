// The modem state machine: opens the chosen port, prepares and identifies the modem, then
// polls it without end for signal, operator, registration, activity and cells, carries out
// operator switches and answers a ringing line. It is driven only by events: a received
// line, a fired timeout, a port state change and the window's calls.
#pragma once

#include "distributor/TopDistributor.h"
#include "modem/AtExchange.h"
#include "modem/LineFraming.h"
#include "modem/ModemStatus.h"
#include "modem/ModemView.h"
#include "modem/RadioQueryPlan.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace celdara {

enum TMachineState { msInit, msOpen, msPrepare, msPoll, msAnswer, msClose };

inline constexpr const char* PollCommand =
    "AT+CSQ;+COPS=3,0;+COPS?;+COPS=3,2;+COPS?;+CREG?;+CPAS\r";

// Unanswered preparation commands after which the window says that nothing answers.
inline constexpr int kSilentResends = 3;
// How long the status bar says why an operator switch ended without an "OK".
inline constexpr int kSwitchMessageMs = 10000;
// How long a switch (AT+COPS=0 or =1) is awaited, and said to be under way at most.
inline constexpr int kSwitchWaitMs = 60000;

class ModemMonitor {
public:
    // Binds the machine's handlers to `distTop` and to the port's link. The distributor must
    // already be bound to that link and to its timer.
    ModemMonitor(VTolmTopDistributor& distTop, IModemPort& port, IModemView& view);
    ~ModemMonitor();

    ModemMonitor(const ModemMonitor&) = delete;
    ModemMonitor& operator=(const ModemMonitor&) = delete;

    void RunMachine();
    void EnterState(int state);

    // Shows ShownStatus in the window.
    void RefreshDisplay();

    // Typed bytes from the debug terminal.
    void TermSendData(const std::string& data);
    // Fills the operator group from the table in `settingsFolder`, writing the default table
    // first when there is none; what goes wrong is said in the terminal in one line.
    void LoadOperators(const std::string& settingsFolder);
    // A click on item `index` of the operator group, whose text is `itemText`.
    void rgpOperatorsClick(int index, const std::string& itemText);
    // Asks the modem for the networks it finds (AT+COPS=?) at the end of the current cycle,
    // in the place of an operator switch; the view hears NetworkScanStarted and, up to
    // kNetworkScanMs later, NetworkScanEnded. A request while one is pending or under way is
    // ignored.
    void RequestNetworkScan();
    // Stops waiting for the scan: the view hears NetworkScanEnded with Cancelled at once, and
    // polling goes on once the modem has ended the aborted command.
    void CancelNetworkScan();
    // A scan is asked for or under way.
    bool NetworkScanBusy() const;

    // The "Debug terminal" menu entry: show all traffic.
    bool DebugTraffic = false;
    // A port lost while open (its device vanished) is tried again every second and prepared
    // anew once it returns. Off, a lost port stays failed, without retries, until the next
    // EnterState(msInit) (a port chosen again).
    bool ReconnectLostPort = true;

    // Inspection (tests, the window).
    TMachineState State() const { return State_; }
    int Step() const { return Step_; }
    bool PortLost() const { return PortLost_; }
    // True from the loss of an open port until it opens again.
    bool WaitingForPort() const { return WaitingForPort_; }
    bool EchoTraffic() const { return EchoTraffic_; }
    const std::string& Manufacturer() const { return Manufacturer_; }
    const std::string& Model() const { return Model_; }
    const std::string& PendingOperator() const { return PendingOperator_; }
    const TModemStatus& WorkStatus() const { return WorkStatus_; }
    TModemStatus ShownStatus() const;
    std::uint64_t CompletedCycles() const { return CompletedCycles_; }
    const TLineFraming& Framing() const { return Framing_; }
    // True while the window says that nothing answers on the open port.
    bool SilentPortHint() const { return SilentHint_; }
    // The modem answered AT^MONI with an error: its radio is asked with RadioCommands().
    bool CellMonitorRefused() const { return MoniRefused_; }
    // The radio queries still sent on this connection (none while AT^MONI answers).
    std::vector<std::string> RadioCommands() const;

private:
    // Handlers bound to the distributor and the port.
    void distTopComRecvDecode(VTolmGeneralDistributor* Sender, Tick& TheTime);
    void distTopComRecvPoll(VTolmGeneralDistributor* Sender, Tick& TheTime, const std::string& Data,
                            bool& processed);
    void distTopTimeout(VTolmGeneralDistributor* Sender, Tick& TheTime);
    void distTopComSendTransfer(VTolmGeneralDistributor* Sender, Tick TheTime,
                                const std::string& Data, VTolmGeneralDistributor* Lowest,
                                bool failed);
    void LyrComm321StateChange(TObject* Sender, TCommState State);

    void RunStep();
    void StepOpen();
    void TryOpen();
    void StepPrepare();
    void StepPoll();
    void StepAnswer();
    void StepClose();
    // Says that the open port was lost, and why; false when it is to stay failed.
    bool NoteLostPort();
    // Leaves the lost port failed, without retries, until EnterState.
    void StayFailed();
    // Nothing of the old connection stays on screen while the port is closed, failing or
    // switched: the status is cleared as a cycle clears it and the history marks the gap.
    void ForgetReadings();
    // The machine has the port open (a failure now is a lost device, not a failed open).
    bool HoldsPort() const;

    // The parts of a poll cycle (StepPoll), each for its hundred of steps.
    void PollStatus();
    void TakePollReply();
    void PollCells();
    // A line of a cell listing; `serving` for AT^MONI, else AT^MONP.
    void TakeCellReply(bool serving);
    // The end of the cell listings: the radio queries of a modem without AT^MONI, or on.
    void EndCells();
    // The queries of the modem's kind, for a modem that refused AT^MONI: step 500 asks the
    // next one of the cycle, 501 takes its reply.
    void LearnRadio();
    void PollRadio();
    // Says once which queries stand in for the missing AT^MONI.
    void SayRadioQueries();
    void SwitchOperator();
    // The network scan (steps 310 and 311, in ModemMonitorScan.cpp).
    void StartScan();
    void TakeScanReply();
    void EndScan(TNetworkScanResult result);
    // A scan asked for or under way ends unanswered: the port went.
    void DropScan(const std::string& why);
    void EndCycle();
    // An unsolicited registration line updates the status; false for any other line.
    bool TakeUnsolicited(const std::string& line);

    // The helpers the steps share.
    // A line of the machine's own in the terminal, shown whatever EchoTraffic says.
    void TermLine(const std::string& text);
    void Next(int step, bool runAgain);
    bool LineBeginsWith(const char* prefix) const;
    bool CheckPortLost();
    // The identification steps: `command` fills `field`, the "OK" goes to `nextStep`.
    void Identify(int baseStep, const char* command, std::string& field, int nextStep);
    void ShowDevice();
    // The operator switch ended without an "OK": say why, and give the group back.
    void EndSwitch(const std::string& why);
    std::string SwitchTarget() const;
    // The port was chosen anew: a switch under way is no longer said nor awaited.
    void DropSwitch();
    // The silent-port hint: a preparation command went unanswered / the modem said something.
    void NoteSilence();
    void NoteAnswer();
    void ClearSilentHint();
    void ClearShown();
    void CopyToShown();
    // Checks the operator group's item of the shown selection, unless a switch is pending.
    void ShowSelection();

    VTolmTopDistributor& distTop_;
    IModemPort& port_;
    IModemView& view_;
    // Every command of the dialogue, and every wait, goes through it.
    TAtExchange Exchange_;

    TMachineState State_ = msInit;
    int Step_ = 0;
    bool RunAgain_ = false;
    bool PortLost_ = false;
    bool DeviceLost_ = false;
    bool WaitingForPort_ = false;
    // Nothing has been shown since the readings were last forgotten (or the program began).
    bool ReadingsForgotten_ = true;
    bool FirstLine_ = false;
    std::string Manufacturer_;
    std::string Model_;
    std::uint32_t PendingReplies_ = 0;
    int NeighbourCount_ = 0;
    bool MoniRefused_ = false;
    bool MonpRefused_ = false;
    bool MoniAnswered_ = false;
    bool MonpAnswered_ = false;
    TRadioQueryPlan RadioPlan_;
    std::string PendingOperator_;
    std::string SwitchingTo_; // the operator of the switch under way
    // The operator group's items as the view has them, and the technology the panels keep.
    std::vector<std::string> OperatorItems_;
    TAccessTech LayoutTech_ = TAccessTech::Unknown;
    bool ScanRequested_ = false;
    bool Scanning_ = false;     // AT+COPS=? sent, its end awaited (step 310)
    bool AbortingScan_ = false; // cancelled, the end of the aborted command awaited (311)
    bool EchoTraffic_ = true;
    std::recursive_mutex MachineLock_;

    TModemStatus WorkStatus_;
    TModemStatus ShownStatus_;
    mutable std::recursive_mutex ShownLock_;
    int LastServingChannel_ = -1;

    TLineFraming Framing_;
    bool CutLine_ = false;
    std::string LastOpenReason_;
    std::string PortName_;
    int SilentResends_ = 0;
    bool SilentHint_ = false;
    std::uint64_t CompletedCycles_ = 0;
};

} // namespace celdara
