// The modem monitor on a manual clock: a top distributor bound to a scripted modem link,
// a recording window and a port whose ring line and open failures the test controls.
#pragma once

#include "core/Timer.h"
#include "distributor/TopDistributor.h"
#include "modem/ModemMonitor.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace celdara::testing {

inline const std::string kPollReply = "+CSQ: 16,0\r\n"
                                      "+COPS: 0,0,\"T-Mobile CZ\"\r\n"
                                      "+COPS: 0,2,\"23001\"\r\n"
                                      "+CREG: 0,1\r\n"
                                      "+CPAS: 0\r\n"
                                      "\r\nOK\r\n";
inline const std::string kServingReply =
    "\r\nchann rs  dBm   MCC  MNC  LAC  cell NCC BCC PWR RXLev  C1\r\n"
    "  23   35  -76   230   01 4EED 4FD4   4   7  33   -105  31\r\n\r\nOK\r\n";
inline const std::string kNeighbourReply = "\r\nchann rs  dBm   MCC  MNC  BCC  C1  C2\r\n"
                                           "  60   28  -83   230   01    5  22  22\r\n"
                                           " 700   20  -91   230   01    2  14  14\r\n\r\nOK\r\n";

// What the scripted modem answers to each command.
inline std::map<std::string, std::string> ScriptedReplies() {
    return {
        {"ATE0+COPS=0\r", "\r\nOK\r\n"},
        {"AT+CGMI\r", "\r\nSIEMENS\r\n\r\nOK\r\n"},
        {"AT+CGMM\r", "\r\nMC35i\r\n\r\nOK\r\n"},
        {PollCommand, kPollReply},
        {"AT^MONI\r", kServingReply},
        {"AT^MONP\r", kNeighbourReply},
        {"AT+COPS=0\r", "\r\nOK\r\n"},
        {"AT+COPS=1,2,\"23002\"\r", "\r\nOK\r\n"},
        {"ATA\r", "\r\nOK\r\n"},
    };
}

// A modem on the far end of the link: every command ended by CR gets the reply the test
// scripted for it, delivered at the next tick as the reader thread would deliver it.
class ScriptedModem : public VTolmCommunicationComponent {
public:
    using VTolmCommunicationComponent::VTolmCommunicationComponent;
    ~ScriptedModem() override { NotifyRemoval(); }

    std::string GetConfigAsString() override { return {}; }
    void SetConfigAsString(const std::string&) override {}
    bool Open() override {
        ++openCalls;
        if (failOpen || gone) {
            RaiseStateChange(CommStateFailed);
            return false;
        }
        open = true;
        RaiseStateChange(CommStateConnected);
        return true;
    }
    void Close() override {
        if (!open)
            return;
        open = false;
        pending.clear();
        RaiseStateChange(CommStateDisconnected);
    }
    bool SendData(const void* Buffer, std::int32_t Length) override {
        if (!open)
            return false;
        std::string bytes(static_cast<const char*>(Buffer), static_cast<std::size_t>(Length));
        for (char c : bytes) {
            partial += c;
            if (c != '\r')
                continue;
            commands.push_back(partial);
            auto it = replies.find(partial);
            std::string reply = it != replies.end() ? it->second : (silent ? "" : "\r\nERROR\r\n");
            if (!silent && !reply.empty())
                pending.push_back(reply);
            partial.clear();
        }
        return true;
    }
    bool IsOpen() override { return open; }
    TCommState GetState() override { return open ? CommStateConnected : CommStateDisconnected; }

    // Delivers the queued replies, each in pieces of at most `chunk` bytes.
    void Deliver(std::size_t chunk) {
        while (!pending.empty()) {
            std::string reply = pending.front();
            pending.pop_front();
            for (std::size_t i = 0; i < reply.size(); i += chunk) {
                std::string piece = reply.substr(i, chunk);
                DoReceiveData(piece.data(), static_cast<std::uint16_t>(piece.size()));
            }
        }
    }
    // The device goes away while open, reported as a lost tty reports it; opens fail until
    // it returns.
    void Vanish() {
        gone = true;
        open = false;
        pending.clear();
        partial.clear();
        RaiseStateChange(CommStateFailed);
    }
    void Return() { gone = false; }
    // Something the modem says by itself ("RING", late replies).
    void Unsolicited(const std::string& bytes) { pending.push_back(bytes); }
    int Count(const std::string& command) const {
        return static_cast<int>(std::count(commands.begin(), commands.end(), command));
    }

    std::map<std::string, std::string> replies = ScriptedReplies();
    bool silent = false;
    bool failOpen = false;
    bool gone = false;
    bool open = false;
    int openCalls = 0;
    std::vector<std::string> commands;
    std::deque<std::string> pending;
    std::string partial;
};

