#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/PortComboBox.h"
#include "app/RadioPanelView.h"
#include "app/StatusPanel.h"
#include "appinfo/VTolmAppInfo.h"
#include "core/Application.h"
#include "distributor/TopDistributor.h"
#include "modem/OperatorTable.h"
#include "modem/SerialModemPort.h"
#include "qtplatform/QtTimer.h"
#include "serial/LyrComm32.h"
#include "simulator/SimSerialDevice.h"
#include "terminal/VTolmTerminal.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

// The icons live in the app library; a static library's resources must be registered by name.
static void InitCeldaraResources() {
    Q_INIT_RESOURCE(celdara);
}

namespace celdara {

const TfrmMain::TUpdateSpeed TfrmMain::UpdateSpeeds[5] = {
    {QT_TRANSLATE_NOOP("TfrmMain", "&1 second"), 83, QT_TRANSLATE_NOOP("TfrmMain", "= 1 second")},
    {QT_TRANSLATE_NOOP("TfrmMain", "&3 seconds"), 250,
     QT_TRANSLATE_NOOP("TfrmMain", "= 3 seconds")},
    {QT_TRANSLATE_NOOP("TfrmMain", "&5 seconds"), 417,
     QT_TRANSLATE_NOOP("TfrmMain", "= 5 seconds")},
    {QT_TRANSLATE_NOOP("TfrmMain", "1&0 seconds"), 833,
     QT_TRANSLATE_NOOP("TfrmMain", "= 10 seconds")},
    {QT_TRANSLATE_NOOP("TfrmMain", "1 &minute"), 5000, QT_TRANSLATE_NOOP("TfrmMain", "= 1 minute")},
};

namespace {
constexpr int kDefaultSpeed = 1; // "3 seconds"
constexpr int kMinimumDefaultWidth = 555;
constexpr int kDefaultHeight = 437;
} // namespace

TfrmMain::TfrmMain(TComponent* owner) : VTolmImprovedForm(owner) {
    InitCeldaraResources();
    SetName("frmMain");
    setWindowTitle(tr("Celdara"));
    setWindowIcon(QIcon(":/celdara/celdara-64.png"));
    BeginLoading();
    CreateComponents();
    CreateControls();
    resize(DefaultWidth(), kDefaultHeight);
    SetOnShow(TNotifyEvent::Bind<&TfrmMain::FormShow>(this));
    EndLoading();

    // After loading: the machine's records start cleared and the traffic shown.
    port_ = std::make_unique<SerialModemPort>(*LyrComm321);
    monitor_ = std::make_unique<ModemMonitor>(*distTop, *port_, *this);
    distTop->DoTimer(this);
}

TfrmMain::~TfrmMain() {
    // Destroying the window closes the port before anything it reports to goes away.
    if (LyrComm321)
        LyrComm321->Close();
    monitor_.reset();
}

void TfrmMain::CreateComponents() {
    LyrComm321 = new TLyrComm32(this);
    LyrComm321->SetName("LyrComm321");
    LyrComm321->SetBaudRate(TBaudRate::_115200);
    LyrComm321->SetAutoReconnect(false);

    Timer1 = new TQtTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(50);

    distTop = new VTolmTopDistributor(this);
    distTop->SetName("distTop");
    distTop->SetTimer(Timer1);
    distTop->SetComHandler(LyrComm321);

    termMain = new VTolmTerminal(this, this);
    termMain->SetName("termMain");
    termMain->SetCaption(tr("Terminal"));
    termMain->SetModeIndex(-1);
    termMain->SetTermCloseAction(trmcaHide);
    termMain->SetShowOptions(vttsoShowTimes);
    termMain->OnTermSendData = TTermSendData::Bind<&TfrmMain::termMainTermSendData>(this);

    VTolmAppInfo1 = new VTolmAppInfo(this);
    VTolmAppInfo1->SetName("VTolmAppInfo1");
    VTolmAppInfo1->SetAppName("Celdara");
    VTolmAppInfo1->SetOnOwnerFirstShow(
        TNotifyEvent::Bind<&TfrmMain::VTolmAppInfo1OwnerFirstShow>(this));

    tmrShow = new TQtTimer(this);
    tmrShow->SetName("tmrShow");
    tmrShow->SetInterval(UpdateSpeeds[kDefaultSpeed].Interval);
    tmrShow->SetOnTimer(TNotifyEvent::Bind<&TfrmMain::tmrShowTimer>(this));
}

void TfrmMain::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    CreateMenu(layout);
    CreateConnectionBox(layout);
    CreateGraph(layout);
    CreateSpeedRow(layout);
    CreateRadioPanel(layout);
    CreateCellsAndOperators(layout);
    CreateStatusBar(layout);
}

