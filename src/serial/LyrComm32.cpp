#include "serial/LyrComm32.h"

#include "core/Application.h"
#include "serial/LyrComm32Threads.h"
#include "util/Debug.h"
#include "util/TextConvert.h"
#include "util/TextCut.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

namespace celdara {
namespace {

constexpr std::uint32_t kBaudRates[kBaudRateCount] = {
    110,   300,   600,   1200,   2400,   4800,   9600,   14400,  19200,
    38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800,
};
constexpr const char* kParityTexts[] = {"None", "Odd", "Even", "Mark", "Space"};
constexpr const char* kStopBitTexts[] = {"1", "1.5", "2"};

// The extended-namespace prefix of old becomes the device folder.
constexpr std::string_view kDevicePrefix = "/dev/";

TSerialConfigDialog*& DefaultDialog() {
    static TSerialConfigDialog* dialog = nullptr;
    return dialog;
}

} // namespace

void SetDefaultSerialConfigDialog(TSerialConfigDialog* dialog) {
    DefaultDialog() = dialog;
}
TSerialConfigDialog* DefaultSerialConfigDialog() {
    return DefaultDialog();
}

std::uint32_t BaudRateValue(TBaudRate rate) {
    return kBaudRates[static_cast<int>(rate)];
}

std::uint32_t SkipEventMask(LyrComm32SkipEvent e) {
    static constexpr std::uint32_t kBits[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                              EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};
    return kBits[e];
}

// ---- sub-objects ---------------------------------------------------------------------

void LyrComm32Signals::UpdateDCB() {
    if (comm_)
        comm_->UpdateDCB();
}
void LyrComm32Signals::UpdateDCB2() {
    if (comm_)
        comm_->UpdateDCB2();
}

void LyrComm32Signals::SetDTR(bool value) {
    dtr_ = value;
    if (comm_)
        comm_->SetLine(TModemLine::DTR, value);
}

void LyrComm32Signals::SetRTS(bool value) {
    rts_ = value;
    if (comm_)
        comm_->SetLine(TModemLine::RTS, value);
}

void LyrComm32Signals::SetDTRControl(VTolmSignalControl_DTR value) {
    if (value == dtrControl_)
        return;
    dtrControl_ = value;
    UpdateDCB2();
}

void LyrComm32Signals::SetRTSControl(VTolmSignalControl_RTS value) {
    if (value == rtsControl_)
        return;
    rtsControl_ = value;
    UpdateDCB2();
}

void LyrComm32Signals::SetCTSHandshake(bool value) {
    if (value == ctsHandshake_)
        return;
    ctsHandshake_ = value;
    UpdateDCB2();
}

void LyrComm32Signals::SetDSRHandshake(bool value) {
    if (value == dsrHandshake_)
        return;
    dsrHandshake_ = value;
    UpdateDCB2();
}

void LyrComm32Signals::SetXOnOffTransmit(bool value) {
    if (value == xonOffTransmit_)
        return;
    xonOffTransmit_ = value;
    UpdateDCB();
}

void LyrComm32Signals::SetXOnOffReceive(bool value) {
    if (value == xonOffReceive_)
        return;
    xonOffReceive_ = value;
    UpdateDCB();
}

void LyrComm32Signals::Assign(const TObject* Source) {
    const auto* s = dynamic_cast<const LyrComm32Signals*>(Source);
    if (!s)
        throw EConvertError("Cannot assign to a LyrComm32Signals");
    ctsHandshake_ = s->ctsHandshake_;
    dsrHandshake_ = s->dsrHandshake_;
    dtrControl_ = s->dtrControl_;
    dtr_ = s->dtr_;
    rtsControl_ = s->rtsControl_;
    rts_ = s->rts_;
    UpdateDCB2();
}

void LyrComm32Chars::Assign(const TObject* Source) {
    const auto* s = dynamic_cast<const LyrComm32Chars*>(Source);
    if (!s)
        throw EConvertError("Cannot assign to a LyrComm32Chars");
    XOn = s->XOn;
    XOff = s->XOff;
    Evt = s->Evt;
    if (comm_)
        comm_->UpdateDCB();
}

void LyrComm32Options::Assign(const TObject* Source) {
    const auto* s = dynamic_cast<const LyrComm32Options*>(Source);
    if (!s)
        throw EConvertError("Cannot assign to a LyrComm32Options");
    EnhancedName = s->EnhancedName;
    SkipEvents = s->SkipEvents;
}

void LyrComm32Timeouts::SetTimeout(int index, std::uint32_t value) {
    if (index < 0 || index > 4 || values_[index] == value)
        return;
    values_[index] = value;
    if (comm_)
        comm_->UpdateDCB2();
}

void LyrComm32Timeouts::Assign(const TObject* Source) {
    const auto* s = dynamic_cast<const LyrComm32Timeouts*>(Source);
    if (!s)
        throw EConvertError("Cannot assign to a LyrComm32Timeouts");
    std::copy(std::begin(s->values_), std::end(s->values_), std::begin(values_));
    if (comm_)
        comm_->UpdateDCB2();
}

std::uint32_t LyrComm32Timeouts::ModemPollPeriod() const {
    return comm_ ? comm_->ModemPollPeriod() : 10;
}

void LyrComm32Timeouts::SetModemPollPeriod(std::uint32_t value) {
    if (comm_)
        comm_->SetModemPollPeriod(value);
}

// ---- the hidden window ---------------------------------------------------------------

class TLyrComm32::TMessageWindow final : public TMessageTarget {
public:
    explicit TMessageWindow(TLyrComm32& comm) : comm_(comm) {}
    void HandleMessage(TMessage& message) override { comm_.HandleMessage(message); }

private:
    TLyrComm32& comm_;
};

TMessageTarget* TLyrComm32::MessageWindow() const {
    return messageWindow_.get();
}

// ---- construction --------------------------------------------------------------------

TLyrComm32::TLyrComm32(TComponent* owner, TMessageQueue* queue, TTickClock* clock)
    : VTolmCommunicationComponent(owner), queue_(queue ? *queue : Application().MessageQueue()),
      clock_(clock ? *clock : Application().Clock()),
      messageWindow_(std::make_unique<TMessageWindow>(*this)),
      signals_(std::make_unique<LyrComm32Signals>(this)),
      chars_(std::make_unique<LyrComm32Chars>(this)),
      options_(std::make_unique<LyrComm32Options>(this)),
      timeouts_(std::make_unique<LyrComm32Timeouts>(this)),
      readTimeouts_(std::make_unique<TReadTimeouts>()), lastModemPoll_(clock_.Now()) {
    // CommPort stays empty: Linux has no COM1, and an empty name opens nothing, so
    // AutoReconnect being on from the start opens nothing either.
    autoReconnect_ = true;
}

TLyrComm32::~TLyrComm32() {
    Close();
    // Deliver what is still queued for the window (the final state report among it), so
    // that state handlers still hear of the close; then nothing may reach it any more.
    if (!IsDesigning())
        queue_.ProcessTarget(messageWindow_.get());
    queue_.RemoveTarget(messageWindow_.get());
    NotifyRemoval();
}

void TLyrComm32::Loaded() {
    VTolmCommunicationComponent::Loaded();
    if (!IsDesigning() && autoReconnect_)
        Open();
    PostStateChange(CommStateFirst);
}

// ---- settings --------------------------------------------------------------------------

void TLyrComm32::LineSettingChanged() {
    if (IsLoading())
        return;
    if (IsOpen())
        UpdateDCB2();
    else if (autoReconnect_)
        Open();
}

void TLyrComm32::SetBaudRate(TBaudRate value) {
    if (value == baudRate_)
        return;
    baudRate_ = value;
    LineSettingChanged();
}

void TLyrComm32::SetParity(TParity value) {
    if (value == parity_)
        return;
    parity_ = value;
    LineSettingChanged();
}

void TLyrComm32::SetDataBits(TDataBits value) {
    if (value == dataBits_)
        return;
    dataBits_ = value;
    LineSettingChanged();
}

void TLyrComm32::SetStopBits(TStopBits value) {
    if (value == stopBits_)
        return;
    stopBits_ = value;
    LineSettingChanged();
}

void TLyrComm32::SetCommPort(const std::string& name) {
    if (name == commPort_ && IsOpen())
        return;
    if (!IsLoading() && (IsOpen() || autoReconnect_)) {
        Close();
        commPort_ = name;
        Open();
    } else if (name != commPort_) {
        Close();
        commPort_ = name;
    }
}

void TLyrComm32::SetAutoReconnect(bool value) {
    const bool wantsOpen = value && !commPort_.empty() && !IsOpen();
    if (value != autoReconnect_ || wantsOpen) {
        autoReconnect_ = value;
        if (wantsOpen)
            Open();
    }
}

void TLyrComm32::SetLine(TModemLine line, bool raised) {
    if (IsOpen())
        device_->SetModemLine(line, raised);
}

// ---- control block -------------------------------------------------------------------

bool TLyrComm32::UpdateDCB() {
    if (!IsOpen())
        return false;
    TCommTimeouts t;
    t.ReadIntervalTimeout = timeouts_->ReadInterval();
    t.ReadTotalTimeoutMultiplier = timeouts_->ReadTotalMult();
    t.ReadTotalTimeoutConstant = timeouts_->ReadTotalConst();
    t.WriteTotalTimeoutMultiplier = timeouts_->WriteTotalMult();
    t.WriteTotalTimeoutConstant = timeouts_->WriteTotalConst();
    readTimeouts_->Interval.store(t.ReadIntervalTimeout, std::memory_order_relaxed);
    readTimeouts_->TotalMult.store(t.ReadTotalTimeoutMultiplier, std::memory_order_relaxed);
    readTimeouts_->TotalConst.store(t.ReadTotalTimeoutConstant, std::memory_order_relaxed);
    device_->SetTimeouts(t); // a refusal is ignored

    TDCB block;
    FillDCB(block);
    DebugTrace("UpdateDCB(" + commPort_ + ") pred", "achjo.");
    const bool accepted = device_->SetDCB(block);
    DebugTrace("UpdateDCB(" + commPort_ + ") po", "achjo.");
    return accepted;
}

bool TLyrComm32::UpdateDCB2() {
    DebugTrace("UpdateDCB2(" + commPort_ + ") pred", "Checht.");
    const bool result = UpdateDCB();
    DebugTrace("UpdateDCB2(" + commPort_ + ") mezi", "Checht.");
    SetLine(TModemLine::DTR, signals_->DTR());
    SetLine(TModemLine::RTS, signals_->RTS());
    DebugTrace("UpdateDCB2(" + commPort_ + ") po", "Checht.");
    return result;
}

void TLyrComm32::FillDCB(TDCB& block) {
    block = TDCB{};
    block.DCBlength = sizeof(TDCB);
    if (IsOpen())
        device_->GetDCB(block);
    block.DCBlength = sizeof(TDCB);

    // The whole flag word is replaced; parity is never checked on input.
    block.Flags = dcbflag::fBinary | dcbflag::fTXContinueOnXoff;
    block.SetDtrControl(signals_->DTRControl());
    block.SetRtsControl(signals_->RTSControl());
    block.SetFlag(dcbflag::fOutxCtsFlow, signals_->CTSHandshake());
    block.SetFlag(dcbflag::fOutxDsrFlow, signals_->DSRHandshake());
    block.SetFlag(dcbflag::fOutX, signals_->XOnOffTransmit());
    block.SetFlag(dcbflag::fInX, signals_->XOnOffReceive());

    block.XonLim = 2048;
    block.XoffLim = 512;
    block.XonChar = chars_->XOn;
    block.XoffChar = chars_->XOff;
    block.EvtChar = chars_->Evt;

    block.BaudRate = BaudRateValue(baudRate_);
    block.Parity = static_cast<std::uint8_t>(parity_);
    block.ByteSize = static_cast<std::uint8_t>(4 + static_cast<int>(dataBits_));
    block.StopBits = static_cast<std::uint8_t>(stopBits_);
}

bool TLyrComm32::SetFromDCB(const TDCB& block, bool KeepRts) {
    for (int i = 0; i < kBaudRateCount; ++i)
        if (kBaudRates[i] == block.BaudRate)
            baudRate_ = static_cast<TBaudRate>(i);
    if (block.Parity <= 4)
        parity_ = static_cast<TParity>(block.Parity);
    if (block.ByteSize >= 4 && block.ByteSize <= 8)
        dataBits_ = static_cast<TDataBits>(block.ByteSize - 4);
    if (block.StopBits <= 2)
        stopBits_ = static_cast<TStopBits>(block.StopBits);
    if (block.DtrControl() <= 2)
        signals_->dtrControl_ = static_cast<VTolmSignalControl_DTR>(block.DtrControl());
    signals_->xonOffTransmit_ = block.Flag(dcbflag::fOutX);
    signals_->xonOffReceive_ = block.Flag(dcbflag::fInX);
    if (!KeepRts)
        signals_->rtsControl_ = static_cast<VTolmSignalControl_RTS>(block.RtsControl());
    return UpdateDCB();
}

bool TLyrComm32::ShowConfigDialog(bool UseAppWindow) {
    TDCB block;
    bool ok = false;
    if (IsOpen())
        ok = device_->GetDCB(block);
    if (!ok)
        FillDCB(block);
    TSerialConfigDialog* dialog = configDialog_ ? configDialog_ : DefaultSerialConfigDialog();
    if (!dialog)
        return ok;
    switch (dialog->Execute(commPort_, block, UseAppWindow)) {
    case TConfigDialogResult::Confirmed:
        return SetFromDCB(block, false);
    case TConfigDialogResult::Cancelled:
        return true;
    case TConfigDialogResult::Failed:
        break;
    }
    return ok;
}

std::string TLyrComm32::GetConfigAsString() {
    auto quoted = [](const std::string& s) { return "\"" + s + "\""; };
    std::string lines = std::to_string(static_cast<int>(signals_->DTRControl())) + "/" +
                        BoolToText(signals_->DTR()) + " " +
                        std::to_string(static_cast<int>(signals_->RTSControl())) + "/" +
                        BoolToText(signals_->RTS());
    std::string times;
    for (int i = 0; i < 5; ++i)
        times += (i ? " " : "") + std::to_string(timeouts_->Timeout(i));
    return quoted(commPort_) + "," + quoted(std::to_string(BaudRateValue(baudRate_))) + "," +
           quoted(std::to_string(4 + static_cast<int>(dataBits_))) + "," +
           quoted(kStopBitTexts[static_cast<int>(stopBits_)]) + "," +
           quoted(kParityTexts[static_cast<int>(parity_)]) + "," + quoted(lines) + "," +
           quoted(times);
}

void TLyrComm32::SetConfigAsString(const std::string& Text) {
    std::string text = Text;
    bool changed = false;

    std::string token = CutToken(text);
    if (!token.empty() && token != "*" && token != commPort_) {
        commPort_ = token; // no reopening here; step 8 does it
        changed = true;
    }

    token = CutToken(text);
    if (!token.empty()) {
        const int rate = TextToInt(token, static_cast<int>(BaudRateValue(baudRate_)));
        for (int i = 0; i < kBaudRateCount; ++i) {
            if (static_cast<int>(kBaudRates[i]) == rate) {
                if (static_cast<TBaudRate>(i) != baudRate_) {
                    baudRate_ = static_cast<TBaudRate>(i);
                    changed = true;
                }
                break;
            }
        }
    }

    token = CutToken(text);
    if (!token.empty()) {
        const int bits = TextToInt(token, 4 + static_cast<int>(dataBits_));
        if (bits >= 4 && bits <= 8 && static_cast<TDataBits>(bits - 4) != dataBits_) {
            dataBits_ = static_cast<TDataBits>(bits - 4);
            changed = true;
        }
    }

    token = CutToken(text);
    for (int i = 0; i < 3; ++i) {
        if (token == kStopBitTexts[i]) {
            if (static_cast<TStopBits>(i) != stopBits_) {
                stopBits_ = static_cast<TStopBits>(i);
                changed = true;
            }
            break;
        }
    }

    token = CutToken(text);
    for (int i = 0; i < 5; ++i) {
        if (token == kParityTexts[i]) {
            if (static_cast<TParity>(i) != parity_) {
                parity_ = static_cast<TParity>(i);
                changed = true;
            }
            break;
        }
    }

    std::string lines = CutToken(text);
    DebugTrace("SetConfigAsString: s=" + lines, "->" + commPort_);
    if (!lines.empty()) {
        // "control/level control/level": DTR first, then RTS.
        for (int line = 0; line < 2; ++line) {
            std::string part = CutToken(lines);
            if (part.empty())
                break;
            const std::string control = CutToken(part, "/");
            if (line == 0) {
                const int c = TextToInt(control, signals_->DTRControl());
                if (c >= 0 && c <= 2 && c != signals_->DTRControl()) {
                    signals_->SetDTRControl(static_cast<VTolmSignalControl_DTR>(c));
                    changed = true;
                }
                const bool level = TextToBool(part, signals_->DTR());
                if (level != signals_->DTR()) {
                    signals_->SetDTR(level);
                    changed = true;
                }
            } else {
                const int c = TextToInt(control, signals_->RTSControl());
                if (c >= 0 && c <= 3 && c != signals_->RTSControl()) {
                    signals_->SetRTSControl(static_cast<VTolmSignalControl_RTS>(c));
                    changed = true;
                }
                const bool level = TextToBool(part, signals_->RTS());
                if (level != signals_->RTS()) {
                    signals_->SetRTS(level);
                    changed = true;
                }
            }
        }
    }
    DebugTrace(signals_->RTS() ? "SetConfigAsString: RTS=True" : "SetConfigAsString: RTS=False",
               "->" + commPort_);

    std::string times = CutToken(text);
    for (int i = 0; i < 5 && !times.empty(); ++i) {
        const std::string t = CutToken(times);
        if (t.empty())
            continue;
        const auto value =
            static_cast<std::uint32_t>(TextToInt(t, static_cast<int>(timeouts_->values_[i])));
        if (value != timeouts_->values_[i]) {
            timeouts_->values_[i] = value;
            changed = true;
        }
    }

    if (changed) {
        if (IsOpen())
            Close();
        if (autoReconnect_)
            Open();
    } else if (!IsOpen() && autoReconnect_) {
        Open();
    }
}

void TLyrComm32::Assign(const TObject* Source) {
    const auto* s = dynamic_cast<const TLyrComm32*>(Source);
    if (!s)
        throw EConvertError("Cannot assign to a TLyrComm32");
    SetAutoReconnect(s->autoReconnect_);
    SetBaudRate(s->baudRate_);
    SetDataBits(s->dataBits_);
    options_->Assign(s->options_.get());
    SetParity(s->parity_);
    signals_->Assign(s->signals_.get());
    chars_->Assign(s->chars_.get());
    SetStopBits(s->stopBits_);
    timeouts_->Assign(s->timeouts_.get());
    TreatMainChannelAsNil = s->TreatMainChannelAsNil;
    SetOnAdvancedReceiveData(s->FOnAdvancedReceiveData);
    SetOnAdvancedStateChange(s->FOnAdvancedStateChange);
    OnBreak = s->OnBreak;
    OnChangedCTS = s->OnChangedCTS;
    OnChangedDSR = s->OnChangedDSR;
    OnChangedRLSD = s->OnChangedRLSD;
    OnErrorBreak = s->OnErrorBreak;
    OnErrorFrame = s->OnErrorFrame;
    OnErrorOther = s->OnErrorOther;
    OnErrorOverrun = s->OnErrorOverrun;
    OnErrorParity = s->OnErrorParity;
    SetOnReceiveData(s->FOnReceiveData);
    OnRequestHangup = s->OnRequestHangup;
    OnRing = s->OnRing;
    OnRxChar = s->OnRxChar;
    OnRxFlag = s->OnRxFlag;
    SetOnStateChange(s->FOnStateChange);
    OnTxEmpty = s->OnTxEmpty;
}

// ---- names and ports -------------------------------------------------------------------

std::string TLyrComm32::OpenName() const {
    std::string name = commPort_;
    // A provider's port (the simulated modem) and a path are used as they are; a bare
    // device name gets the device folder in front, as an extended name got its prefix.
    if (name.empty() || name.front() == '/' || FindSerialDeviceProvider(name))
        return name;
    const Tristate enhanced = options_->EnhancedName;
    if (enhanced == TristateTrue || enhanced == TristateUnkn)
        name.insert(0, kDevicePrefix);
    return name;
}

std::string TLyrComm32::GetDeviceName(const std::string& PortName) const {
    std::string name = PortName;
    if (name.rfind(kDevicePrefix, 0) == 0)
        name.erase(0, kDevicePrefix.size());
    std::string result = "?";
    const auto list = ListSerialDevices();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->PortName == name) {
            result = it->DeviceName;
            break;
        }
    }
    return UpperCase(result);
}