class RecordingView : public IModemView {
public:
    void AddLine(const std::string& text, int kind) override {
        terminal.push_back((kind == kTermKindSent ? "> " : "< ") + text);
    }
    void AddString(const std::string& text, int kind) override {
        terminal.push_back((kind == kTermKindSent ? "> " : "< ") + text);
    }
    void SetStatusPanel(int panel, const std::string& text) override { panels[panel] = text; }
    void SetGraphValue(int value) override { graph.push_back(value); }
    // Rows 1..7 as the window numbers them, row 0 being the headers.
    void SetCellGrid(const TCellGrid& cellGrid) override {
        grid = cellGrid;
        for (std::size_t row = 0; row < cellGrid.Rows.size(); ++row) {
            TCellRowTexts texts;
            std::copy_n(cellGrid.Rows[row].begin(),
                        std::min(texts.size(), cellGrid.Rows[row].size()), texts.begin());
            rows[static_cast<int>(row) + 1] = texts;
        }
    }
    void SetRadioPanel(const TRadioPanel& panel) override { radioPanel = panel; }
    void SetConnectionLabel(const std::string& text) override { connection = text; }
    void SetOperatorGroupEnabled(bool enabled) override { operatorsEnabled = enabled; }
    void SetOperatorItems(const std::vector<std::string>& items) override { operatorItems = items; }
    void SetOperatorChecked(int index) override { checkedOperator = index; }
    std::string PortBoxText() override { return portBox; }
    void ShowPortState(TCommState state) override { portStates.push_back(state); }
    void ProcessMessages() override { ++processCalls; }
    void ShowStatusMessage(const std::string& text, int ms) override {
        statusMessages.push_back(text);
        statusMessageMs = ms;
    }
    void NetworkScanStarted() override { ++scansStarted; }
    void NetworkScanEnded(const TNetworkScanResult& result) override { scans.push_back(result); }

    int CountLines(const std::string& line) const {
        return static_cast<int>(std::count(terminal.begin(), terminal.end(), line));
    }

    std::vector<std::string> terminal;
    std::map<int, std::string> panels;
    std::vector<int> graph;
    std::map<int, TCellRowTexts> rows;
    TCellGrid grid;
    TRadioPanel radioPanel;
    std::string connection;
    bool operatorsEnabled = false;
    std::vector<std::string> operatorItems;
    int checkedOperator = -2; // -2: never set
    std::string portBox = "ttyUSB0";
    std::vector<TCommState> portStates;
    int processCalls = 0;
    int scansStarted = 0;
    std::vector<TNetworkScanResult> scans;
    std::vector<std::string> statusMessages;
    int statusMessageMs = 0;
};

class RecordingPort : public IModemPort {
public:
    explicit RecordingPort(VTolmCommunicationComponent& link) : link_(link) {}
    VTolmCommunicationComponent& Link() override { return link_; }
    void SetCommPort(const std::string& port) override { commPort = port; }
    bool IsRinging() override { return ringing; }
    std::string OpenFailureReason() override { return reason; }
    std::string LostReason() override { return lostReason; }

    std::string commPort;
    bool ringing = false;
    std::string reason;
    std::string lostReason;

private:
    VTolmCommunicationComponent& link_;
};

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() {
        top.SetName("distTop");
        timer->SetInterval(50);
        top.SetTimer(timer);
        top.SetComHandler(modem);
        monitor = std::make_unique<ModemMonitor>(top, port, view);
    }
    ~MonitorTest() override { monitor.reset(); }

    // One tick of the distributor's 50 ms timer, after the modem's replies have arrived.
    void OneTick(std::size_t chunk = 4096) {
        clock.Advance(50);
        modem->Deliver(chunk);
        timer->Fire();
    }
    void Run(int ms, std::size_t chunk = 4096) {
        for (int t = 0; t < ms; t += 50)
            OneTick(chunk);
    }
    // Ticks until `done` holds, for at most `ms` of simulated time; false if it never did.
    bool RunUntil(const std::function<bool()>& done, int ms = 60000) {
        for (int t = 0; t < ms; t += 50) {
            if (done())
                return true;
            OneTick();
        }
        return done();
    }
    bool Polling() { return monitor->State() == msPoll || monitor->State() == msAnswer; }
    // The device vanishes, as an unplugged USB modem does.
    void Unplug(const std::string& reason = "Input/output error") {
        port.lostReason = reason;
        modem->Vanish();
    }

    TManualTickClock clock{5000};
    VTolmTopDistributor top{nullptr, &clock};
    ScriptedModem* modem = new ScriptedModem(&top); // owned by the distributor
    TManualTimer* timer = new TManualTimer(&top);
    RecordingView view;
    RecordingPort port{*modem};
    std::unique_ptr<ModemMonitor> monitor;
};

} // namespace celdara::testing
