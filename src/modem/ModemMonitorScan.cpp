// The network scan of the state machine: AT+COPS=? in the place of an operator switch, with
// the long wait a modem needs for it, and a cancel that aborts it without harm.
#include "modem/ModemMonitor.h"
#include "modem/ReplyParsers.h"

namespace celdara {

namespace {
// How long an aborted scan may take to end before polling goes on regardless.
constexpr int kScanAbortMs = 10000;
} // namespace

void ModemMonitor::RequestNetworkScan() {
    std::lock_guard lock(MachineLock_);
    if (NetworkScanBusy())
        return;
    ScanRequested_ = true;
}

bool ModemMonitor::NetworkScanBusy() const {
    return ScanRequested_ || Scanning_ || AbortingScan_;
}

void ModemMonitor::StartScan() {
    ScanRequested_ = false;
    Scanning_ = true;
    TermLine("  Searching for networks; this can take up to " +
             std::to_string(kNetworkScanMs / 60000) + " minutes.");
    view_.NetworkScanStarted();
    Exchange_.Send("AT+COPS=?\r", kNetworkScanMs);
    Next(310, false);
}

void ModemMonitor::TakeScanReply() {
    if (!Exchange_.TimedOut() && Exchange_.End() == TAtEnd::Waiting)
        return;
    Exchange_.Stop();
    Next(400, true);
    if (AbortingScan_) {
        // The cancelled scan has ended (or never will): the view heard of it already.
        AbortingScan_ = false;
        return;
    }
    TNetworkScanResult result;
    if (Exchange_.TimedOut()) {
        result.End = TScanEnd::Unanswered;
    } else if (Exchange_.End() == TAtEnd::Error) {
        result.End = TScanEnd::Refused;
        result.Error = ErrorResultText(Exchange_.LastLine());
    } else {
        result.Networks = ParseNetworkScan(Exchange_.Lines());
    }
    EndScan(std::move(result));
}

void ModemMonitor::CancelNetworkScan() {
    std::lock_guard lock(MachineLock_);
    if (ScanRequested_) {
        ScanRequested_ = false;
        EndScan({TScanEnd::Cancelled, {}, {}});
        return;
    }
    if (!Scanning_)
        return;
    // V.250 5.6.1: a character received while a command runs aborts it, and the modem ends
    // it with a final result code. A bare CR is that character, and on a modem that has just
    // finished it is an empty line that does nothing. Polling goes on once that code came.
    Exchange_.Send("\r", kScanAbortMs);
    Step_ = 311;
    AbortingScan_ = true;
    EndScan({TScanEnd::Cancelled, {}, {}});
}

void ModemMonitor::EndScan(TNetworkScanResult result) {
    Scanning_ = false;
    switch (result.End) {
    case TScanEnd::Done:
        TermLine("  Networks found: " + std::to_string(result.Networks.size()) + ".");
        break;
    case TScanEnd::Refused:
        TermLine("  The network search was refused: " + result.Error);
        break;
    case TScanEnd::Unanswered:
        TermLine("  The network search went unanswered.");
        break;
    case TScanEnd::Cancelled:
        TermLine("  The network search was cancelled.");
        break;
    }
    view_.NetworkScanEnded(result);
}

void ModemMonitor::DropScan(const std::string& why) {
    const bool unheard = ScanRequested_ || Scanning_;
    ScanRequested_ = false;
    AbortingScan_ = false;
    if (!unheard)
        return;
    TNetworkScanResult result{TScanEnd::Unanswered, {}, {}};
    result.Error = why;
    EndScan(std::move(result));
}

} // namespace celdara
