// What the modem monitor needs of the window it reports to, and of the serial component
// it drives beyond the link contract. The main window and the serial port implement these;
// tests implement them with recorders.
#pragma once

#include "core/CommunicationComponent.h"
#include "modem/NetworkScan.h"
#include "modem/StatusDisplay.h"

#include <string>
#include <vector>

namespace celdara {

// Terminal kinds the monitor writes with: what it sends, and the terminal's event kind for
// the lines it receives and for the lines of its own (TermLine).
inline constexpr int kTermKindSent = 5;
inline constexpr int kTermKindEvent = 6;

// Panels of the status bar.
inline constexpr int kPanelPort = 0;
inline constexpr int kPanelDevice = 1;
inline constexpr int kPanelOperator = 2;

class IModemView {
public:
    virtual ~IModemView() = default;

    // The debug terminal.
    virtual void AddLine(const std::string& text, int kind) = 0;
    virtual void AddString(const std::string& text, int kind) = 0;

    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetGraphValue(int value) = 0;
    // A display refresh's value with the radio measurements a history may draw instead; a
    // view that draws the level alone takes SetGraphValue.
    virtual void SetGraphSample(const TGraphSample& sample) { SetGraphValue(sample.Level); }
    // The whole cell grid: its headers follow the serving technology.
    virtual void SetCellGrid(const TCellGrid& grid) = 0;
    // The radio metrics panel; an empty one shows nothing.
    virtual void SetRadioPanel(const TRadioPanel& panel) = 0;
    virtual void SetConnectionLabel(const std::string& text) = 0;

    virtual void SetOperatorGroupEnabled(bool enabled) = 0;
    // The operator group's items, "Auto select" first.
    virtual void SetOperatorItems(const std::vector<std::string>& items) = 0;
    // Checks item `index` of the operator group (CheckedOperatorOf); -1 checks none.
    virtual void SetOperatorChecked(int index) { (void)index; }

    // The port the user chose in the port box.
    virtual std::string PortBoxText() = 0;
    // The port's state changed (the port box shows it by its colour).
    virtual void ShowPortState(TCommState state) = 0;

    // Lets the window handle what is pending (repaints, input) during a long step.
    virtual void ProcessMessages() = 0;

    // A poll cycle ended and its status is the shown one now (a log writes it down).
    virtual void PollCycleCompleted() {}
    // A network scan the window asked for (ModemMonitor::RequestNetworkScan) has begun, or
    // has ended: found networks, refused, unanswered or cancelled.
    virtual void NetworkScanStarted() {}
    virtual void NetworkScanEnded(const TNetworkScanResult& result) { (void)result; }
    // A sentence the status bar shows for `ms` milliseconds over its panels.
    virtual void ShowStatusMessage(const std::string& text, int ms) {
        (void)text;
        (void)ms;
    }
};

class IModemPort {
public:
    virtual ~IModemPort() = default;

    virtual VTolmCommunicationComponent& Link() = 0;
    virtual void SetCommPort(const std::string& port) = 0;
    // The ring-indicator line is active.
    virtual bool IsRinging() = 0;
    // Why the last open failed, in words for the user; empty when there is nothing to say.
    virtual std::string OpenFailureReason() = 0;
    // Why the open port was lost (the device went away), in words; empty when it was not.
    virtual std::string LostReason() { return {}; }
};

} // namespace celdara