bool TLyrComm32::FillPortList(TPortListBox* ComboBox) {
    std::string wanted;
    return FindPorts(ComboBox, wanted);
}

bool TLyrComm32::FindPorts(TPortListBox* ComboBox, std::string& Wanted) {
    std::vector<std::string> patterns;
    for (std::size_t start = 0; start < Wanted.size();) {
        std::size_t end = Wanted.find('\0', start);
        if (end == std::string::npos)
            end = Wanted.size();
        patterns.push_back(Wanted.substr(start, end - start));
        start = end + 1;
    }
    Wanted.clear();
    if (!ComboBox)
        return false;
    const auto devices = ListSerialDevices();
    if (devices.empty())
        return false;
    std::string text = ComboBox->Text();

    std::vector<std::string> list;
    int matches = 0;
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
        bool matched = false;
        for (const std::string& p : patterns) {
            std::size_t pos = 0;
            std::string_view pattern = p;
            if (WildcardCompare(pos, it->DeviceName, pattern, {}) == 0) {
                matched = true;
                break;
            }
        }
        if (matched) {
            if (matches == 0)
                Wanted = it->PortName;
            ++matches;
        }
        if (!it->PortName.empty())
            list.push_back(it->PortName);
    }

    if (matches == 1 && !IsOpen()) {
        text = Wanted;
        SetCommPort(Wanted);
    }
    // An empty CommPort is no port at all and is never offered.
    if (!commPort_.empty() && std::none_of(list.begin(), list.end(), [&](const std::string& p) {
            return EqualIgnoringCase(p, commPort_);
        }))
        list.push_back(commPort_);
    // As text ignoring case, the built-in devices after every system port.
    std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
        const bool ba = FindSerialDeviceProvider(a) != nullptr;
        const bool bb = FindSerialDeviceProvider(b) != nullptr;
        if (ba != bb)
            return bb;
        return LessIgnoringCase(a, b);
    });
    if (ComboBox->Items() != list)
        ComboBox->SetItems(list);
    if (ComboBox->Focused())
        return true;
    if (ComboBox->Text() != text)
        return ComboBox->SelectComboText(text);
    return true;
}

