// The serial component itself: construction, the line settings and their setters, the
// message target of its threads, assignment and class registration. The other parts of
// TLyrComm32 live in files named after them (ControlBlock, ConfigString, PortList,
// PortLifecycle, StateReports, LineEvents).
#include "serial/LyrComm32.h"

#include "core/Application.h"
#include "serial/LyrComm32Threads.h"
#include "serial/SettingChange.h"

namespace celdara {
namespace {

constexpr std::uint32_t kBaudRates[kBaudRateCount] = {
    110,   300,   600,   1200,   2400,   4800,   9600,   14400,  19200,
    38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800,
};

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

void TLyrComm32::LineSettingChanged() {
    if (IsLoading())
        return;
    if (IsOpen())
        UpdateDCB2();
    else if (autoReconnect_)
        Open();
}

void TLyrComm32::SetBaudRate(TBaudRate value) {
    if (ChangeSetting(baudRate_, value))
        LineSettingChanged();
}

void TLyrComm32::SetParity(TParity value) {
    if (ChangeSetting(parity_, value))
        LineSettingChanged();
}

void TLyrComm32::SetDataBits(TDataBits value) {
    if (ChangeSetting(dataBits_, value))
        LineSettingChanged();
}

void TLyrComm32::SetStopBits(TStopBits value) {
    if (ChangeSetting(stopBits_, value))
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

void TLyrComm32::Assign(const TObject* Source) {
    const auto* s = &AssignSource<TLyrComm32>(Source, "TLyrComm32");
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

void RegisterSerialClasses() {
    Application().RegisterClass(
        "TLyrComm32", [](TComponent* owner) -> TComponent* { return new TLyrComm32(owner); });
}
} // namespace celdara
