// The main window: owns every component of the monitor, wires the user's commands to them
// and shows what the modem state machine learns. The machine itself lives in ModemMonitor;
// this class implements the window side it reports through (MainWindowView.cpp) and hands
// it the serial component through a SerialModemPort.
#pragma once

#include "app/LogThrottle.h"
#include "appinfo/VTolmImprovedForm.h"
#include "modem/ModemMonitor.h"
#include "modem/ModemView.h"
#include "records/RecordFile.h"
#include "records/SignalHistory.h"
#include "serial/PortWatch.h"
#include "widgets/GraphGeometry.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QActionGroup;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSocketNotifier;
class QStatusBar;
class QTableWidget;
class QVBoxLayout;

namespace celdara {

class PortComboBox;
class THelpWindow;
class SerialModemPort;
class TRadioPanelView;
class TNetworkScanDialog;
class TStatusPanel;
class TLyrComm32;
class TTimer;
class VTolmAppInfo;
class VTolmTerminal;
class VTolmTopDistributor;
namespace widgets {
class TrkwXPGraph;
}

class TfrmMain : public VTolmImprovedForm, public IModemView {
    Q_DECLARE_TR_FUNCTIONS(TfrmMain)

public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;

    // Components.
    TLyrComm32* LyrComm321 = nullptr;
    VTolmTopDistributor* distTop = nullptr;
    TTimer* Timer1 = nullptr;
    VTolmTerminal* termMain = nullptr;
    VTolmAppInfo* VTolmAppInfo1 = nullptr;
    TTimer* tmrShow = nullptr;

    // Controls.
    QMenuBar* MainMenu1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    PortComboBox* cmbPort = nullptr;
    QPushButton* btnPortParameters = nullptr;
    QLabel* lblConnection = nullptr;
    QPushButton* btnShowTerm = nullptr;
    widgets::TrkwXPGraph* rkwXPGraph1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblSpeed = nullptr;
    QTableWidget* sgrResult = nullptr;
    TRadioPanelView* radioPanel = nullptr;
    QGroupBox* rgpOperators = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    TStatusPanel* StatusPanels[3] = {};
    QAction* mnuDebugTerminal = nullptr;
    QAction* mnuReconnect = nullptr;
    QAction* mnuSaveHistory = nullptr;
    QAction* mnuSaveGraph = nullptr;
    QAction* mnuLogToFile = nullptr;
    QAction* mnuStopLog = nullptr;
    QAction* mnuSearchNetworks = nullptr;
    // The network search's dialog, made at the first search.
    TNetworkScanDialog* dlgNetworkScan = nullptr;
    // The help's window, made when the help is first asked for.
    THelpWindow* frmHelp = nullptr;
    QActionGroup* speedGroup = nullptr;
    // The history graph's context menu: what it draws.
    QActionGroup* graphGroup = nullptr;

    ModemMonitor& Monitor() { return *monitor_; }

    // The update speeds of the menu, in its order.
    struct TUpdateSpeed {
        const char* Entry;
        int Interval; // ms
        const char* Label;
    };
    static const TUpdateSpeed UpdateSpeeds[5];
    void SelectUpdateSpeed(int index);

    // What the history graph draws; the choice is stored in the settings.
    TGraphSeries GraphSeries() const { return graphSeries_; }

    // The signal history as a table (time, level) and the graph as a PNG image; false with
    // the reason in `error`.
    bool SaveSignalHistory(const QString& path, QString& error) const;
    bool SaveGraphImage(const QString& path, QString& error) const;
    // Appends every poll cycle to `path` as CSV records and stores the choice; false with
    // the reason in `error`. An empty path stops logging.
    bool StartLog(const QString& path, QString& error);
    bool Logging() const { return log_.IsOpen(); }
    // At most one logged cycle per `seconds` (0: every cycle); stored with the log's file.
    void SetLogInterval(int seconds);
    int LogInterval() const { return logThrottle_.Interval(); }

    // Ports that came or went (udev's monitor reports them); the box follows and keeps
    // what it shows.
    void ApplyPortEvents(const std::vector<TPortEvent>& events);