std::string TLyrComm32::LastOpenErrorText() const {
    return DescribeOpenError(lastOpenName_, lastOpenError_);
}

// ---- open and close ------------------------------------------------------------------

TCommState TLyrComm32::GetState() {
    switch (handle_) {
    case THandle::None:
        return CommStateDisconnected;
    case THandle::Invalid:
        return CommStateFailed;
    case THandle::Valid:
        return CommStateConnected;
    }
    return CommStateDisconnected;
}

bool TLyrComm32::Open() {
    if (IsDesigning()) {
        handle_ = THandle::Invalid;
        return false;
    }
    if (IsOpen()) {
        // A reopen reports no intermediate state.
        suppressStateReports_ = true;
        Close();
        suppressStateReports_ = false;
    }
    const std::string name = OpenName();
    deviceName_ = GetDeviceName(name);
    lastOpenName_ = name;

    int error = 0;
    std::unique_ptr<TSerialDevice> device;
    if (name.empty())
        error = ENOENT;
    else
        device = OpenSerialDevice(name, error);
    if (!device) {
        LogLastError(error, "Unable to open " + name + ": ");
        lastOpenError_ = error;
        deviceName_.clear();
        handle_ = THandle::Invalid;
        PostStateChange(CommStateFirst);
        return false;
    }
    lastOpenError_ = 0;
    device_ = std::move(device);
    handle_ = THandle::Valid;
    UpdateDCB2(); // a refused block still leaves a usable port

    stopEvent_ = std::make_unique<TStopSignal>();
    if (!stopEvent_->Valid()) {
        LogLastError(stopEvent_->CreateError(), "Unable to CreateEvent: ");
        Close();
        return false;
    }

    TSerialThreadContext ctx;
    ctx.Device = device_.get();
    ctx.StopEvent = stopEvent_.get();
    ctx.Queue = &queue_;
    ctx.MessageWindow = messageWindow_.get();
    ctx.LastModemPoll = &lastModemPoll_;
    ctx.Timeouts = readTimeouts_.get();
    ctx.TxPending = &txPending_;
    txPending_.store(false);

    std::uint32_t mask = 0;
    std::size_t pos = 0;
    const bool bluetooth = CutPrefix(pos, deviceName_, "BTPORT", false);
    for (int e = lyceBreak; e <= lyceTXEMPTY; ++e) {
        const auto event = static_cast<LyrComm32SkipEvent>(e);
        if (event == lyceTXEMPTY && bluetooth)
            continue;
        if (!options_->SkipEvents.Contains(event))
            mask |= SkipEventMask(event);
    }

    try {
        readThread_ = std::make_unique<TReadThread>(ctx, mask, chars_->Evt);
        readThread_->Resume();
    } catch (const std::system_error& e) {
        LogLastError(e.code().value(), "Unable to create Read thread");
        Close();
        throw ECommsError("Unable to create Read thread");
    }
    readThread_->SetPriority(5);
    try {
        writeThread_ = std::make_unique<TWriteThread>(ctx);
        writeThread_->Resume();
    } catch (const std::system_error& e) {
        LogLastError(e.code().value(), "Unable to create Write thread");
        Close();
        throw ECommsError("Unable to create Write thread");
    }
    writeThread_->SetPriority(4);

    PostStateChange(CommStateFirst);
    return true;
}

