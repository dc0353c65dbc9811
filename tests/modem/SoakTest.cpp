// A day of simulated time against the simulated modem, faults switched on for part of every
// hour: the machine must still be polling at the end and nothing may grow without bound.
#include "MonitorFixture.h"
#include "simulator/SimModem.h"

namespace celdara::testing {
namespace {

// The simulated modem behind the link, driven by the test's clock.
class SimLink : public VTolmCommunicationComponent {
public:
    SimLink(TComponent* owner, TTickClock& clock)
        : VTolmCommunicationComponent(owner), clock_(clock), modem(Options(), clock.Now()) {}
    ~SimLink() override { NotifyRemoval(); }

    static TSimModemOptions Options() {
        TSimModemOptions options;
        options.Seed = 24;
        return options;
    }

    std::string GetConfigAsString() override { return {}; }
    void SetConfigAsString(const std::string&) override {}
    bool Open() override {
        open_ = true;
        RaiseStateChange(CommStateConnected);
        return true;
    }
    void Close() override {
        open_ = false;
        RaiseStateChange(CommStateDisconnected);
    }
    bool SendData(const void* Buffer, std::int32_t Length) override {
        if (!open_)
            return false;
        modem.Receive(
            std::string_view(static_cast<const char*>(Buffer), static_cast<std::size_t>(Length)),
            clock_.Now());
        return true;
    }
    bool IsOpen() override { return open_; }
    TCommState GetState() override { return open_ ? CommStateConnected : CommStateDisconnected; }

    // What the reader thread would have delivered by now.
    void Deliver() {
        const Tick now = clock_.Now();
        modem.Advance(now);
        while (open_ && modem.HasOutput(now)) {
            std::string piece = modem.Transmit(now);
            for (std::size_t i = 0; i < piece.size(); i += 2048) {
                std::string chunk = piece.substr(i, 2048);
                DoReceiveData(chunk.data(), static_cast<std::uint16_t>(chunk.size()));
            }
        }
    }

    TTickClock& clock_;
    TSimModem modem;
    bool open_ = false;
};

class SimPort : public IModemPort {
public:
    explicit SimPort(SimLink& link) : link_(link) {}
    VTolmCommunicationComponent& Link() override { return link_; }
    void SetCommPort(const std::string&) override {}
    bool IsRinging() override { return (link_.modem.ModemLines() & kSimLineRing) != 0; }
    std::string OpenFailureReason() override { return {}; }

private:
    SimLink& link_;
};

// Counts what the window would show instead of keeping it.
class CountingView : public RecordingView {
public:
    void AddLine(const std::string&, int) override { ++lines; }
    void AddString(const std::string&, int) override { ++lines; }
    void SetGraphValue(int) override {}
    std::uint64_t lines = 0;
};

TEST(SoakTest, ADayOfPollingWithFaultsStaysBoundedAndKeepsPolling) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr Tick kDuration = 2 * 3600 * 1000; // the sanitizers run slower: two hours
#else
    constexpr Tick kDuration = 24 * 3600 * 1000;
#endif
    // Twenty minutes of every hour belong to one fault, in turn.
    const char* faults[] = {"split",  "noise=20",         "missing=+CPAS", "error=^MONP",
                            "silent", "error=+CSQ,+COPS", "split noise=5"};

    TManualTickClock clock{0xFFF00000u}; // the tick counter wraps during the run
    VTolmTopDistributor top(nullptr, &clock);
    auto* link = new SimLink(&top, clock);
    auto* timer = new TManualTimer(&top);
    timer->SetInterval(50);
    top.SetTimer(timer);
    top.SetComHandler(link);
    CountingView view;
    view.portBox = "virtual-modem";
    SimPort port(*link);
    ModemMonitor monitor(top, port, view);
    monitor.EnterState(msInit);

    std::size_t largestBuffer = 0;
    std::uint64_t cyclesInLastHour = 0;
    std::uint64_t cyclesAtHourStart = 0;
    for (Tick t = 0; t < kDuration; t += 50) {
        const Tick minuteOfHour = t / 60000 % 60;
        if (t % 60000 == 0) {
            TSimFaults chosen;
            if (minuteOfHour >= 40) {
                std::string message;
                std::string items = faults[t / 3600000 % std::size(faults)];
                for (std::size_t p = 0; p < items.size();) {
                    std::size_t e = items.find(' ', p);
                    ASSERT_TRUE(ApplySimFault(items.substr(p, e - p), chosen, message)) << message;
                    p = e == std::string::npos ? items.size() : e + 1;
                }
            }
            link->modem.SetFaults(chosen);
        }
        if (t % 3600000 == 0) {
            cyclesInLastHour = monitor.CompletedCycles() - cyclesAtHourStart;
            cyclesAtHourStart = monitor.CompletedCycles();
        }
        clock.Advance(50);
        link->Deliver();
        timer->Fire();
        largestBuffer = std::max(
            {largestBuffer, top.TopRecord(0).Buffer.size(), top.TopRecord(1).Buffer.size()});
    }

    const std::uint64_t cycles = monitor.CompletedCycles();
    std::printf("simulated %u s: %llu poll cycles, %llu terminal lines, largest buffer %zu bytes\n",
                kDuration / 1000, static_cast<unsigned long long>(cycles),
                static_cast<unsigned long long>(view.lines), largestBuffer);
    RecordProperty("cycles", std::to_string(cycles));
    // Healthy forty minutes of an hour poll several times a second.
    EXPECT_GT(cyclesInLastHour, 40u * 60u);
    EXPECT_LT(largestBuffer, 4096u);
    EXPECT_TRUE(monitor.State() == msPoll || monitor.State() == msAnswer);
    // Still polling: another cycle completes within a few seconds.
    const std::uint64_t before = monitor.CompletedCycles();
    for (int i = 0; i < 100 && monitor.CompletedCycles() == before; ++i) {
        clock.Advance(50);
        link->Deliver();
        timer->Fire();
    }
    EXPECT_GT(monitor.CompletedCycles(), before);
}

} // namespace
} // namespace celdara::testing
