// The window's port list: read from udev (or sysfs), kept current by udev's monitor on Qt's
// main loop, and the port box filled from it.
#include "app/MainWindow.h"
#include "app/PortComboBox.h"
#include "appinfo/VTolmAppInfo.h"
#include "serial/PortSource.h"
#include "simulator/SimSerialDevice.h"

#include <QSocketNotifier>

namespace celdara {

void TfrmMain::CreatePortWatch() {
    if (portMonitor_)
        return;
    // Without udev there is no monitor, and the list is read as the box drops down.
    portMonitor_ = CreateUdevPortMonitor();
    if (!portMonitor_)
        return;
    portNotifier_ = std::make_unique<QSocketNotifier>(portMonitor_->Fd(), QSocketNotifier::Read);
    connect(portNotifier_.get(), &QSocketNotifier::activated, this,
            [this] { ApplyPortEvents(portMonitor_->Receive()); });
}

void TfrmMain::ApplyPortEvents(const std::vector<TPortEvent>& events) {
    if (ports_.Apply(events))
        FillPortBox();
    // The machine tries a lost port again every second; one that udev has just set up (its
    // rules ran before the event) is tried at once.
    if (monitor_->WaitingForPort() && monitor_->ReconnectLostPort && monitor_->State() == msOpen &&
        AddsPort(events, PortBoxText()))
        monitor_->EnterState(msOpen);
}

void TfrmMain::ReadPorts() {
    ports_.Reset(ListPorts());
    FillPortBox();
}

void TfrmMain::FillPortBox() {
    std::vector<PortComboBox::TPortItem> items;
    for (const TPortInfo& port : ports_.Ports())
        items.push_back({QString::fromStdString(PortDisplayText(port)),
                         QString::fromStdString(PortOpenName(port)),
                         QString::fromStdString(PortShortName(port))});
    cmbPort->SetPortItems(items);
}

// The port the user chose last; on a first start the modem's AT port, or one that looks
// like a modem, or the built-in simulated modem, never a plain UART that would only sit
// silent.
void TfrmMain::RestorePort() {
    std::string port;
    VTolmAppInfo1->ReadSetting("Connection", "COMPort", port, "");
    if (port.empty())
        port = ChooseFirstPort(ports_.Ports(), kVirtualModemPort);
    cmbPort->ShowPortQuietly(QString::fromStdString(port));
}

} // namespace celdara