    // IModemView
    void AddLine(const std::string& text, int kind) override;
    void AddString(const std::string& text, int kind) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetGraphValue(int value) override;
    void SetGraphSample(const TGraphSample& sample) override;
    void SetCellGrid(const TCellGrid& grid) override;
    void SetRadioPanel(const TRadioPanel& panel) override;
    void SetConnectionLabel(const std::string& text) override;
    void SetOperatorGroupEnabled(bool enabled) override;
    void SetOperatorItems(const std::vector<std::string>& items) override;
    void SetOperatorChecked(int index) override;
    std::string PortBoxText() override;
    void ShowPortState(TCommState state) override;
    void ProcessMessages() override;
    void PollCycleCompleted() override;
    void ShowStatusMessage(const std::string& text, int ms) override;
    void NetworkScanStarted() override;
    void NetworkScanEnded(const TNetworkScanResult& result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateComponents();
    void CreateControls();
    void CreateMenu(QVBoxLayout* layout);
    void CreateConnectionBox(QVBoxLayout* layout);
    void CreateGraph(QVBoxLayout* layout);
    void CreateSpeedRow(QVBoxLayout* layout);
    void CreateCellsAndOperators(QVBoxLayout* layout);
    void CreateRadioPanel(QVBoxLayout* layout);
    void CreateGraphMenu();
    void SelectGraphSeries(TGraphSeries series);
    void mnuGraphClick(TGraphSeries series);
    void RestoreGraphSeries();
    // The grid as wide as its columns, once the row height is known.
    void FitCellGrid();
    void CreateStatusBar(QVBoxLayout* layout);
    int DefaultWidth() const;
    int GraphDefaultHeight() const;

    void FormShow(TObject* Sender);
    void VTolmAppInfo1OwnerFirstShow(TObject* Sender);
    void tmrShowTimer(TObject* Sender);
    void termMainTermSendData(const std::uint8_t* data, int count);
    void cmbPortChange();
    void cmbPortDropDown();
    void CreatePortWatch();
    void ReadPorts();
    void FillPortBox();
    void RestorePort();
    void btnPortParametersClick();
    void btnShowTermClick();
    void mnuDebugTerminalClick(bool checked);
    void CreateReconnectEntry(QMenu* settings);
    void mnuReconnectClick(bool checked);
    void RestoreReconnect();
    void mnuContentClick();
    void mnuAboutClick();
    void CreateDataEntries(QMenu* file, QMenu* settings);
    void mnuSaveHistoryClick();
    void mnuSaveGraphClick();
    void mnuLogToFileClick();
    void RestoreLog();
    void ShowLogState();
    // The network search (MainWindowScan.cpp).
    void CreateScanEntry(QMenu* settings);
    // The entry is offered while the modem is polled and no search is asked for or under way.
    void UpdateScanEntry();
    void mnuSearchNetworksClick();
    void SwitchToNetwork(const TNetworkEntry& entry);
    QString AddNetworkToTable(const TNetworkEntry& entry);

    // The cell grid's rows, the header row included.
    static constexpr int kGridRows = 8;

    // The port outlives the monitor that reports through it.
    std::unique_ptr<SerialModemPort> port_;
    std::unique_ptr<ModemMonitor> monitor_;
    TGraphSeries graphSeries_ = TGraphSeries::Level;
    int gridRowHeight_ = 0;
    QButtonGroup* operatorButtons_ = nullptr;
    // The operator button that had the focus when a switch disabled the group, and where Qt
    // moved the focus then: the button takes it back unless the user has moved it since.
    QPointer<QWidget> operatorFocus_;
    QPointer<QWidget> focusDuringSwitch_;
    bool shown_ = false;
    // What the graph was given, with the times, for saving the history and for drawing it
    // again as another series.
    TSignalHistory signalHistory_{widgets::kHistoryCapacity};
    TRecordFile log_;
    TLogThrottle logThrottle_;
    // The ports the box offers, kept current by udev's monitor when there is one. The
    // notifier is destroyed before the monitor whose descriptor it watches.
    TPortWatch ports_;
    std::unique_ptr<TPortMonitor> portMonitor_;
    std::unique_ptr<QSocketNotifier> portNotifier_;
};

} // namespace celdara
