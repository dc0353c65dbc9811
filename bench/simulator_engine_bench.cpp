// How fast the simulated modem answers the program's poll cycle, and how fast its world
// runs when a caller jumps ahead in time.
#include "simulator/SimModem.h"

#include <benchmark/benchmark.h>

namespace {

using celdara::Tick;
using celdara::TSimModem;
using celdara::TSimModemOptions;

// One poll cycle of the program: the status poll and both cell monitors.
void BM_PollCycle(benchmark::State& state) {
    TSimModemOptions options;
    options.Echo = false;
    options.Faults.Split = state.range(0) != 0;
    Tick now = 0;
    TSimModem modem(options, now);
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const char* command : {"AT+CSQ;+COPS=3,0;+COPS?;+COPS=3,2;+COPS?;+CREG?;+CPAS\r",
                                    "AT^MONI\r", "AT^MONP\r"}) {
            modem.Receive(command, now);
            now += 200;
            for (std::string out = modem.Transmit(now); !out.empty(); out = modem.Transmit(now))
                bytes += out.size();
        }
    }
    state.counters["reply_bytes_per_cycle"] =
        benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PollCycle)->Arg(0)->Arg(1)->ArgName("split");

// An hour of world time in one jump: drift, registration, calls.
void BM_WorldHour(benchmark::State& state) {
    for (auto _ : state) {
        TSimModem modem(TSimModemOptions{}, 0);
        modem.Advance(3600u * 1000u);
        benchmark::DoNotOptimize(modem.ModemLines());
    }
}
BENCHMARK(BM_WorldHour)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
