#include "monitor/HeadlessMonitor.h"

#include "core/Application.h"
#include "core/Timer.h"
#include "distributor/TopDistributor.h"
#include "modem/RadioStatus.h"
#include "serial/LyrComm32.h"

namespace celdara {

THeadlessMonitor::THeadlessMonitor(const TMonitorOptions& options, std::FILE* out,
                                   std::FILE* errors, std::function<void(int)> quit)
    : options_(options), out_(out), errors_(errors), quit_(std::move(quit)) {
    TApplication& app = Application();
    // The same components and settings as the window's.
    comm_ = new TLyrComm32(&app);
    comm_->SetBaudRate(TBaudRate::_115200);
    comm_->SetAutoReconnect(false);
    timer_ = static_cast<TTimer*>(app.CreateComponent("TTimer", &app));
    timer_->SetInterval(50);
    distTop_ = new VTolmTopDistributor(&app);
    distTop_->SetTimer(timer_);
    distTop_->SetComHandler(comm_);
    port_ = std::make_unique<SerialModemPort>(*comm_);
    monitor_ = std::make_unique<ModemMonitor>(*distTop_, *port_, *this);
    // Left unattended, it must outlast an unplugged modem.
    monitor_->ReconnectLostPort = true;
}

THeadlessMonitor::~THeadlessMonitor() {
    Stop();
    monitor_.reset();
    delete distTop_;
    delete timer_;
    delete comm_;
}

bool THeadlessMonitor::Start() {
    if (!options_.OutputFile.empty() && !file_.Open(options_.OutputFile, options_.Format)) {
        std::fprintf(errors_, "celdara-monitor: %s\n", file_.Error().c_str());
        return false;
    }
    if (options_.OutputFile.empty() && !options_.Scan) {
        const std::string header = RecordHeader(options_.Format);
        if (!header.empty())
            std::fprintf(out_, "%s\n", header.c_str());
    }
    monitor_->EnterState(msInit);
    return true;
}

void THeadlessMonitor::Stop() {
    if (stopped_)
        return;
    stopped_ = true;
    if (timer_)
        timer_->SetEnabled(false);
    comm_->Close();
    file_.Close();
    std::fflush(out_);
}

void THeadlessMonitor::AddLine(const std::string&, int) {
    // The terminal's traffic is not ours to print; the one hint worth a line is that
    // nothing answers, which the machine shows in the status bar of the window.
    if (monitor_ && monitor_->SilentPortHint() && !hintSaid_) {
        hintSaid_ = true;
        std::fprintf(errors_,
                     "celdara-monitor: nothing answers on %s; is a modem attached and switched "
                     "on? Try another port, or virtual-modem.\n",
                     options_.Port.c_str());
    } else if (monitor_ && !monitor_->SilentPortHint()) {
        hintSaid_ = false;
    }
}

void THeadlessMonitor::ShowPortState(TCommState state) {
    if (state == CommStateConnected)
        everOpen_ = true;
    if (state != CommStateFailed || stopped_)
        return;
    const std::string reason = port_->OpenFailureReason();
    if (!everOpen_)
        Fail("cannot open " + options_.Port + (reason.empty() ? "" : ": " + reason), 1);
    else
        std::fprintf(errors_, "celdara-monitor: port %s lost; waiting for it to return\n",
                     options_.Port.c_str());
}

void THeadlessMonitor::ShowStatusMessage(const std::string& text, int) {
    std::fprintf(errors_, "celdara-monitor: %s\n", text.c_str());
}

void THeadlessMonitor::ProcessMessages() {
    Application().ProcessMessages();
}

void THeadlessMonitor::PollCycleCompleted() {
    if (stopped_)
        return;
    // The scan, once the modem is prepared and known to answer; no records meanwhile.
    if (options_.Scan) {
        if (!scanAsked_) {
            scanAsked_ = true;
            monitor_->RequestNetworkScan();
        }
        return;
    }
    // The one operator switch asked for, once the modem is known to answer.
    if (!switched_ && !options_.Operator.empty()) {
        switched_ = true;
        if (options_.Operator == "auto")
            monitor_->rgpOperatorsClick(0, "Auto select");
        else
            monitor_->rgpOperatorsClick(1, "(" + options_.Operator + ")");
    }
    const auto now = std::chrono::steady_clock::now();
    const auto interval = std::chrono::duration<double>(options_.IntervalSeconds);
    if (written_ > 0 && now - lastWritten_ < interval)
        return;
    lastWritten_ = now;
    TPollRecord record;
    record.Time = std::chrono::system_clock::now();
    record.Port = options_.Port;
    record.Manufacturer = monitor_->Manufacturer();
    record.Model = monitor_->Model();
    record.Status = monitor_->ShownStatus();
    Write(record);
}

void THeadlessMonitor::NetworkScanEnded(const TNetworkScanResult& result) {
    if (stopped_ || !options_.Scan)
        return;
    switch (result.End) {
    case TScanEnd::Done:
        PrintNetworks(result.Networks);
        Stop();
        quit_(0);
        return;
    case TScanEnd::Refused:
        Fail("the modem refused the network scan: " + result.Error, 1);
        return;
    case TScanEnd::Unanswered:
        // An error text here says why the wait was given up (the port was lost).
        Fail(result.Error.empty() ? "the modem did not end the network scan within " +
                                        std::to_string(kNetworkScanMs / 60000) + " minutes"
                                  : "the network scan was given up: " + result.Error,
             1);
        return;
    case TScanEnd::Cancelled:
        Fail("the network scan was cancelled", 1);
        return;
    }
}

// One network a line: state, long and short name, code and technology, "-" for a name or
// technology the modem left out.
void THeadlessMonitor::PrintNetworks(const std::vector<TNetworkEntry>& networks) {
    const auto orDash = [](const std::string& text) { return text.empty() ? "-" : text.c_str(); };
    if (networks.empty())
        std::fprintf(out_, "no networks found\n");
    for (const TNetworkEntry& n : networks) {
        const char* tech = n.Act ? AccessTechName(AccessTechOfAct(*n.Act)) : "-";
        std::fprintf(out_, "%-9s  %-20s  %-10s  %-6s  %s\n", NetworkStateText(n.State),
                     orDash(n.LongName), orDash(n.ShortName), n.Code.c_str(), tech);
    }
    std::fflush(out_);
}

void THeadlessMonitor::Write(const TPollRecord& record) {
    if (file_.IsOpen()) {
        if (!file_.Append(record)) {
            Fail(file_.Error(), 1);
            return;
        }
    } else {
        std::fprintf(out_, "%s\n", FormatRecord(options_.Format, record).c_str());
        std::fflush(out_);
    }
    ++written_;
    if (options_.Count > 0 && written_ >= options_.Count) {
        Stop();
        quit_(0);
    }
}

void THeadlessMonitor::Fail(const std::string& message, int code) {
    std::fprintf(errors_, "celdara-monitor: %s\n", message.c_str());
    Stop();
    quit_(code);
}

} // namespace celdara