void TLyrComm32::Close() {
    ClosePort(false);
}

void TLyrComm32::ClosePort(bool Failed) {
    if (handle_ == THandle::Invalid)
        handle_ = THandle::None;
    DebugLog("Stopping the Comm");
    if (stopEvent_)
        stopEvent_->Set();
    CloseReadThread();
    CloseWriteThread();
    stopEvent_.reset();
    // Received bytes that no handler has seen are dropped. So are hang-up reports of this
    // session: one handled after a reopen would close the new port.
    queue_.RemoveMessages(messageWindow_.get(), WM_COMM_DATA);
    queue_.RemoveMessages(messageWindow_.get(), WM_COMM_HANGUP);
    deviceName_.clear();
    device_.reset();
    if (Failed) {
        handle_ = THandle::Invalid;
        PostStateChange(CommStateFailed);
    } else {
        handle_ = THandle::None;
        PostStateChange(CommStateDisconnected);
    }
}

void TLyrComm32::CloseReadThread() {
    if (!readThread_)
        return;
    DebugLog("Closing Read Thread ");
    if (device_)
        device_->Purge(true, false);
    if (!readThread_->WaitFor(10000)) {
        DebugLog("Read thread not exiting.  Terminating it.");
        readThread_->Terminate();
    }
    readThread_.reset(); // waits for the thread to end
}

