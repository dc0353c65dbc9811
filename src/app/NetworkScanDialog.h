// The networks a modem finds, in a dialog of its own: first the search under way with the
// time it has taken (a modem may need minutes), then the list, from which the user switches
// to a network or keeps it in the operator table.
#pragma once

#include "modem/NetworkScan.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace celdara {

// The columns of the list.
enum TNetworkColumn {
    kNetLongName,
    kNetShortName,
    kNetCode,
    kNetState,
    kNetTechnology,
    kNetColumns
};

// The name a network is known by: its long name, else its short one, else its code.
QString NetworkName(const TNetworkEntry& entry);

class TNetworkScanDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TNetworkScanDialog)

public:
    explicit TNetworkScanDialog(QWidget* parent);

    // What the window does for the dialog: stop the search, switch to a network, and put one
    // into the operator table, which gives back the sentence to show (done, or why not).
    std::function<void()> OnCancel;
    std::function<void(const TNetworkEntry&)> OnSwitch;
    std::function<QString(const TNetworkEntry&)> OnAdd;

    // The search under way, its time counted from now.
    void ShowScanning();
    // How the search ended: the list, the modem's refusal or its silence. A cancelled search
    // closes the dialog without a word.
    void ShowResult(const TNetworkScanResult& result);
    bool Scanning() const { return scanning_; }
    // The network of the selected row, or null.
    const TNetworkEntry* SelectedNetwork() const;

    QLabel* lblStatus = nullptr;
    QProgressBar* prgScan = nullptr;
    QTableWidget* tblNetworks = nullptr;
    // What the selected network is or what was done with it.
    QLabel* lblNote = nullptr;
    QPushButton* btnSwitch = nullptr;
    QPushButton* btnAdd = nullptr;
    // Cancel while searching, Close afterwards.
    QPushButton* btnClose = nullptr;

protected:
    // Escape and the close box cancel a search under way.
    void reject() override;

private:
    void CreateControls();
    void ShowElapsed();
    void FillTable();
    void SelectionChanged();
    void btnSwitchClick();
    void btnAddClick();
    void EndSearch(const QString& status, const std::vector<TNetworkEntry>& networks);

    bool scanning_ = false;
    QElapsedTimer elapsed_;
    QTimer* tick_ = nullptr;
    std::vector<TNetworkEntry> networks_;
};

} // namespace celdara
