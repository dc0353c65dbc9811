#include "simulator/SimSerialDevice.h"

#include "core/TickClock.h"
#include "simulator/PosixSimWait.h"

#include <algorithm>
#include <cerrno>

namespace celdara {

namespace {

// A slow line would take this long per byte at 115200 baud; the simulated modem answers
// at once, so the device only has to keep the reader from spinning.
constexpr int kMaxIdleWaitMs = 100;

class TSimSerialDevice final : public TSerialDevice {
public:
    TSimSerialDevice(TSimSerialDeviceProvider& provider, std::string portName,
                     std::shared_ptr<TSimModemPort> modem, TTickClock& clock)
        : provider_(provider), portName_(std::move(portName)), modem_(std::move(modem)),
          clock_(clock) {
        replugs_ = modem_->Replugs(clock_.Now());
        dcb_.DCBlength = sizeof(TDCB);
        dcb_.BaudRate = 115200;
        dcb_.ByteSize = 8;
        dcb_.Flags = dcbflag::fBinary;
    }
    ~TSimSerialDevice() override { provider_.Closed(portName_); }

    bool Valid() const { return wake_.Valid(); }

    bool GetDCB(TDCB& dcb) override {
        dcb = dcb_;
        return true;
    }
    bool SetDCB(const TDCB& dcb) override {
        // Like a USB modem, it takes any line settings and talks all the same.
        dcb_ = dcb;
        return true;
    }
    bool SetTimeouts(const TCommTimeouts&) override { return true; }

    TWaitResult Wait(const TStopSignal& stop, bool forWrite, int timeoutMs) override {
        if (stop.IsSet())
            return TDeviceWait::Stopped;
        if (Gone())
            return TDeviceWait::Gone;
        if (forWrite || modem_->Readable(clock_.Now()))
            return TDeviceWait::Ready;
        int wait = static_cast<int>(std::min<Tick>(modem_->TimeToNextEvent(clock_.Now()),
                                                   static_cast<Tick>(kMaxIdleWaitMs)));
        if (timeoutMs >= 0)
            wait = std::min(wait, timeoutMs);
        if (const int error = wake_.Wait(stop, wait))
            return {TDeviceWait::Failed, error};
        if (stop.IsSet())
            return TDeviceWait::Stopped;
        if (Gone())
            return TDeviceWait::Gone;
        if (modem_->Readable(clock_.Now()))
            return TDeviceWait::Ready;
        return TDeviceWait::Timeout;
    }

    long Read(void* buffer, std::size_t count, int& error) override {
        if (Gone()) {
            error = EIO;
            return -1;
        }
        const long n = modem_->Read(static_cast<char*>(buffer), count, clock_.Now());
        if (n < 0) {
            error = EIO;
            return -1;
        }
        return n;
    }

    long Write(const void* buffer, std::size_t count, int& error) override {
        if (Gone() || !modem_->Write(std::string_view(static_cast<const char*>(buffer), count),
                                     clock_.Now())) {
            error = EIO;
            return -1;
        }
        // The echo may be due at once: let a waiting reader look again.
        wake_.Notify();
        return static_cast<long>(count);
    }

    int GetModemStatus(std::uint32_t& status) override {
        if (Gone())
            return EIO;
        status = modem_->ModemStatus(clock_.Now());
        return 0;
    }
    int SetModemLine(TModemLine, bool) override { return Gone() ? EIO : 0; }
    bool GetLineCounters(TLineCounters&) override { return false; }
    long OutputQueueLength() override { return 0; }
    void Purge(bool input, bool) override {
        if (input)
            modem_->PurgeInput(clock_.Now());
    }

private:
    // A vanished modem, or one that came back meanwhile (a new device to the system), is
    // gone for this open.
    bool Gone() {
        const Tick now = clock_.Now();
        return modem_->Vanished(now) || modem_->Replugs(now) != replugs_;
    }

    TSimSerialDeviceProvider& provider_;
    std::string portName_;
    std::shared_ptr<TSimModemPort> modem_;
    TTickClock& clock_;
    TSimWakeSignal wake_;
    std::uint64_t replugs_ = 0;
    TDCB dcb_;
};

} // namespace

TSimSerialDeviceProvider::TSimSerialDeviceProvider(TTickClock& clock) : clock_(clock) {}

TSimSerialDeviceProvider::~TSimSerialDeviceProvider() = default;

void TSimSerialDeviceProvider::ListDevices(std::vector<TSerialDeviceEntry>& list) {
    list.push_back({"celdara-sim0", kVirtualModemPort});
    list.push_back({"celdara-sim1", kFaultyVirtualModemPort});
    list.push_back({"celdara-sim2", kLteVirtualModemPort});
}

bool TSimSerialDeviceProvider::OwnsPort(const std::string& portName) {
    return portName == kVirtualModemPort || portName == kFaultyVirtualModemPort ||
           portName == kLteVirtualModemPort;
}

TSimModemOptions SimDeviceOptions(const std::string& portName) {
    TSimModemOptions options;
    // The LTE device's seed keeps home service through its first cycles, so that a first
    // look sees every phase of its timetable rather than a random outage.
    options.Seed = portName == kFaultyVirtualModemPort ? 2
                   : portName == kLteVirtualModemPort  ? 30
                                                       : 1;
    options.FaultCycle = portName == kFaultyVirtualModemPort;
    // A USB modem answers a query within a few milliseconds.
    options.ReplyLatency = 5;
    if (portName == kLteVirtualModemPort) {
        // A 5G module, so that its timetable's NSA phase shows the NR leg.
        options.Dialect = "quectel";
        options.Model = "RM500Q-GL";
        options.Phases = SimLteTimetable();
    }
    return options;
}

std::shared_ptr<TSimModemPort> TSimSerialDeviceProvider::Modem(const std::string& portName) {
    std::lock_guard guard(lock_);
    auto& modem = modems_[portName];
    if (!modem)
        modem = std::make_shared<TSimModemPort>(SimDeviceOptions(portName), clock_.Now());
    return modem;
}

std::unique_ptr<TSerialDevice> TSimSerialDeviceProvider::OpenDevice(const std::string& portName,
                                                                    int& error) {
    if (!OwnsPort(portName)) {
        error = ENOENT;
        return nullptr;
    }
    auto modem = Modem(portName);
    {
        std::lock_guard guard(lock_);
        // One program at a time, as with a real port.
        if (open_[portName]) {
            error = EBUSY;
            return nullptr;
        }
        if (modem->Vanished(clock_.Now())) {
            error = ENOENT;
            return nullptr;
        }
        open_[portName] = true;
    }
    auto device = std::make_unique<TSimSerialDevice>(*this, portName, modem, clock_);
    if (!device->Valid()) {
        error = EMFILE;
        return nullptr; // the destructor has marked the port closed again
    }
    return device;
}

void TSimSerialDeviceProvider::Closed(const std::string& portName) {
    std::lock_guard guard(lock_);
    open_[portName] = false;
}

TSimSerialDeviceProvider& RegisterSimulatedModems() {
    static TSimSerialDeviceProvider provider(SystemTickClock());
    static const bool registered = (RegisterSerialDeviceProvider(&provider), true);
    (void)registered;
    return provider;
}

} // namespace celdara