void TLyrComm32::CloseWriteThread() {
    if (!writeThread_)
        return;
    DebugLog("Closing Write Thread");
    if (device_)
        device_->Purge(false, true);
    writeThread_->Queue().Post(TWriteRequest{WM_COMM_DATA, {}, 0}); // a wake-up
    if (!writeThread_->WaitFor(10000)) {
        DebugLog("Write thread not exiting.  Terminating it.");
        writeThread_->Terminate();
    }
    writeThread_.reset();
}

bool TLyrComm32::SendData(const void* Buffer, std::int32_t Length) {
    if (!writeThread_) {
        DebugLog("Write thread not created");
        return false;
    }
    if (Length < 0)
        return false;
    TWriteRequest request;
    request.Kind = WM_COMM_DATA;
    request.Count = static_cast<std::size_t>(Length);
    request.Block.resize(request.Count + 1);
    if (Length > 0)
        std::copy_n(static_cast<const std::uint8_t*>(Buffer), request.Count, request.Block.data());
    while (!writeThread_->Ready() && !writeThread_->Terminated())
        std::this_thread::yield();
    if (!writeThread_->Queue().Post(std::move(request))) {
        DebugLog("Failed to Post to Write thread. ");
        return false;
    }
    return true;
}

// ---- state reports ---------------------------------------------------------------------

