#include "app/NetworkScanDialog.h"

#include "modem/RadioStatus.h"

#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace celdara {

namespace {

constexpr int kScanMinutes = kNetworkScanMs / 60000;

// NetworkStateText's words, for the translations.
[[maybe_unused]] const char* const kStateWords[] = {
    QT_TRANSLATE_NOOP("TNetworkScanDialog", "unknown"),
    QT_TRANSLATE_NOOP("TNetworkScanDialog", "available"),
    QT_TRANSLATE_NOOP("TNetworkScanDialog", "current"),
    QT_TRANSLATE_NOOP("TNetworkScanDialog", "forbidden"),
};

const QColor kWarningColor(0xA0, 0, 0);

constexpr int kStateCurrent = 2;
constexpr int kStateForbidden = 3;

QString ClockText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

} // namespace

QString NetworkName(const TNetworkEntry& entry) {
    if (!entry.LongName.empty())
        return QString::fromStdString(entry.LongName);
    if (!entry.ShortName.empty())
        return QString::fromStdString(entry.ShortName);
    return QString::fromStdString(entry.Code);
}

TNetworkScanDialog::TNetworkScanDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgNetworkScan");
    setWindowTitle(tr("Search for networks"));
    CreateControls();
    tick_ = new QTimer(this);
    // Ticks more often than the clock shows, so that its seconds never lag by one.
    tick_->setInterval(250);
    connect(tick_, &QTimer::timeout, this, [this] { ShowElapsed(); });
    resize(560, 320);
}