// The connection box across the top.
void TfrmMain::CreateConnectionBox(QVBoxLayout* layout) {
    GroupBox1 = new QGroupBox(tr(" Connection "), this);
    GroupBox1->setObjectName("GroupBox1");
    cmbPort = new PortComboBox(GroupBox1);
    cmbPort->setObjectName("cmbPort");
    cmbPort->setMinimumWidth(150);
    cmbPort->OnDropDown = [this] { cmbPortDropDown(); };
    cmbPort->OnCommit = [this] { cmbPortChange(); };
    btnPortParameters = new QPushButton(tr("&Parameters"), GroupBox1);
    btnPortParameters->setObjectName("btnPortParameters");
    connect(btnPortParameters, &QPushButton::clicked, this, [this] { btnPortParametersClick(); });
    lblConnection = new QLabel("?", GroupBox1);
    lblConnection->setObjectName("lblConnection");
    QFont bold("Tahoma");
    bold.setBold(true);
    lblConnection->setFont(bold);
    lblConnection->setStyleSheet("color: #800000;");
    lblConnection->setMinimumWidth(110);
    btnShowTerm = new QPushButton(tr("Show &terminal"), GroupBox1);
    btnShowTerm->setObjectName("btnShowTerm");
    connect(btnShowTerm, &QPushButton::clicked, this, [this] { btnShowTermClick(); });
    auto* connection = new QHBoxLayout(GroupBox1);
    connection->addWidget(cmbPort, 1);
    connection->addWidget(btnPortParameters);
    connection->addWidget(lblConnection, 1);
    connection->addWidget(btnShowTerm);
    layout->addWidget(GroupBox1);
}

// The signal graph, as wide as the window.
void TfrmMain::CreateGraph(QVBoxLayout* layout) {
    rkwXPGraph1 = new widgets::TrkwXPGraph(this);
    rkwXPGraph1->setObjectName("rkwXPGraph1");
    const QColor lime(0, 255, 0);
    rkwXPGraph1->SetBackGround(Qt::black);
    rkwXPGraph1->SetColorHalf(lime);
    rkwXPGraph1->SetColor75(lime);
    rkwXPGraph1->SetColorMax(lime);
    rkwXPGraph1->SetColorUsageBarBack(QColor(0, 64, 0));
    rkwXPGraph1->SetColorHistoryGrid(QColor(0, 128, 0));
    rkwXPGraph1->SetColorHistoryGridLine(lime);
    QFont graphFont = font();
    graphFont.setPixelSize(11);
    rkwXPGraph1->SetGraphFont(graphFont, lime);
    rkwXPGraph1->SetMaxValue(100);
    rkwXPGraph1->SetUsageLabel("%");
    rkwXPGraph1->SetUsageCaption(tr("Signal"));
    rkwXPGraph1->SetHistoryCaption(tr("Signal History"));
    rkwXPGraph1->SetRefreshInterval(30000);
    rkwXPGraph1->SetActive(false);
    rkwXPGraph1->SetDisplayStat(false);
    CreateGraphMenu();
    layout->addWidget(rkwXPGraph1, 1);
}

// The update speed.
void TfrmMain::CreateSpeedRow(QVBoxLayout* layout) {
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(19, 18);
    Image1->setPixmap(QIcon(":/celdara/celdara-64.png").pixmap(18, 18));
    lblSpeed = new QLabel(this);
    lblSpeed->setObjectName("lblSpeed");
    auto* speed = new QHBoxLayout;
    speed->addWidget(Image1);
    speed->addWidget(lblSpeed, 1);
    layout->addLayout(speed);
}

// The cell grid and, beside it, the operator group.
void TfrmMain::CreateCellsAndOperators(QVBoxLayout* layout) {
    sgrResult = new QTableWidget(kGridRows - 1, kCellGridColumns, this);
    sgrResult->setObjectName("sgrResult");
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(8);
    sgrResult->setFont(courier);
    sgrResult->verticalHeader()->hide();
    sgrResult->verticalHeader()->setMinimumSectionSize(1);
    sgrResult->horizontalHeader()->setMinimumSectionSize(1);
    sgrResult->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgrResult->horizontalHeader()->setDefaultSectionSize(60);
    sgrResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgrResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgrResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgrResult->setSelectionMode(QAbstractItemView::NoSelection);
    sgrResult->setFocusPolicy(Qt::NoFocus);
    for (int row = 0; row < kGridRows - 1; ++row)
        for (int col = 0; col < kCellGridColumns; ++col)
            sgrResult->setItem(row, col, new QTableWidgetItem);
    rgpOperators = new QGroupBox(tr(" Switch to operator "), this);
    rgpOperators->setObjectName("rgpOperators");
    rgpOperators->setEnabled(false);
    new QVBoxLayout(rgpOperators);
    operatorButtons_ = new QButtonGroup(rgpOperators);
    connect(operatorButtons_, &QButtonGroup::idClicked, this, [this](int id) {
        monitor_->rgpOperatorsClick(id, operatorButtons_->button(id)->text().toStdString());
    });
    auto* lower = new QHBoxLayout;
    lower->addWidget(sgrResult, 0);
    lower->addWidget(rgpOperators, 1);
    layout->addLayout(lower);
}

