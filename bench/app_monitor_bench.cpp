// The whole program at work: the main window with Qt's real event loop polling a simulated
// modem. Reports poll cycles per second, the CPU share of the process and its resident
// memory at the start and at the end of the run, side by side for the built-in GSM modem,
// the built-in LTE modem, a modem of 27.007 commands only (no ^MONI) and a 5G module
// aggregating carriers (LTE B3+B7 with an n78 leg, AT+QCAINFO on the joined radio line) on a
// pseudo-terminal, next to the GSM modem on a pseudo-terminal for the same path.
//   CELDARA_MONITOR_SECONDS=600 build/release/bench/app_monitor_bench
#include "app/MainWindow.h"
#include "app/PortComboBox.h"
#include "app/QtPlatform.h"
#include "core/Application.h"
#include "simulator/SimSerialDevice.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
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

// The pseudo-terminal tool beside this benchmark, started with `options`; its terminal's
// path is what it prints first.
class SimulatorTool {
public:
    explicit SimulatorTool(const QStringList& options) {
        const QString tool =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/celdara-modem-sim");
        // The latency of the built-in modems, so that only the path differs.
        process_.start(tool,
                       options + QStringList{QStringLiteral("--latency"), QStringLiteral("5")});
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimulatorTool() {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }
    const QString& Path() const { return path_; }

private:
    QProcess process_;
    QString path_;
};

void MonitorOnePort(benchmark::State& state, const QString& port) {
    using namespace celdara;
    const QByteArray seconds = qgetenv("CELDARA_MONITOR_SECONDS");
    const int duration = seconds.isEmpty() ? 10 : seconds.toInt();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    for (auto _ : state) {
        auto* window = new TfrmMain(&Application());
        window->show();
        QCoreApplication::processEvents();
        // Chosen as the user does: from the list, or typed in for a terminal's path.
        const int index = window->cmbPort->findText(port);
        if (index >= 0) {
            window->cmbPort->setCurrentIndex(index);
            emit window->cmbPort->activated(index);
        } else {
            window->cmbPort->setEditText(port);
            emit window->cmbPort->activated(-1);
        }
        RunEventLoop(3000); // settle: port open, modem prepared, its commands learnt
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
void BuiltInPort(benchmark::State& state, const char* port) {
    MonitorOnePort(state, QString::fromLatin1(port));
}

// `options` of celdara-modem-sim, apart by blanks.
void ToolPort(benchmark::State& state, const char* options) {
    SimulatorTool tool(QString::fromLatin1(options).split(QLatin1Char(' ')));
    if (tool.Path().isEmpty()) {
        state.SkipWithError("celdara-modem-sim did not start");
        return;
    }
    MonitorOnePort(state, tool.Path());
}

BENCHMARK_CAPTURE(BuiltInPort, virtual_modem, celdara::kVirtualModemPort)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BuiltInPort, virtual_lte_modem, celdara::kLteVirtualModemPort)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ToolPort, pty_gsm, "--dialect gsm")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ToolPort, pty_3gpp, "--dialect 3gpp")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ToolPort, pty_quectel_ca,
                  "--dialect quectel --model RM500Q-GL --timetable nsa:86400")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

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