void TLyrComm32::SetOnStateChange(TEventChangeState handler) {
    VTolmCommunicationComponent::SetOnStateChange(std::move(handler));
    PostStateChange(CommStateFirst);
}

void TLyrComm32::SetOnAdvancedStateChange(TAdvancedEventChangeState handler) {
    VTolmCommunicationComponent::SetOnAdvancedStateChange(std::move(handler));
    PostStateChange(CommStateFirst);
}

void TLyrComm32::PostStateChange(TCommState State) {
    if (suppressStateReports_ || IsDesigning())
        return;
    queue_.Post(messageWindow_.get(), WM_COMM_STATE, State);
}

void TLyrComm32::HandleStateReport(TCommState State) {
    if (!FOnStateChange && !FOnAdvancedStateChange)
        return;
    if (State == CommStateFirst)
        State = GetState();
    if (State == lastState_)
        return;
    lastState_ = State;
    RaiseStateChange(State);
}

// ---- modem status ----------------------------------------------------------------------

std::uint32_t TLyrComm32::PollModemStatus() {
    if (!IsOpen())
        return modemStatus_;
    const Tick now = clock_.Now();
    if (!TickElapsed(lastModemPoll_.load(std::memory_order_relaxed), modemPollPeriod_, now))
        return modemStatus_;
    std::uint32_t status = 0;
    if (device_->GetModemStatus(status) == 0) {
        lastModemPoll_.store(now, std::memory_order_release);
        SetModemStatus(status);
    } else {
        ClosePort(true); // the port is taken as lost
    }
    return modemStatus_;
}

