// celdara-monitor's front end: the serial component, the top distributor on a Qt timer and
// the modem state machine, as the window has them, with a view that turns each completed
// poll cycle into a record instead of painting it.
#pragma once

#include "modem/ModemMonitor.h"
#include "modem/SerialModemPort.h"
#include "monitor/MonitorOptions.h"
#include "records/RecordFile.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace celdara {

class TLyrComm32;
class TTimer;

class THeadlessMonitor : public IModemView {
public:
    // Records go to `out` unless the options name an output file. `quit` ends the event loop
    // with the exit code it is given.
    THeadlessMonitor(const TMonitorOptions& options, std::FILE* out, std::FILE* errors,
                     std::function<void(int)> quit);
    ~THeadlessMonitor() override;

    // Opens the output file and starts the machine; false (reason already said) when the
    // output cannot be written.
    bool Start();
    // Closes the port cleanly (SIGINT, SIGTERM, the count reached).
    void Stop();

    long RecordsWritten() const { return written_; }

    // IModemView
    void AddLine(const std::string& text, int kind) override;
    void AddString(const std::string&, int) override {}
    void SetStatusPanel(int, const std::string&) override {}
    void SetGraphValue(int) override {}
    void SetCellGrid(const TCellGrid&) override {}
    void SetRadioPanel(const TRadioPanel&) override {}
    void SetConnectionLabel(const std::string&) override {}
    void SetOperatorGroupEnabled(bool) override {}
    void SetOperatorItems(const std::vector<std::string>&) override {}
    std::string PortBoxText() override { return options_.Port; }
    void ShowPortState(TCommState state) override;
    void ProcessMessages() override;
    void PollCycleCompleted() override;
    void ShowStatusMessage(const std::string& text, int ms) override;
    void NetworkScanEnded(const TNetworkScanResult& result) override;

private:
    void Write(const TPollRecord& record);
    void PrintNetworks(const std::vector<TNetworkEntry>& networks);
    void Fail(const std::string& message, int code);

    TMonitorOptions options_;
    std::FILE* out_;
    std::FILE* errors_;
    std::function<void(int)> quit_;

    TLyrComm32* comm_ = nullptr;
    TTimer* timer_ = nullptr;
    VTolmTopDistributor* distTop_ = nullptr;
    std::unique_ptr<SerialModemPort> port_;
    std::unique_ptr<ModemMonitor> monitor_;
    TRecordFile file_;

    bool everOpen_ = false;
    bool switched_ = false;
    bool scanAsked_ = false;
    bool stopped_ = false;
    bool hintSaid_ = false;
    long written_ = 0;
    std::chrono::steady_clock::time_point lastWritten_{};
};

} // namespace celdara
