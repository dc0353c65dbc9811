// The state machine's line framing under a line that never ends: 4 MB without a CR arrive
// in the reader's 2048-byte chunks at the top distributor, whose decoder is the machine's.
// Before the framing was bounded, each chunk scanned the whole backlog again.
#include "core/CommunicationComponent.h"
#include "core/TickClock.h"
#include "distributor/TopDistributor.h"
#include "modem/ModemMonitor.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace celdara;

namespace {

// A link that delivers what the benchmark gives it and swallows what is sent.
class BenchLink : public VTolmCommunicationComponent {
public:
    using VTolmCommunicationComponent::VTolmCommunicationComponent;
    ~BenchLink() override { NotifyRemoval(); }
    std::string GetConfigAsString() override { return {}; }
    void SetConfigAsString(const std::string&) override {}
    bool Open() override { return open = true; }
    void Close() override { open = false; }
    bool SendData(const void*, std::int32_t) override { return true; }
    bool IsOpen() override { return open; }
    TCommState GetState() override { return open ? CommStateConnected : CommStateDisconnected; }
    void Receive(const std::string& bytes) {
        DoReceiveData(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    }
    bool open = false;
};

class Quiet : public IModemView, public IModemPort {
public:
    explicit Quiet(BenchLink& link) : link_(link) {}
    void AddLine(const std::string&, int) override { ++lines; }
    void AddString(const std::string&, int) override {}
    void SetStatusPanel(int, const std::string&) override {}
    void SetGraphValue(int) override {}
    void SetCellGrid(const TCellGrid&) override {}
    void SetRadioPanel(const TRadioPanel&) override {}
    void SetConnectionLabel(const std::string&) override {}
    void SetOperatorGroupEnabled(bool) override {}
    void SetOperatorItems(const std::vector<std::string>&) override {}
    std::string PortBoxText() override { return "bench"; }
    void ShowPortState(TCommState) override {}
    void ProcessMessages() override {}
    VTolmCommunicationComponent& Link() override { return link_; }
    void SetCommPort(const std::string&) override {}
    bool IsRinging() override { return false; }
    std::string OpenFailureReason() override { return {}; }
    long lines = 0;

private:
    BenchLink& link_;
};

void NoLineEnd(benchmark::State& state) {
    const std::string chunk(2048, '~');
    constexpr int kChunks = 2048; // 4 MB
    VTolmTopDistributor top(nullptr, &SystemTickClock());
    auto* link = new BenchLink(&top); // owned by the distributor
    top.SetComHandler(link);
    Quiet quiet(*link);
    ModemMonitor monitor(top, quiet, quiet);
    for (auto _ : state) {
        for (int i = 0; i < kChunks; ++i)
            link->Receive(chunk);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(chunk.size()) * kChunks * state.iterations());
    state.counters["scanned/received"] =
        static_cast<double>(monitor.Framing().ScannedBytes()) /
        (static_cast<double>(chunk.size()) * kChunks * static_cast<double>(state.iterations()));
}

} // namespace

BENCHMARK(NoLineEnd)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
