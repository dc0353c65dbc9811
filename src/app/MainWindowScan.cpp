// The main window's network search: the Settings entry, the dialog that shows the search and
// its networks, and what the user does with one of them.
#include "app/MainWindow.h"
#include "app/NetworkScanDialog.h"
#include "appinfo/VTolmAppInfo.h"
#include "modem/OperatorTable.h"

#include <QAction>
#include <QMenu>

namespace celdara {

namespace {

// The operator group reads an item's code between its first parentheses, so a network's
// name keeps none of its own.
std::string ItemName(const TNetworkEntry& entry) {
    QString name = NetworkName(entry);
    name.remove('(').remove(')');
    return name.simplified().toStdString();
}

} // namespace

void TfrmMain::CreateScanEntry(QMenu* settings) {
    mnuSearchNetworks = settings->addAction(tr("Search for &networks..."));
    mnuSearchNetworks->setObjectName("mnuSearchNetworks");
    mnuSearchNetworks->setEnabled(false);
    connect(mnuSearchNetworks, &QAction::triggered, this, [this] { mnuSearchNetworksClick(); });
    connect(settings, &QMenu::aboutToShow, this, [this] { UpdateScanEntry(); });
}

void TfrmMain::UpdateScanEntry() {
    mnuSearchNetworks->setEnabled(monitor_->State() == msPoll && !monitor_->NetworkScanBusy());
}

void TfrmMain::mnuSearchNetworksClick() {
    UpdateScanEntry();
    if (!mnuSearchNetworks->isEnabled())
        return;
    if (!dlgNetworkScan) {
        dlgNetworkScan = new TNetworkScanDialog(this);
        dlgNetworkScan->OnCancel = [this] { monitor_->CancelNetworkScan(); };
        dlgNetworkScan->OnSwitch = [this](const TNetworkEntry& entry) { SwitchToNetwork(entry); };
        dlgNetworkScan->OnAdd = [this](const TNetworkEntry& entry) {
            return AddNetworkToTable(entry);
        };
    }
    dlgNetworkScan->ShowScanning();
    dlgNetworkScan->show();
    dlgNetworkScan->raise();
    monitor_->RequestNetworkScan();
    UpdateScanEntry();
}

void TfrmMain::NetworkScanStarted() {
    UpdateScanEntry();
}

void TfrmMain::NetworkScanEnded(const TNetworkScanResult& result) {
    UpdateScanEntry();
    // A dialog the user closed already has nothing more to show.
    if (dlgNetworkScan && dlgNetworkScan->isVisible())
        dlgNetworkScan->ShowResult(result);
}

// As a click on the operator group does it; -1 is no item of the group, so not "Auto select".
void TfrmMain::SwitchToNetwork(const TNetworkEntry& entry) {
    monitor_->rgpOperatorsClick(-1, ItemName(entry) + " (" + entry.Code + ")");
}

QString TfrmMain::AddNetworkToTable(const TNetworkEntry& entry) {
    const std::string folder = SettingsFolder(VTolmAppInfo1->AppName());
    const std::string name = ItemName(entry);
    std::string error;
    if (!AddOperatorToTable(folder, entry.Code, name, error))
        return tr("%1 was not added to the operator table: %2")
            .arg(QString::fromStdString(name), QString::fromStdString(error));
    monitor_->LoadOperators(folder);
    return tr("%1 (%2) was added to the operator table.")
        .arg(QString::fromStdString(name), QString::fromStdString(entry.Code));
}

} // namespace celdara
