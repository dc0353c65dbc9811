// The serial-port component: line settings with their control block and configuration
// string, port discovery, open and close with exclusive use, state reports through the
// message queue, modem-status polling, and the reader and writer threads.
#pragma once

#include "core/CommunicationComponent.h"
#include "core/MessageQueue.h"
#include "core/TickClock.h"
#include "serial/SerialDevice.h"
#include "serial/SerialRecords.h"
#include "serial/SerialUiSeams.h"
#include "util/Tick.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace celdara {

class TReadThread;
class TWriteThread;
struct TReadTimeouts;

// Raised by Open when a worker thread cannot be created.
class ECommsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by an assignment from an object of another class.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The source of an assignment as a T; EConvertError when it is of another class.
template <typename T>
const T& AssignSource(const TObject* Source, const char* className) {
    const auto* s = dynamic_cast<const T*>(Source);
    if (!s)
        throw EConvertError(std::string("Cannot assign to a ") + className);
    return *s;
}

enum class TBaudRate : std::uint8_t {
    ____110,
    ____300,
    ____600,
    ___1200,
    ___2400,
    ___4800,
    ___9600,
    __14400,
    __19200,
    __38400,
    __56000,
    __57600,
    _115200,
    _128000,
    _230400,
    _256000,
    _460800,
};
inline constexpr int kBaudRateCount = 17;
std::uint32_t BaudRateValue(TBaudRate rate);

enum class TParity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class TDataBits : std::uint8_t { _4, _5, _6, _7, _8 };
enum class TStopBits : std::uint8_t { _1, _1_5, _2 };

enum Tristate : std::uint8_t { TristateUnkn, TristateTrue, TristateFalse };

enum VTolmSignalControl_DTR : std::uint8_t {
    VTolmSignalControl_DTROff,
    VTolmSignalControl_DTREnable,
    VTolmSignalControl_DTRHandshake,
};
enum VTolmSignalControl_RTS : std::uint8_t {
    VTolmSignalControl_RTSOff,
    VTolmSignalControl_RTSEnable,
    VTolmSignalControl_RTSHandshake,
    VTolmSignalControl_RTSToggle,
};

enum LyrComm32SkipEvent : std::uint8_t {
    lyceBreak,
    lyceCTS,
    lyceDSR,
    lyceERR,
    lyceRING,
    lyceRLSD,
    lyceRXCHAR,
    lyceRXFLAG,
    lyceTXEMPTY,
};

// A set of LyrComm32SkipEvent (bit n for value n).
class LyrComm32SkipEvents {
public:
    LyrComm32SkipEvents() = default;
    LyrComm32SkipEvents(std::initializer_list<LyrComm32SkipEvent> events) {
        for (auto e : events)
            Include(e);
    }
    bool Contains(LyrComm32SkipEvent e) const { return (bits_ >> e) & 1u; }
    LyrComm32SkipEvents& Include(LyrComm32SkipEvent e) {
        bits_ = static_cast<std::uint16_t>(bits_ | (1u << e));
        return *this;
    }
    bool Empty() const { return bits_ == 0; }
    friend bool operator==(LyrComm32SkipEvents, LyrComm32SkipEvents) = default;

private:
    std::uint16_t bits_ = 0;
};

// The EV_ bit of each line event.
std::uint32_t SkipEventMask(LyrComm32SkipEvent e);

class TLyrComm32;

using TEventChangeLines = TEvent<void(TObject* Sender, bool Value)>;
using TEventError = TEvent<void(TObject* Sender, std::uint32_t Error)>;

// Control lines and handshakes.
class LyrComm32Signals : public TObject {
public:
    explicit LyrComm32Signals(TLyrComm32* comm = nullptr) : comm_(comm) {}
    // Copies the lines and handshakes (not the two XON/XOFF flags), then UpdateDCB2.
    void Assign(const TObject* Source);

    bool DTR() const { return dtr_; }
    void SetDTR(bool value);
    VTolmSignalControl_DTR DTRControl() const { return dtrControl_; }
    void SetDTRControl(VTolmSignalControl_DTR value);
    bool RTS() const { return rts_; }
    void SetRTS(bool value);
    VTolmSignalControl_RTS RTSControl() const { return rtsControl_; }
    void SetRTSControl(VTolmSignalControl_RTS value);
    bool CTSHandshake() const { return ctsHandshake_; }
    void SetCTSHandshake(bool value);
    bool DSRHandshake() const { return dsrHandshake_; }
    void SetDSRHandshake(bool value);
    bool XOnOffTransmit() const { return xonOffTransmit_; }
    void SetXOnOffTransmit(bool value);
    bool XOnOffReceive() const { return xonOffReceive_; }
    void SetXOnOffReceive(bool value);

private:
    friend class TLyrComm32;
    void UpdateDCB();
    void UpdateDCB2();

    TLyrComm32* comm_;
    bool dtr_ = true;
    VTolmSignalControl_DTR dtrControl_ = VTolmSignalControl_DTREnable;
    bool rts_ = true;
    VTolmSignalControl_RTS rtsControl_ = VTolmSignalControl_RTSEnable;
    bool ctsHandshake_ = false;
    bool dsrHandshake_ = false;
    bool xonOffTransmit_ = false;
    bool xonOffReceive_ = false;
};