void TLyrComm32::SetModemStatus(std::uint32_t S) {
    if (S == modemStatus_)
        return;
    const std::uint32_t old = modemStatus_;
    modemStatus_ = S;
    if ((S ^ old) & MS_RING_ON && OnRing)
        OnRing(this, (S & MS_RING_ON) != 0);
    if ((S ^ old) & MS_RLSD_ON && OnChangedRLSD)
        OnChangedRLSD(this, (S & MS_RLSD_ON) != 0);
}

// ---- messages from the threads ---------------------------------------------------------

void TLyrComm32::HandleMessage(TMessage& message) {
    switch (message.Kind) {
    case WM_COMM_DATA:
        DoReceiveData(message.Block.data(), static_cast<std::uint16_t>(message.WParam & 0xFFFF));
        break;
    case WM_COMM_HANGUP:
        if (message.WParam != 0)
            ClosePort(true);
        else if (OnRequestHangup)
            OnRequestHangup(this);
        break;
    case WM_COMM_STATE:
        HandleStateReport(static_cast<TCommState>(message.WParam));
        break;
    case WM_COMM_EVENT:
        HandleCommEvent(static_cast<std::uint32_t>(message.WParam),
                        static_cast<std::uint32_t>(message.LParam % 65536),
                        static_cast<std::uint32_t>(message.LParam / 65536));
        break;
    case WM_COMM_POLL:
        PollModemStatus();
        break;
    default:
        break;
    }
}

