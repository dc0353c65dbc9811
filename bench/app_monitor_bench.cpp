// The whole program at work: the main window with Qt's real event loop polling the built-in
// simulated modem. Reports poll cycles per second, the CPU share of the process and its
// resident memory at the start and at the end of the run.
//   CELDARA_MONITOR_SECONDS=600 build/release/bench/app_monitor_bench
#include "app/MainWindow.h"
#include "app/PortComboBox.h"
#include "app/QtPlatform.h"
#include "core/Application.h"
#include "simulator/SimSerialDevice.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Runs a real event loop, as the program does (the start-up sequence waits for one).
void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void MonitorTheSimulatedModem(benchmark::State& state) {
    using namespace celdara;
    const QByteArray seconds = qgetenv("CELDARA_MONITOR_SECONDS");
    const int duration = seconds.isEmpty() ? 10 : seconds.toInt();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    for (auto _ : state) {
        auto* window = new TfrmMain(&Application());
        window->show();
        QCoreApplication::processEvents();
        const int index = window->cmbPort->findText(kVirtualModemPort);
        window->cmbPort->setCurrentIndex(index);
        emit window->cmbPort->activated(index);
        RunEventLoop(2000); // settle: port open, modem prepared
        const double rssStart = ResidentMegabytes();
        const double cpuStart = CpuSeconds();
        const std::uint64_t cyclesStart = window->Monitor().CompletedCycles();
        RunEventLoop(duration * 1000);
        const double cpu = CpuSeconds() - cpuStart;
        const std::uint64_t cycles = window->Monitor().CompletedCycles() - cyclesStart;
        state.counters["cycles_per_s"] = static_cast<double>(cycles) / duration;
        state.counters["cpu_percent"] = 100.0 * cpu / duration;
        state.counters["rss_start_MB"] = rssStart;
        state.counters["rss_end_MB"] = ResidentMegabytes();
        state.counters["seconds"] = duration;
        window->close();
        delete window;
    }
}
BENCHMARK(MonitorTheSimulatedModem)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    celdara::InstallQtPlatform();
    celdara::RegisterSimulatedModems();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