// Flow-control and event characters; stored only, used at the next UpdateDCB.
class LyrComm32Chars : public TObject {
public:
    explicit LyrComm32Chars(TLyrComm32* comm = nullptr) : comm_(comm) {}
    void Assign(const TObject* Source);
    char XOn = 17;
    char XOff = 19;
    char Evt = 0;

private:
    TLyrComm32* comm_;
};

// Name handling and the event filter; stored only, used at the next Open.
class LyrComm32Options : public TObject {
public:
    explicit LyrComm32Options(TLyrComm32* = nullptr) {}
    void Assign(const TObject* Source);
    Tristate EnhancedName = TristateTrue;
    LyrComm32SkipEvents SkipEvents;
};

// The five port time-outs in ms, by index, and the modem-status poll period, which lives
// in the component and is only forwarded here.
class LyrComm32Timeouts : public TObject {
public:
    enum Index {
        ReadIntervalIndex,
        ReadTotalConstIndex,
        ReadTotalMultIndex,
        WriteTotalConstIndex,
        WriteTotalMultIndex
    };
    explicit LyrComm32Timeouts(TLyrComm32* comm = nullptr) : comm_(comm) {}
    // Copies the five time-outs (not ModemPollPeriod), then UpdateDCB2.
    void Assign(const TObject* Source);

    std::uint32_t Timeout(int index) const { return values_[index]; }
    void SetTimeout(int index, std::uint32_t value);
    std::uint32_t ReadInterval() const { return values_[ReadIntervalIndex]; }
    void SetReadInterval(std::uint32_t v) { SetTimeout(ReadIntervalIndex, v); }
    std::uint32_t ReadTotalConst() const { return values_[ReadTotalConstIndex]; }
    void SetReadTotalConst(std::uint32_t v) { SetTimeout(ReadTotalConstIndex, v); }
    std::uint32_t ReadTotalMult() const { return values_[ReadTotalMultIndex]; }
    void SetReadTotalMult(std::uint32_t v) { SetTimeout(ReadTotalMultIndex, v); }
    std::uint32_t WriteTotalConst() const { return values_[WriteTotalConstIndex]; }
    void SetWriteTotalConst(std::uint32_t v) { SetTimeout(WriteTotalConstIndex, v); }
    std::uint32_t WriteTotalMult() const { return values_[WriteTotalMultIndex]; }
    void SetWriteTotalMult(std::uint32_t v) { SetTimeout(WriteTotalMultIndex, v); }
    std::uint32_t ModemPollPeriod() const;
    void SetModemPollPeriod(std::uint32_t value);

private:
    friend class TLyrComm32;
    TLyrComm32* comm_;
    std::uint32_t values_[5] = {10, 0, 0, 0, 0};
};

class TLyrComm32 : public VTolmCommunicationComponent {
public:
    // The queue and clock default to the application's.
    explicit TLyrComm32(TComponent* owner, TMessageQueue* queue = nullptr,
                        TTickClock* clock = nullptr);
    ~TLyrComm32() override;

    void Loaded() override;

    // Settings (LyrComm32.cpp).
    const std::string& CommPort() const { return commPort_; }
    void SetCommPort(const std::string& name);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    bool AutoReconnect() const { return autoReconnect_; }
    void SetAutoReconnect(bool value);

    LyrComm32Signals& Signals() { return *signals_; }
    void SetSignals(const LyrComm32Signals& value) { signals_->Assign(&value); }
    LyrComm32Chars& Chars() { return *chars_; }
    void SetChars(const LyrComm32Chars& value) { chars_->Assign(&value); }
    LyrComm32Options& Options() { return *options_; }
    void SetOptions(const LyrComm32Options& value) { options_->Assign(&value); }
    LyrComm32Timeouts& Timeouts() { return *timeouts_; }
    void SetTimeouts(const LyrComm32Timeouts& value) { timeouts_->Assign(&value); }
    std::uint32_t ModemPollPeriod() const { return modemPollPeriod_; }
    void SetModemPollPeriod(std::uint32_t value) { modemPollPeriod_ = value; }

    // The control block (ControlBlock.cpp) and the configuration string (ConfigString.cpp).
    bool UpdateDCB();
    bool UpdateDCB2();
    void FillDCB(TDCB& block);
    bool SetFromDCB(const TDCB& block, bool KeepRts);
    bool ShowConfigDialog(bool UseAppWindow) override;
    // The dialog ShowConfigDialog uses (nullptr: the default one).
    void SetConfigDialog(TSerialConfigDialog* dialog) { configDialog_ = dialog; }

    std::string GetConfigAsString() override;
    void SetConfigAsString(const std::string& Text) override;
    // Copies every setting and handler but the port name from another TLyrComm32.
    void Assign(const TObject* Source);

