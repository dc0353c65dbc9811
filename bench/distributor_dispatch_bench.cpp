// Receive throughput of the top distributor: CR-terminated lines of 20 to 60 bytes arrive
// in chunks of up to 2048 bytes (what the serial reader delivers), are claimed line by line
// by the main window's decoder and reach an OnComRecvPoll handler.
#include "core/TickClock.h"
#include "distributor/TopDistributor.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace celdara;

namespace {

struct Stream {
    std::vector<std::string> chunks;
    std::size_t bytes = 0;
    std::size_t lines = 0;
};

// About 1 MB of reply lines; chunk sizes are fixed at `chunk` or, with 0, random up to 2048.
Stream MakeStream(std::size_t chunk) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> lineLength(20, 60);
    std::uniform_int_distribution<int> printable(' ', '~');
    std::uniform_int_distribution<std::size_t> chunkLength(1, 2048);
    std::string all;
    Stream s;
    while (all.size() < (1u << 20)) {
        const int n = lineLength(random);
        for (int i = 0; i < n - 1; ++i)
            all += static_cast<char>(printable(random));
        all += '\r';
        ++s.lines;
    }
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t n = std::min(all.size() - at, chunk ? chunk : chunkLength(random));
        s.chunks.push_back(all.substr(at, n));
        at += n;
    }
    s.bytes = all.size();
    return s;
}

struct Window {
    std::uint64_t lines = 0;
    std::uint64_t bytes = 0;
    // The main window's decoder: everything up to and including the first CR.
    void Decode(VTolmGeneralDistributor* sender, Tick&) {
        const std::string& buffer = *sender->GetComBuffer(0);
        const auto cr = buffer.find('\r');
        if (cr != std::string::npos) {
            sender->SetComLength(0, static_cast<int>(cr + 1));
            sender->SetComFailed(0, false);
        }
    }
    void Poll(VTolmGeneralDistributor*, Tick&, const std::string& data, bool&) {
        ++lines;
        bytes += data.size();
    }
};

void ReceiveLines(benchmark::State& state) {
    const Stream stream = MakeStream(static_cast<std::size_t>(state.range(0)));
    VTolmTopDistributor top(nullptr, &SystemTickClock());
    Window window;
    top.SetOnComRecvDecode(TDistributorPollProc::Bind<&Window::Decode>(&window));
    top.SetOnComRecvPoll(TDistributorDataProc::Bind<&Window::Poll>(&window));
    for (auto _ : state) {
        for (const std::string& chunk : stream.chunks)
            top.ComAdvancedReceiveData(nullptr, nullptr, chunk.data(),
                                       static_cast<std::uint16_t>(chunk.size()));
    }
    if (window.lines != stream.lines * static_cast<std::uint64_t>(state.iterations()))
        state.SkipWithError("lines lost on the way");
    state.SetBytesProcessed(static_cast<std::int64_t>(stream.bytes) * state.iterations());
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(stream.lines) *
                                                       static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    top.DeleteChannel(nullptr);
}

} // namespace

// 2048: full reader chunks; 0: random sizes from 1 to 2048 bytes.
BENCHMARK(ReceiveLines)->Arg(2048)->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
