#include "modem/ModemMonitor.h"

#include "modem/OperatorTable.h"
#include "modem/Registration.h"
#include "modem/ReplyParsers.h"
#include "util/TextConvert.h"

namespace celdara {

namespace {

// Bits of the poll replies still awaited.
constexpr std::uint32_t kAwaitCsq = 1, kAwaitCops = 2, kAwaitCreg = 4, kAwaitCpas = 8,
                        kAwaitOk = 16;
constexpr std::uint32_t kAwaitAll = kAwaitCsq | kAwaitCops | kAwaitCreg | kAwaitCpas | kAwaitOk;

// The replies of PollCommand: how each begins, the bit it clears and its parser.
struct TPollReply {
    const char* Prefix;
    std::uint32_t Awaited;
    void (*Parse)(std::string_view line, TModemStatus& status);
};
constexpr TPollReply kPollReplies[] = {
    {"+CSQ:", kAwaitCsq, &ParseSignalQuality},
    {"+COPS:", kAwaitCops, &ParseOperator},
    {"+CREG:", kAwaitCreg, &ParseRegistration},
    {"+CPAS:", kAwaitCpas, &ParsePhoneActivity},
};

// The end of ATA: a call is answered with "OK" or "CONNECT ...", or it failed; the words may
// come inside a longer line.
bool AnswerEnded(const std::string& line) {
    if (line.rfind("OK", 0) == 0)
        return true;
    for (const char* word : {"CONNECT", "ERROR", "NO CARRIER", "NO DIALTONE"})
        if (line.find(word) != std::string::npos)
            return true;
    return false;
}

} // namespace

ModemMonitor::ModemMonitor(VTolmTopDistributor& distTop, IModemPort& port, IModemView& view)
    : distTop_(distTop), port_(port), view_(view), Exchange_(distTop, view) {
    distTop_.SetOnComRecvDecode(
        TDistributorPollProc::Bind<&ModemMonitor::distTopComRecvDecode>(this));
    distTop_.SetOnComRecvPoll(TDistributorDataProc::Bind<&ModemMonitor::distTopComRecvPoll>(this));
    distTop_.OnTimeout = TDistributorPollProc::Bind<&ModemMonitor::distTopTimeout>(this);
    distTop_.SetOnComSendTransfer(
        TDistributorTransferProc::Bind<&ModemMonitor::distTopComSendTransfer>(this));
    port_.Link().SetOnStateChange(
        TEventChangeState::Bind<&ModemMonitor::LyrComm321StateChange>(this));
    ClearModemStatus(WorkStatus_);
    ClearModemStatus(ShownStatus_);
}

ModemMonitor::~ModemMonitor() {
    distTop_.SetTimeout(-1);
    distTop_.SetOnComRecvDecode({});
    distTop_.SetOnComRecvPoll({});
    distTop_.OnTimeout = {};
    distTop_.SetOnComSendTransfer({});
    port_.Link().SetOnStateChange({});
}

void ModemMonitor::distTopComRecvDecode(VTolmGeneralDistributor*, Tick&) {
    // One message per line (TLineFraming says where it ends).
    const std::string* buffer = distTop_.GetComBuffer(0);
    if (!buffer)
        return;
    const TLineFraming::TClaim claim = Framing_.Next(*buffer);
    if (claim.Length == 0)
        return;
    CutLine_ = claim.Cut;
    distTop_.SetComLength(0, static_cast<int>(claim.Length));
    distTop_.SetComFailed(0, false);
}

void ModemMonitor::distTopComRecvPoll(VTolmGeneralDistributor*, Tick&, const std::string& Data,
                                      bool& processed) {
    if (processed)
        return;
    if (CutLine_) {
        // Noise or a line without an end: shown as what it is, never taken for a reply.
        CutLine_ = false;
        view_.AddLine(std::string(Trim(Data)) + " [cut: no line end within " +
                          std::to_string(TLineFraming::kMaxLineBytes) + " bytes]",
                      kTermKindEvent);
        return;
    }
    const std::string line(Trim(Data));
    if (EchoTraffic_ || DebugTraffic)
        view_.AddLine(line, kTermKindEvent);
    if (!line.empty())
        NoteAnswer();
    // A registration the modem reports by itself is news, never the reply of the command in
    // flight: taken as one it would end a step early or be read in the wrong form.
    if (TakeUnsolicited(line))
        return;
    Exchange_.Take(line);
    RunMachine();
}

bool ModemMonitor::TakeUnsolicited(const std::string& line) {
    const std::optional<TRegistration> registration = ParseRegistrationLine(line);
    if (!registration || !registration->Unsolicited)
        return false;
    ApplyRegistration(*registration, WorkStatus_);
    std::lock_guard lock(ShownLock_);
    ApplyRegistration(*registration, ShownStatus_);
    return true;
}

void ModemMonitor::distTopTimeout(VTolmGeneralDistributor*, Tick&) {
    Exchange_.TimeOut();
    RunMachine();
}

void ModemMonitor::distTopComSendTransfer(VTolmGeneralDistributor*, Tick, const std::string& Data,
                                          VTolmGeneralDistributor*, bool) {
    if (EchoTraffic_ || DebugTraffic)
        view_.AddString(Data, kTermKindSent);
}

void ModemMonitor::LyrComm321StateChange(TObject*, TCommState State) {
    if (State == CommStateDisconnected) {
        PortLost_ = true;
    } else if (State == CommStateFailed && HoldsPort()) {
        PortLost_ = true;
        DeviceLost_ = true;
        // The step under way may wait up to a minute for a reply that cannot come; the
        // next tick lets the machine see the loss instead. Not run here: this report may
        // come from inside a step (ProcessMessages).
        Exchange_.Hurry();
    }
    view_.ShowPortState(State);
}

bool ModemMonitor::HoldsPort() const {
    return State_ == msPrepare || State_ == msPoll || State_ == msAnswer;
}

void ModemMonitor::TermSendData(const std::string& data) {
    EchoTraffic_ = true;
    distTop_.SendComData(data);
}

void ModemMonitor::rgpOperatorsClick(int index, const std::string& itemText) {
    if (index == 0) {
        PendingOperator_ = "AUTO";
        view_.SetOperatorGroupEnabled(false);
        return;
    }
    std::size_t a = itemText.find('(');
    if (a == std::string::npos)
        return;
    std::size_t b = itemText.find(')', a + 1);
    if (b == std::string::npos)
        return;
    PendingOperator_ = itemText.substr(a + 1, b - a - 1);
    view_.SetOperatorGroupEnabled(false);
}

void ModemMonitor::LoadOperators(const std::string& settingsFolder) {
    std::string error;
    if (!OperatorTableExists(settingsFolder) && !WriteDefaultOperatorTable(settingsFolder, error))
        TermLine("  " + error);
    std::vector<std::string> items = LoadOperatorTable(settingsFolder, error);
    if (!error.empty())
        TermLine("  " + error);
    view_.SetOperatorItems(items);
    OperatorItems_ = std::move(items);
    view_.SetOperatorGroupEnabled(true);
}

TModemStatus ModemMonitor::ShownStatus() const {
    std::lock_guard lock(ShownLock_);
    return ShownStatus_;
}

void ModemMonitor::ClearShown() {
    std::lock_guard lock(ShownLock_);
    ClearModemStatus(ShownStatus_);
}

void ModemMonitor::CopyToShown() {
    std::lock_guard lock(ShownLock_);
    ShownStatus_ = WorkStatus_;
}

void ModemMonitor::RefreshDisplay() {
    std::lock_guard lock(ShownLock_);
    view_.SetGraphSample(GraphSampleOf(ShownStatus_, LastServingChannel_));
    view_.SetStatusPanel(kPanelOperator, OperatorPanelText(ShownStatus_));
    const TAccessTech layout = LayoutTechOf(ShownStatus_, LayoutTech_);
    view_.SetCellGrid(CellGridOf(ShownStatus_, layout));
    view_.SetRadioPanel(RadioPanelOf(ShownStatus_, layout));
    view_.SetConnectionLabel(ConnectionLabelText(ShownStatus_));
    ShowSelection();
}

void ModemMonitor::ShowSelection() {
    // The user's pick stays checked from the click until a cycle after the switch tells
    // the modem's own selection.
    if (ShownStatus_.SelectionModeValid)
        SwitchingTo_.clear();
    if (PendingOperator_.empty() && SwitchingTo_.empty())
        view_.SetOperatorChecked(CheckedOperatorOf(ShownStatus_, OperatorItems_));
}

void ModemMonitor::RunMachine() {
    std::lock_guard lock(MachineLock_);
    RunAgain_ = true;
    while (RunAgain_) {
        RunAgain_ = false;
        RunStep();
    }
}

void ModemMonitor::EnterState(int state) {
    Exchange_.Stop();
    State_ = static_cast<TMachineState>(state);
    Step_ = 0;
    RunMachine();
}

void ModemMonitor::RunStep() {
    switch (State_) {
    case msInit:
        TermLine("machine: INIT");
        ClearModemStatus(WorkStatus_);
        PendingOperator_.clear();
        DropSwitch();
        DropScan("the port was chosen anew");
        DeviceLost_ = false;
        WaitingForPort_ = false;
        EnterState(msOpen);
        break;
    case msOpen:
        StepOpen();
        break;
    case msPrepare:
        StepPrepare();
        break;
    case msPoll:
        StepPoll();
        break;
    case msAnswer:
        StepAnswer();
        break;
    case msClose:
        StepClose();
        break;
    default:
        EnterState(msInit);
        break;
    }
}

void ModemMonitor::StepClose() {
    // Step 1 is a lost port that stays failed: only EnterState leaves it.
    if (Step_ != 0)
        return;
    TermLine("machine: CLOSE");
    DropScan("the port was closed");
    EchoTraffic_ = true;
    VTolmCommunicationComponent& link = port_.Link();
    const bool deviceLost = DeviceLost_;
    DeviceLost_ = false;
    ForgetReadings();
    view_.SetStatusPanel(kPanelPort, PortName_ + " closed");
    // A lost port is closed already; closing it again would report it merely closed, and
    // the port box would no longer show it failed.
    if (!deviceLost || link.IsOpen())
        link.Close();
    if (deviceLost && !NoteLostPort()) {
        StayFailed();
        return;
    }
    EnterState(msOpen);
}

void ModemMonitor::StayFailed() {
    Exchange_.Stop();
    WaitingForPort_ = false;
    PortLost_ = false;
    view_.SetStatusPanel(kPanelPort, PortName_ + " lost");
    State_ = msClose;
    Next(1, false);
}

void ModemMonitor::ForgetReadings() {
    // The retries of a failing port leave one gap in the history, not one a second.
    if (ReadingsForgotten_)
        return;
    ReadingsForgotten_ = true;
    ClearModemStatus(WorkStatus_);
    ClearShown();
    // Whatever answers next is identified anew, and shown in its own technology's layout.
    Manufacturer_.clear();
    Model_.clear();
    LayoutTech_ = TAccessTech::Unknown;
    view_.SetStatusPanel(kPanelDevice, "");
    // The refresh's sample of a cleared status is the history's gap.
    RefreshDisplay();
}

bool ModemMonitor::NoteLostPort() {
    const std::string reason = port_.LostReason();
    TermLine("  Port " + PortName_ + " lost" + (reason.empty() ? "" : ": " + reason) + ".");
    if (!ReconnectLostPort)
        return false;
    WaitingForPort_ = true;
    view_.SetStatusPanel(kPanelPort, "Waiting for " + PortName_ + " to return");
    return true;
}

void ModemMonitor::TermLine(const std::string& text) {
    Exchange_.Tell(text);
}

void ModemMonitor::Next(int step, bool runAgain) {
    Step_ = step;
    if (runAgain)
        RunAgain_ = true;
}

bool ModemMonitor::LineBeginsWith(const char* prefix) const {
    return Exchange_.LastLineBeginsWith(prefix);
}

bool ModemMonitor::CheckPortLost() {
    if (!PortLost_)
        return false;
    EnterState(msClose);
    return true;
}

void ModemMonitor::StepOpen() {
    switch (Step_) {
    case 0:
        EchoTraffic_ = true;
        TermLine("machine: OPEN");
        Next(1, true);
        break;
    case 1:
        TryOpen();
        break;
    case 2:
        if (!Exchange_.TimedOut())
            break;
        Exchange_.Stop();
        // Reconnecting was turned off while the lost port was awaited.
        if (WaitingForPort_ && !ReconnectLostPort)
            StayFailed();
        else
            Next(1, true);
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::TryOpen() {
    VTolmCommunicationComponent& link = port_.Link();
    if (link.IsOpen())
        link.Close();
    const std::string name = view_.PortBoxText();
    ForgetReadings();
    ClearSilentHint();
    PortName_ = name;
    port_.SetCommPort(name);
    // Waiting for a lost port, the retries go quietly: the loss has been said once.
    if (!WaitingForPort_)
        TermLine("  Opening port \"" + name + "\".");
    view_.ProcessMessages();
    if (!WaitingForPort_)
        view_.SetStatusPanel(kPanelPort, name);
    if (link.Open()) {
        TermLine(WaitingForPort_ ? "  Port " + name + " is back."
                                 : "  Success. Port \"" + name + "\" opened.");
        if (WaitingForPort_)
            view_.SetStatusPanel(kPanelPort, name);
        WaitingForPort_ = false;
        LastOpenReason_.clear();
        PortLost_ = false;
        ReadingsForgotten_ = false;
        EnterState(msPrepare);
    } else {
        std::string reason = port_.OpenFailureReason();
        if (!WaitingForPort_) {
            view_.SetStatusPanel(kPanelPort,
                                 "Cannot open " + name + (reason.empty() ? "" : ": " + reason));
            TermLine("  Error while opening " + name + ".");
            // The reason, once for each new one: retries every second would bury the
            // terminal under the same explanation.
            if (!reason.empty() && reason != LastOpenReason_)
                TermLine("  " + reason);
        }
        LastOpenReason_ = reason;
        Exchange_.Wait(1000);
        Next(2, false);
    }
}

void ModemMonitor::ShowDevice() {
    view_.SetStatusPanel(kPanelDevice, "Device: " + Manufacturer_ + " " + Model_);
}

void ModemMonitor::NoteSilence() {
    // Said once, after a few resends: a UART with nothing on it (or a modem port that is not
    // the AT port) never answers, and the user would otherwise see only an empty window.
    if (++SilentResends_ != kSilentResends)
        return;
    SilentHint_ = true;
    TermLine("  Nothing answers on port \"" + PortName_ +
             "\". Is a modem attached and switched on? Choose another port, or the built-in "
             "simulated modem \"virtual-modem\".");
    view_.SetStatusPanel(kPanelDevice,
                         "No answer on " + PortName_ + ": choose another port or virtual-modem");
}

void ModemMonitor::NoteAnswer() {
    SilentResends_ = 0;
    if (!SilentHint_)
        return;
    TermLine("  Port \"" + PortName_ + "\" answers now.");
    ClearSilentHint();
}

void ModemMonitor::ClearSilentHint() {
    SilentResends_ = 0;
    if (!SilentHint_)
        return;
    SilentHint_ = false;
    if (Manufacturer_.empty() && Model_.empty())
        view_.SetStatusPanel(kPanelDevice, "Device: ?");
    else
        ShowDevice();
}

void ModemMonitor::Identify(int baseStep, const char* command, std::string& field, int nextStep) {
    if (Step_ == baseStep) {
        FirstLine_ = true;
        Exchange_.Send(command, 2000);
        Next(baseStep + 1, false);
        return;
    }
    if (Exchange_.TimedOut()) {
        Exchange_.Stop();
        NoteSilence();
        Next(baseStep, true);
        return;
    }
    std::string line(Trim(Exchange_.LastLine()));
    if (line.empty())
        return;
    // A bare "OK" before any answer is the late result of a command sent again after its
    // wait (a slow AT+COPS=0), not a name.
    if (FirstLine_ && line == "OK")
        return;
    if (FirstLine_) {
        field = line;
        ShowDevice();
        FirstLine_ = false;
    } else if (LineBeginsWith("OK")) {
        Exchange_.Stop();
        if (nextStep < 0) {
            LearnRadio();
            EnterState(msPoll);
        } else
            Next(nextStep, true);
    }
}

void ModemMonitor::StepPrepare() {
    if (CheckPortLost())
        return;
    switch (Step_) {
    case 0:
        ClearShown();
        EchoTraffic_ = true;
        TermLine("machine: PREPARE");
        Exchange_.Send("ATE0+COPS=0\r", 2000);
        Next(1, false);
        break;
    case 1:
        if (Exchange_.TimedOut()) {
            Exchange_.Stop();
            NoteSilence();
            Next(0, true);
        } else if (LineBeginsWith("OK")) {
            Exchange_.Stop();
            Next(10, true);
        }
        break;
    case 10:
    case 11:
        Identify(10, "AT+CGMI\r", Manufacturer_, 20);
        break;
    case 20:
    case 21:
        Identify(20, "AT+CGMM\r", Model_, -1);
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::StepPoll() {
    if (CheckPortLost())
        return;
    // The cycle's steps go by hundreds: the status poll, the serving and the neighbour
    // cells, a pending operator switch, the end of the cycle.
    switch (Step_ / 100) {
    case 0:
        PollStatus();
        break;
    case 1:
    case 2:
        PollCells();
        break;
    case 3:
        SwitchOperator();
        break;
    case 4:
        EndCycle();
        break;
    case 5:
        PollRadio();
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::PollStatus() {
    switch (Step_) {
    case 0:
        EchoTraffic_ = false;
        ClearModemStatus(WorkStatus_);
        Exchange_.Wait(10);
        Next(1, false);
        break;
    case 1:
        if (Exchange_.TimedOut())
            Next(2, true);
        break;
    case 2:
        Exchange_.Send(PollCommand, 500);
        PendingReplies_ = 255;
        Next(3, false);
        break;
    case 3:
        if (Exchange_.TimedOut()) {
            view_.SetGraphValue(-1);
            Exchange_.Stop();
            WorkStatus_.LevelValid = false;
            WorkStatus_.BitErrorsValid = false;
            WorkStatus_.RegStateValid = false;
            WorkStatus_.ActivityValid = false;
            WorkStatus_.OperatorNameValid = false;
            Next(400, true);
            break;
        }
        TakePollReply();
        if ((PendingReplies_ & kAwaitAll) == 0) {
            Exchange_.Stop();
            Next(100, true);
        }
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::TakePollReply() {
    for (const TPollReply& reply : kPollReplies) {
        if (LineBeginsWith(reply.Prefix)) {
            PendingReplies_ &= ~reply.Awaited;
            reply.Parse(Exchange_.LastLine(), WorkStatus_);
        }
    }
    if (Exchange_.LastLine() == "OK")
        PendingReplies_ &= ~kAwaitOk;
}

void ModemMonitor::PollCells() {
    switch (Step_) {
    case 100:
    case 200:
        // A listing the modem refused is not asked again on this connection.
        if (Step_ == 100 && MoniRefused_) {
            Next(200, true);
            break;
        }
        if (Step_ == 200 && MonpRefused_) {
            EndCells();
            break;
        }
        EchoTraffic_ = false;
        FirstLine_ = true;
        if (Step_ == 200)
            NeighbourCount_ = 0;
        Exchange_.Send(Step_ == 100 ? "AT^MONI\r" : "AT^MONP\r", 1000);
        Next(Step_ + 1, false);
        break;
    case 101:
    case 201:
        TakeCellReply(Step_ == 101);
        break;
    case 102:
        Exchange_.Stop();
        Next(200, true);
        break;
    case 202:
        Exchange_.Stop();
        EndCells();
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::TakeCellReply(bool serving) {
    if (Exchange_.TimedOut()) {
        if (serving)
            ParseServingCell("", WorkStatus_);
        else
            ParseNeighbourCell("", -1, WorkStatus_);
        Next(Step_ + 1, true);
        return;
    }
    const std::string& line = Exchange_.LastLine();
    if (line.empty())
        return;
    if (IsFinalError(line)) {
        // A modem without the listing says so at once: no need to wait out the second.
        Exchange_.Stop();
        if (serving)
            ParseServingCell("", WorkStatus_);
        else
            ParseNeighbourCell("", -1, WorkStatus_);
        bool& refused = serving ? MoniRefused_ : MonpRefused_;
        // Only a modem that never gave the listing lacks it; a refusal in between is a
        // passing failure of a modem that has it.
        if (!(serving ? MoniAnswered_ : MonpAnswered_) && !refused) {
            refused = true;
            if (serving)
                SayRadioQueries();
        }
        Next(Step_ + 1, true);
        return;
    }
    if (FirstLine_) {
        if (LineBeginsWith("chann")) {
            FirstLine_ = false;
            (serving ? MoniAnswered_ : MonpAnswered_) = true;
        }
    } else if (LineBeginsWith("OK")) {
        Next(Step_ + 1, true);
    } else if (serving) {
        ParseServingCell(line, WorkStatus_);
    } else {
        ParseNeighbourCell(line, NeighbourCount_, WorkStatus_);
        ++NeighbourCount_;
    }
}

void ModemMonitor::EndCells() {
    if (MoniRefused_)
        RadioPlan_.StartCycle();
    Next(MoniRefused_ ? 500 : 300, true);
}

void ModemMonitor::LearnRadio() {
    MoniRefused_ = MonpRefused_ = false;
    MoniAnswered_ = MonpAnswered_ = false;
    RadioPlan_.Learn(Manufacturer_, Model_);
}

std::vector<std::string> ModemMonitor::RadioCommands() const {
    if (!MoniRefused_)
        return {};
    return RadioPlan_.Commands();
}

void ModemMonitor::SayRadioQueries() {
    const std::vector<std::string> commands = RadioCommands();
    std::string list;
    for (const std::string& command : commands)
        list += (list.empty() ? "" : ", ") + command;
    TermLine("  The modem has no AT^MONI cell listing" +
             (list.empty() ? std::string(".") : "; its radio is asked with " + list + "."));
}

void ModemMonitor::PollRadio() {
    if (Step_ == 500) {
        const std::string command = RadioPlan_.NextCommand();
        if (command.empty()) {
            Next(300, true);
            return;
        }
        EchoTraffic_ = false;
        Exchange_.Send(command, 1000);
        Next(501, false);
        return;
    }
    if (Step_ != 501) {
        Next(0, false);
        return;
    }
    if (!Exchange_.TimedOut() && Exchange_.End() == TAtEnd::Waiting)
        return;
    Exchange_.Stop();
    const std::string said = RadioPlan_.TakeReply(Exchange_, WorkStatus_);
    if (!said.empty())
        TermLine(said);
    Next(500, true);
}

std::string ModemMonitor::SwitchTarget() const {
    return SwitchingTo_ == "AUTO" ? std::string("selection") : SwitchingTo_;
}

void ModemMonitor::EndSwitch(const std::string& why) {
    TermLine("  " + why);
    view_.ShowStatusMessage(why, kSwitchMessageMs);
    view_.SetOperatorGroupEnabled(true);
    // The modem keeps its selection: the group shows it again at the next refresh.
    SwitchingTo_.clear();
}

void ModemMonitor::DropSwitch() {
    if (!SwitchingTo_.empty())
        view_.ShowStatusMessage("", 0);
    SwitchingTo_.clear();
}

void ModemMonitor::SwitchOperator() {
    switch (Step_) {
    case 300:
        EchoTraffic_ = true;
        if (PendingOperator_.empty()) {
            if (ScanRequested_)
                StartScan();
            else
                Next(400, true);
            break;
        }
        // The exchange's own wait: a time-out of the cell steps does not count against it.
        ClearShown();
        Exchange_.Send(PendingOperator_ == "AUTO" ? std::string("AT+COPS=0\r")
                                                  : "AT+COPS=1,2,\"" + PendingOperator_ + "\"\r",
                       kSwitchWaitMs);
        SwitchingTo_ = PendingOperator_;
        PendingOperator_.clear();
        // Until the switch ends: the refusal's or the time-out's sentence, or the OK's
        // clearing, takes its place.
        view_.ShowStatusMessage(SwitchingText(SwitchingTo_, OperatorItems_), kSwitchWaitMs);
        RefreshDisplay();
        Next(301, false);
        break;
    case 301:
        if (Exchange_.TimedOut()) {
            // Nothing came: the request is dropped, and the group is the user's again.
            Exchange_.Stop();
            EndSwitch("Operator " + SwitchTarget() + " did not answer within a minute.");
            Next(300, true);
        } else if (IsFinalError(Exchange_.LastLine())) {
            // A refusal is final at once; waiting out the minute would only stop the poll.
            Exchange_.Stop();
            EndSwitch("Operator " + SwitchTarget() +
                      " refused: " + ErrorResultText(Exchange_.LastLine()));
            Next(400, true);
        } else if (LineBeginsWith("OK")) {
            Exchange_.Stop();
            view_.ShowStatusMessage("", 0);
            view_.SetOperatorGroupEnabled(true);
            // What the cycle polled before the switch is not the new network's.
            ClearModemStatus(WorkStatus_);
            ClearShown();
            RefreshDisplay();
            Next(400, true);
        }
        break;
    case 310:
    case 311:
        TakeScanReply();
        break;
    default:
        Next(0, false);
        break;
    }
}

void ModemMonitor::EndCycle() {
    if (Step_ != 400) {
        Next(0, false);
        return;
    }
    CopyToShown();
    ++CompletedCycles_;
    view_.PollCycleCompleted();
    Exchange_.Stop();
    EnterState(msAnswer);
}

void ModemMonitor::StepAnswer() {
    if (CheckPortLost())
        return;
    switch (Step_) {
    case 0:
        EchoTraffic_ = true;
        Next(1, true);
        break;
    case 1:
        Next(port_.IsRinging() ? 2 : 100, true);
        break;
    case 2:
        EchoTraffic_ = true;
        // The exchange's own wait: a time-out of the poll before does not count against it.
        Exchange_.Send("ATA\r", 60000);
        Next(3, false);
        break;
    case 3:
        if (Exchange_.TimedOut() || AnswerEnded(Exchange_.LastLine())) {
            Exchange_.Stop();
            Next(100, true);
        }
        break;
    case 100:
        Exchange_.Stop();
        EnterState(msPoll);
        break;
    default:
        Next(0, false);
        break;
    }
}

} // namespace celdara