    // Open, close and sending (PortLifecycle.cpp); state reports (StateReports.cpp).
    bool Open() override;
    void Close() override;
    void ClosePort(bool Failed);
    bool IsOpen() override { return handle_ == THandle::Valid; }
    TCommState GetState() override;
    bool SendData(const void* Buffer, std::int32_t Length) override;

    void SetOnStateChange(TEventChangeState handler) override;
    void SetOnAdvancedStateChange(TAdvancedEventChangeState handler) override;
    void PostStateChange(TCommState State);

    // Modem lines (LineEvents.cpp).
    std::uint32_t PollModemStatus();
    bool IsRinging() { return (PollModemStatus() & MS_RING_ON) != 0; }
    void SetModemStatus(std::uint32_t S);
    std::uint32_t ModemStatus() const { return modemStatus_; }

    // Port names and the port list (PortList.cpp).
    bool FillPortList(TPortListBox* ComboBox);
    // Wanted: wildcard patterns each ended by a zero character; comes back as the port name
    // of the first device that matched, or empty.
    bool FindPorts(TPortListBox* ComboBox, std::string& Wanted);
    std::string GetDeviceName(const std::string& PortName) const;
    // The name Open uses for CommPort.
    std::string OpenName() const;

    const std::string& DeviceName() const { return deviceName_; }
    // The target of the messages from the threads, handled on the main thread.
    TMessageTarget* MessageWindow() const;
    TCommState LastState() const { return lastState_; }
    // Why the last Open failed: the errno (0 after a successful open) and a sentence.
    int LastOpenError() const { return lastOpenError_; }
    std::string LastOpenErrorText() const;
    // Why the open port was lost since the last Open: the error number of the failure that
    // closed it (0 when it was not lost) and its text.
    int LostError() const { return lostError_; }
    std::string LostErrorText() const;

    // Events beyond the communication contract, raised from LineEvents.cpp.
    TNotifyEvent OnRequestHangup;
    TNotifyEvent OnBreak;
    TEventChangeLines OnChangedCTS;
    TEventChangeLines OnChangedDSR;
    TEventChangeLines OnChangedRLSD;
    TEventChangeLines OnRing;
    TNotifyEvent OnErrorFrame;
    TNotifyEvent OnErrorOverrun;
    TNotifyEvent OnErrorParity;
    TNotifyEvent OnErrorBreak;
    TEventError OnErrorOther;
    TNotifyEvent OnRxChar;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnTxEmpty;

private:
    friend class LyrComm32Signals;
    friend class LyrComm32Timeouts;
    class TMessageWindow;
    enum class THandle { None, Invalid, Valid };

    void SetLine(TModemLine line, bool raised);
    void LineSettingChanged();
    // The EV_ bits the reader reports: every event but the skipped ones.
    std::uint32_t ReaderEventMask() const;
    // Starts the reader and the writer on the open device; throws ECommsError when the
    // system will not make one.
    void StartThreads();
    // Makes and starts one worker; when the system will not, the port is closed and
    // ECommsError names the failure.
    template <typename TThread, typename TMake>
    void StartWorker(std::unique_ptr<TThread>& thread, const char* failure, TMake make);
    void CloseReadThread();
    void CloseWriteThread();
    void HandleMessage(TMessage& message);
    // The open device failed with `error`: the port is closed as failed.
    void LosePort(int error);
    void HandleStateReport(TCommState State);
    void HandleCommEvent(std::uint32_t mask, std::uint32_t status, std::uint32_t errors);

    TMessageQueue& queue_;
    TTickClock& clock_;
    std::unique_ptr<TMessageWindow> messageWindow_;
    TSerialConfigDialog* configDialog_ = nullptr;

    std::string commPort_;
    TBaudRate baudRate_ = TBaudRate::__19200;
    TParity parity_ = TParity::None;
    TDataBits dataBits_ = TDataBits::_8;
    TStopBits stopBits_ = TStopBits::_1;
    bool autoReconnect_ = true;
    std::unique_ptr<LyrComm32Signals> signals_;
    std::unique_ptr<LyrComm32Chars> chars_;
    std::unique_ptr<LyrComm32Options> options_;
    std::unique_ptr<LyrComm32Timeouts> timeouts_;
    std::uint32_t modemPollPeriod_ = 10;

    THandle handle_ = THandle::None;
    std::unique_ptr<TSerialDevice> device_;
    std::string deviceName_;
    int lastOpenError_ = 0;
    int lostError_ = 0;
    std::string lastOpenName_;
    std::unique_ptr<TStopSignal> stopEvent_;
    std::unique_ptr<TReadTimeouts> readTimeouts_;
    std::atomic<bool> txPending_{false};
    std::unique_ptr<TReadThread> readThread_;
    std::unique_ptr<TWriteThread> writeThread_;
    bool suppressStateReports_ = false;
    TCommState lastState_ = CommStateFirst;
    std::uint32_t modemStatus_ = 0;
    std::atomic<Tick> lastModemPoll_;
};

// Registers TLyrComm32 with the application, so that stored descriptions can create it by
// class name.
void RegisterSerialClasses();

} // namespace celdara