// Panels as wide as their texts. None stretches: in a narrow window they give way
// together, so that no panel (the operator's least of all) is cut down to nothing.
void TfrmMain::CreateStatusBar(QVBoxLayout* layout) {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    // The machine writes these panels in its own (English) words; so do their first texts.
    const char* initial[3] = {"COM?", "Device: ?", "Operator: ?"};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new TStatusPanel(initial[i], StatusBar1);
        StatusPanels[i]->setObjectName(QString("StatusBar1_Panel%1").arg(i));
        StatusBar1->addWidget(StatusPanels[i], 0);
    }
    layout->addWidget(StatusBar1);
}

int TfrmMain::DefaultWidth() const {
    // Wide enough for the panels' usual texts in the font this machine has: a USB port name,
    // a modem's name and an operator with its registration.
    const QStringList usual = {"virtual-modem-faulty", "Device: Celdara Virtual GSM modem",
                               "Vodafone CZ (23003), not registered, not searching"};
    const QFontMetrics metrics = StatusPanels[0]->fontMetrics();
    int width = 2 * layout()->contentsMargins().left() + 40; // the size grip and spacing
    for (const QString& text : usual)
        width += metrics.horizontalAdvance(text) + 16;
    return std::max(kMinimumDefaultWidth, width);
}

void TfrmMain::CreateMenu(QVBoxLayout* layout) {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    SetMainMenu(MainMenu1);
    layout->setMenuBar(MainMenu1);

    QMenu* file = MainMenu1->addMenu(tr("&File"));
    QMenu* settings = new QMenu(tr("&Settings"), MainMenu1);
    settings->setObjectName("mnuSettings");
    CreateDataEntries(file, settings);
    file->addSeparator();
    QAction* exit = file->addAction(tr("&Exit"));
    exit->setObjectName("mnuExit");
    connect(exit, &QAction::triggered, this, [this] { close(); });

    QMenu* speedMenu = MainMenu1->addMenu(tr("&Update Speed"));
    speedGroup = new QActionGroup(this);
    speedGroup->setExclusive(true);
    for (int i = 0; i < 5; ++i) {
        QAction* entry = speedMenu->addAction(tr(UpdateSpeeds[i].Entry));
        entry->setObjectName(QString("mnuSpeed%1").arg(i));
        entry->setCheckable(true);
        speedGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, i] { SelectUpdateSpeed(i); });
    }

    MainMenu1->addMenu(settings);
    settings->addSeparator();
    mnuDebugTerminal = settings->addAction(tr("&Debug terminal"));
    mnuDebugTerminal->setObjectName("mnuDebugTerminal");
    mnuDebugTerminal->setCheckable(true);
    connect(mnuDebugTerminal, &QAction::toggled, this,
            [this](bool checked) { mnuDebugTerminalClick(checked); });
    CreateReconnectEntry(settings);
    settings->addSeparator();
    CreateScanEntry(settings);

    QMenu* help = MainMenu1->addMenu(tr("&Help"));
    QAction* content = help->addAction(tr("&Content"));
    content->setObjectName("mnuContent");
    connect(content, &QAction::triggered, this, [this] { mnuContentClick(); });
    help->addSeparator();
    QAction* about = help->addAction(tr("&About"));
    about->setObjectName("mnuAbout");
    connect(about, &QAction::triggered, this, [this] { mnuAboutClick(); });
}

void TfrmMain::VTolmAppInfo1OwnerFirstShow(TObject*) {
    VTolmAppInfo1->RestoreForms(false, false);
    const QRect frame = frameGeometry();
    termMain->SetFormLeft(frame.left());
    termMain->SetFormTop(frame.top() + frame.height());
    const double dpi = screen() ? screen()->logicalDotsPerInchY() : 96.0;
    const int rowHeight =
        std::abs(static_cast<int>(std::lround(sgrResult->font().pointSizeF() * dpi / 72.0 * 1.3))) +
        1;
    sgrResult->verticalHeader()->setDefaultSectionSize(rowHeight);
    sgrResult->horizontalHeader()->setFixedHeight(rowHeight);
    gridRowHeight_ = rowHeight;
    FitCellGrid();
}