void TNetworkScanDialog::CreateControls() {
    lblStatus = new QLabel(this);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setWordWrap(true);
    prgScan = new QProgressBar(this);
    prgScan->setObjectName("prgScan");
    prgScan->setRange(0, 0); // busy: the modem tells nothing of its progress
    prgScan->setTextVisible(false);
    tblNetworks = new QTableWidget(0, kNetColumns, this);
    tblNetworks->setObjectName("tblNetworks");
    tblNetworks->setHorizontalHeaderLabels(
        {tr("Name"), tr("Short name"), tr("Code"), tr("State"), tr("Technology")});
    tblNetworks->verticalHeader()->hide();
    tblNetworks->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblNetworks->horizontalHeader()->setSectionResizeMode(kNetLongName, QHeaderView::Stretch);
    tblNetworks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblNetworks->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblNetworks->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(tblNetworks, &QTableWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
    lblNote = new QLabel(this);
    lblNote->setObjectName("lblNote");
    lblNote->setWordWrap(true);
    btnSwitch = new QPushButton(tr("&Switch to network"), this);
    btnSwitch->setObjectName("btnSwitch");
    connect(btnSwitch, &QPushButton::clicked, this, [this] { btnSwitchClick(); });
    btnAdd = new QPushButton(tr("&Add to operator table"), this);
    btnAdd->setObjectName("btnAdd");
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    btnClose = new QPushButton(this);
    btnClose->setObjectName("btnClose");
    connect(btnClose, &QPushButton::clicked, this, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSwitch);
    buttons->addWidget(btnAdd);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(prgScan);
    // Without a list the space is left below the words rather than spread between them.
    layout->addWidget(tblNetworks, 100);
    layout->addWidget(lblNote);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TNetworkScanDialog::ShowScanning() {
    scanning_ = true;
    networks_.clear();
    FillTable();
    lblNote->setText(tr("While the modem searches it answers nothing else: the signal and the "
                        "status wait for the end of the search."));
    prgScan->show();
    btnClose->setText(tr("Cancel"));
    elapsed_.start();
    tick_->start();
    ShowElapsed();
}

void TNetworkScanDialog::ShowElapsed() {
    lblStatus->setText(tr("Searching for networks: %1 passed. A modem may take up to %2 minutes.")
                           .arg(ClockText(elapsed_.elapsed()))
                           .arg(kScanMinutes));
}

void TNetworkScanDialog::ShowResult(const TNetworkScanResult& result) {
    switch (result.End) {
    case TScanEnd::Cancelled:
        EndSearch({}, {});
        hide();
        return;
    case TScanEnd::Refused:
        EndSearch(tr("The modem refused the search: %1").arg(QString::fromStdString(result.Error)),
                  {});
        return;
    case TScanEnd::Unanswered:
        EndSearch(
            result.Error.empty()
                ? tr("The modem did not answer the search within %1 minutes.").arg(kScanMinutes)
                : tr("The search ended without an answer: %1")
                      .arg(QString::fromStdString(result.Error)),
            {});
        return;
    case TScanEnd::Done:
        break;
    }
    EndSearch(result.Networks.empty()
                  ? tr("The modem found no networks.")
                  : tr("Networks found: %1. Choose one to switch to it or to add it to the "
                       "operator table.")
                        .arg(result.Networks.size()),
              result.Networks);
}

void TNetworkScanDialog::EndSearch(const QString& status,
                                   const std::vector<TNetworkEntry>& networks) {
    scanning_ = false;
    tick_->stop();
    prgScan->hide();
    lblStatus->setText(status);
    btnClose->setText(tr("Close"));
    networks_ = networks;
    FillTable();
}

// One row a network; the current one in bold and selected at first.
void TNetworkScanDialog::FillTable() {
    tblNetworks->setRowCount(static_cast<int>(networks_.size()));
    int current = -1;
    for (int row = 0; row < tblNetworks->rowCount(); ++row) {
        const TNetworkEntry& entry = networks_[static_cast<std::size_t>(row)];
        const QString cells[kNetColumns] = {
            QString::fromStdString(entry.LongName),
            QString::fromStdString(entry.ShortName),
            QString::fromStdString(entry.Code),
            tr(NetworkStateText(entry.State)),
            entry.Act ? QString(AccessTechName(AccessTechOfAct(*entry.Act))) : QString(),
        };
        for (int col = 0; col < kNetColumns; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (entry.State == kStateCurrent) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            if (entry.State == kStateForbidden && col == kNetState)
                item->setForeground(kWarningColor);
            tblNetworks->setItem(row, col, item);
        }
        if (entry.State == kStateCurrent && current < 0)
            current = row;
    }
    tblNetworks->setVisible(!networks_.empty());
    if (current >= 0)
        tblNetworks->selectRow(current);
    else
        tblNetworks->clearSelection();
    SelectionChanged();
}

const TNetworkEntry* TNetworkScanDialog::SelectedNetwork() const {
    const QList<QTableWidgetItem*> selected = tblNetworks->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = selected.first()->row();
    if (row < 0 || row >= static_cast<int>(networks_.size()))
        return nullptr;
    return &networks_[static_cast<std::size_t>(row)];
}

void TNetworkScanDialog::SelectionChanged() {
    const TNetworkEntry* entry = SelectedNetwork();
    btnSwitch->setEnabled(entry != nullptr);
    btnAdd->setEnabled(entry != nullptr);
    if (entry && entry->State == kStateForbidden)
        lblNote->setText(tr("%1 is forbidden: the SIM does not allow it, and the modem will "
                            "most likely be refused there.")
                             .arg(NetworkName(*entry)));
    else
        lblNote->clear();
}

void TNetworkScanDialog::btnSwitchClick() {
    const TNetworkEntry* entry = SelectedNetwork();
    if (!entry || !OnSwitch)
        return;
    OnSwitch(*entry);
    accept();
}

void TNetworkScanDialog::btnAddClick() {
    const TNetworkEntry* entry = SelectedNetwork();
    if (entry && OnAdd)
        lblNote->setText(OnAdd(*entry));
}

void TNetworkScanDialog::reject() {
    // Closed at once: the window is never kept waiting for the modem to stop.
    if (scanning_) {
        EndSearch({}, {});
        if (OnCancel)
            OnCancel();
    }
    QDialog::reject();
}

} // namespace celdara
