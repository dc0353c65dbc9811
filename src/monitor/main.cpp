// celdara-monitor: the modem monitor without a window. Polls a modem on a serial port and
// prints one record per completed poll cycle, as text, CSV or JSON lines.
#include "distributor/TopDistributor.h"
#include "monitor/HeadlessMonitor.h"
#include "qtplatform/QtMessageLoop.h"
#include "serial/LyrComm32.h"
#include "serial/PortChoice.h"
#include "serial/PortSource.h"
#include "serial/SerialDevice.h"
#include "simulator/SimSerialDevice.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

using namespace celdara;

THeadlessMonitor* running = nullptr;

void Quit(int code) {
    // Queued: a failure found before the loop runs still ends it once it does.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
}

// In the program's order (a modem's AT port first), each with what udev tells of it and the
// stable name to pass on, which is the one to give as PORT.
void PrintPorts() {
    for (const TPortInfo& port : ListPorts()) {
        std::string description = port.BuiltIn ? "built-in simulated modem" : DescribePort(port);
        if (description.empty())
            description = port.Uart ? "serial port of the machine (UART)" : port.Driver;
        if (!port.ById.empty())
            description += (description.empty() ? "" : ", ") + std::string("as ") + port.ById;
        std::printf("%-24s %s\n", PortShortName(port).c_str(), description.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseMonitorOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "celdara-monitor: %s\n\n%s", error.c_str(), MonitorUsage().c_str());
        return 2;
    }
    if (options->Help) {
        std::fputs(MonitorUsage().c_str(), stdout);
        return 0;
    }
    if (options->Version) {
        std::printf("celdara-monitor %s\n", CELDARA_VERSION);
        return 0;
    }

    QCoreApplication qtApp(argc, argv);
    QCoreApplication::setApplicationName("celdara-monitor");
    ConnectCoreToQt();
    RegisterDistributorClasses();
    RegisterSerialClasses();
    RegisterSimulatedModems();
    if (options->ListPorts) {
        PrintPorts();
        return 0;
    }

    THeadlessMonitor monitor(*options, stdout, stderr, Quit);
    running = &monitor;
    OnTerminationSignals([] {
        running->Stop();
        Quit(0);
    });
    if (!monitor.Start())
        return 1;
    const int code = QCoreApplication::exec();
    running = nullptr;
    monitor.Stop();
    return code;
}