// The graph's height in a window of the default size without the radio panel, from the
// heights the rest of the window was last given (those of the panel's word-wrapped identity
// and its hints differ).
int TfrmMain::GraphDefaultHeight() const {
    int others = height() - rkwXPGraph1->height();
    if (radioPanel->isVisible())
        others -= radioPanel->height() + layout()->spacing();
    return std::clamp(kDefaultHeight - others, widgets::kGraphMinHeight, kDefaultHeight);
}

void TfrmMain::FormShow(TObject*) {
    if (shown_)
        return;
    shown_ = true;

    std::string version;
    VTolmAppInfo1->GetFileVersion(version);
    // The desktop adds the program's name (the application's display name) to the title.
    setWindowTitle(tr("Version %1").arg(QString::fromStdString(version)));

    CreatePortWatch();
    ReadPorts();
    RestorePort();

    QStringList headers;
    for (const std::string& header : CellGridHeaders())
        headers << QString::fromStdString(header);
    sgrResult->setHorizontalHeaderLabels(headers);

    monitor_->LoadOperators(SettingsFolder(VTolmAppInfo1->AppName()));
    RestoreReconnect();
    RestoreLog();
    SelectUpdateSpeed(kDefaultSpeed);
    Application().ProcessMessages();
    monitor_->EnterState(msInit);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    VTolmImprovedForm::closeEvent(event);
    if (event->isAccepted()) {
        VTolmAppInfo1->SaveForms();
        termMain->SetVisible(false);
    }
}

void TfrmMain::SelectUpdateSpeed(int index) {
    if (index < 0 || index >= 5)
        return;
    tmrShow->SetInterval(UpdateSpeeds[index].Interval);
    lblSpeed->setText(tr(UpdateSpeeds[index].Label));
    speedGroup->actions().at(index)->setChecked(true);
}

void TfrmMain::tmrShowTimer(TObject*) {
    monitor_->RefreshDisplay();
    UpdateScanEntry();
}

void TfrmMain::termMainTermSendData(const std::uint8_t* data, int count) {
    monitor_->TermSendData(std::string(reinterpret_cast<const char*>(data),
                                       static_cast<std::size_t>(count > 0 ? count : 0)));
}

void TfrmMain::cmbPortChange() {
    VTolmAppInfo1->WriteSetting("Connection", "COMPort", PortBoxText());
    monitor_->EnterState(msInit);
}

void TfrmMain::cmbPortDropDown() {
    // Also with udev's monitor: events can be missed (a full socket buffer), and the
    // built-in devices have no monitor.
    ReadPorts();
}

void TfrmMain::btnPortParametersClick() {
    LyrComm321->ShowConfigDialog(true);
}

void TfrmMain::btnShowTermClick() {
    termMain->SetVisible(true);
}

void TfrmMain::CreateReconnectEntry(QMenu* settings) {
    mnuReconnect = settings->addAction(tr("&Reconnect when the port returns"));
    mnuReconnect->setObjectName("mnuReconnect");
    mnuReconnect->setCheckable(true);
    mnuReconnect->setChecked(true);
    connect(mnuReconnect, &QAction::toggled, this,
            [this](bool checked) { mnuReconnectClick(checked); });
}

void TfrmMain::mnuReconnectClick(bool checked) {
    monitor_->ReconnectLostPort = checked;
    VTolmAppInfo1->WriteSetting("Connection", "Reconnect", checked ? "1" : "0");
}

void TfrmMain::RestoreReconnect() {
    std::string stored;
    VTolmAppInfo1->ReadSetting("Connection", "Reconnect", stored, "1");
    const bool on = stored != "0";
    // Restoring is no choice of the user's: nothing to write back.
    const QSignalBlocker quiet(mnuReconnect);
    mnuReconnect->setChecked(on);
    monitor_->ReconnectLostPort = on;
}

void TfrmMain::mnuDebugTerminalClick(bool checked) {
    monitor_->DebugTraffic = checked;
    if (checked)
        termMain->SetVisible(true);
}

void TfrmMain::mnuContentClick() {
    if (!frmHelp)
        frmHelp = new THelpWindow(this);
    frmHelp->ShowContent();
}

void TfrmMain::mnuAboutClick() {
    std::string version;
    VTolmAppInfo1->GetFileVersion(version);
    TfrmAbout about(QString::fromStdString(version), this);
    about.exec();
}

} // namespace celdara