void TLyrComm32::HandleCommEvent(std::uint32_t mask, std::uint32_t status, std::uint32_t errors) {
    if ((mask & EV_BREAK) && OnBreak)
        OnBreak(this);
    if ((mask & EV_CTS) && OnChangedCTS)
        OnChangedCTS(this, (status & MS_CTS_ON) != 0);
    if ((mask & EV_DSR) && OnChangedDSR)
        OnChangedDSR(this, (status & MS_DSR_ON) != 0);
    if (errors != 0 && (mask & EV_ERR)) {
        if ((errors & CE_FRAME) && OnErrorFrame)
            OnErrorFrame(this);
        if ((errors & CE_OVERRUN) && OnErrorOverrun)
            OnErrorOverrun(this);
        if ((errors & CE_RXPARITY) && OnErrorParity)
            OnErrorParity(this);
        if ((errors & CE_BREAK) && OnErrorBreak)
            OnErrorBreak(this);
        errors &= ~(CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_BREAK);
        if (errors != 0 && OnErrorOther)
            OnErrorOther(this, errors);
    }
    SetModemStatus(status);
    if ((mask & EV_RXCHAR) && OnRxChar)
        OnRxChar(this);
    if ((mask & EV_RXFLAG) && OnRxFlag)
        OnRxFlag(this);
    if ((mask & EV_TXEMPTY) && OnTxEmpty)
        OnTxEmpty(this);
}

void RegisterSerialClasses() {
    Application().RegisterClass(
        "TLyrComm32", [](TComponent* owner) -> TComponent* { return new TLyrComm32(owner); });
}

} // namespace celdara
