#include "app/RadioPanelView.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace celdara {

namespace {

// The widest text each column of the carriers table shows: its columns keep their width
// whatever the modem reports.
constexpr const char* kWidestCarrierTexts[kCarrierColumns] = {"PCC",  "n258",   "2070832", "100",
                                                              "1007", "-140.5", "-19.5",   "-20.5"};

// Three measurements to a row: LTE's RSRP, RSRQ and SINR, and on 5G NSA the NR leg's below.
constexpr int kMetricsPerRow = 3;
// The room the panel keeps whatever the technology, so that nothing around it moves: two
// rows of measurements, two lines of identity and the carriers table with this many rows
// (more scroll).
constexpr int kMetricRows = 2;
constexpr int kIdentityLines = 2;
constexpr int kCarrierRowsShown = 4;

QString IdentityName(const std::string& name) {
    // The rest are the standards' abbreviations, the same in every language.
    if (name == "Cell ID")
        return TRadioPanelView::tr("Cell ID");
    return QString::fromStdString(name);
}

QString CarrierHeader(const std::string& header) {
    // The rest are units and the standards' abbreviations.
    if (header == "role")
        return TRadioPanelView::tr("role");
    if (header == "band")
        return TRadioPanelView::tr("band");
    if (header == "channel")
        return TRadioPanelView::tr("channel");
    return QString::fromStdString(header);
}

} // namespace

TRadioPanelView::TRadioPanelView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    technology_ = new QLabel(this);
    technology_->setObjectName("lblTechnology");
    QFont bold = technology_->font();
    bold.setBold(true);
    technology_->setFont(bold);
    auto* metrics = new QWidget(this);
    metricGrid_ = new QGridLayout(metrics);
    metricGrid_->setContentsMargins(0, 0, 0, 0);
    metricGrid_->setHorizontalSpacing(6);
    metricGrid_->setVerticalSpacing(2);
    // The measurements stay together at the left however wide the window is.
    metricGrid_->setColumnStretch(3 * kMetricsPerRow, 1);
    identity_ = new QLabel(this);
    identity_->setObjectName("lblIdentity");
    identity_->setWordWrap(true);
    identity_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    identity_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    identity_->setMinimumHeight(kIdentityLines * identity_->fontMetrics().lineSpacing());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(2);
    layout->addWidget(technology_);
    layout->addWidget(metrics);
    layout->addWidget(identity_);
    CreateCarrierTable();
    layout->addWidget(carriers_, 0, Qt::AlignLeft);
    EnsureMetricLabels(kMetricRows * kMetricsPerRow);
}

// A table of fixed size, as tall and wide as its texts, in the cell grid's type: it never
// scrolls and takes no more room than its rows.
void TRadioPanelView::CreateCarrierTable() {
    carriers_ = new QTableWidget(0, kCarrierColumns, this);
    carriers_->setObjectName("tblCarriers");
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(8);
    carriers_->setFont(courier);
    carriers_->verticalHeader()->hide();
    carriers_->verticalHeader()->setMinimumSectionSize(1);
    carriers_->horizontalHeader()->setMinimumSectionSize(1);
    carriers_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    carriers_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    carriers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    carriers_->setSelectionMode(QAbstractItemView::NoSelection);
    carriers_->setFocusPolicy(Qt::NoFocus);
    QStringList headers;
    for (const std::string& header : CarrierTableHeaders())
        headers << CarrierHeader(header);
    carriers_->setHorizontalHeaderLabels(headers);
    const QFontMetrics metrics(courier);
    for (int col = 0; col < kCarrierColumns; ++col)
        carriers_->setColumnWidth(
            col,
            std::max(metrics.horizontalAdvance(headers[col]),
                     metrics.horizontalAdvance(QString::fromLatin1(kWidestCarrierTexts[col]))) +
                10);
    const int rowHeight = metrics.height() + 2;
    carriers_->verticalHeader()->setDefaultSectionSize(rowHeight);
    carriers_->horizontalHeader()->setFixedHeight(rowHeight);
    const int frame = 2 * carriers_->frameWidth();
    const int scrollBar = carriers_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    carriers_->setFixedSize(carriers_->horizontalHeader()->length() + scrollBar + frame,
                            rowHeight * (kCarrierRowsShown + 1) + frame);
    // Hidden without carriers, it keeps its room.
    QSizePolicy policy = carriers_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    carriers_->setSizePolicy(policy);
    carriers_->hide();
}

void TRadioPanelView::ShowCarriers(const std::vector<TCarrierRowTexts>& rows) {
    const int count = static_cast<int>(rows.size());
    carriers_->setRowCount(count);
    for (int row = 0; row < count; ++row)
        for (int col = 0; col < kCarrierColumns; ++col) {
            QTableWidgetItem* item = carriers_->item(row, col);
            if (!item) {
                item = new QTableWidgetItem;
                carriers_->setItem(row, col, item);
            }
            item->setText(QString::fromStdString(rows[row][col]));
        }
    carriers_->setVisible(count > 0);
}

QString TRadioPanelView::QualityText(TQuality quality) {
    switch (quality) {
    case TQuality::Excellent:
        return tr("excellent");
    case TQuality::Good:
        return tr("good");
    case TQuality::Fair:
        return tr("fair");
    case TQuality::Poor:
        return tr("poor");
    case TQuality::Unknown:
        break;
    }
    return {};
}

QColor TRadioPanelView::QualityBackground(TQuality quality) {
    switch (quality) {
    case TQuality::Excellent:
        return QColor(0x1b, 0x7f, 0x2a);
    case TQuality::Good:
        return QColor(0x9c, 0xd8, 0x6a);
    case TQuality::Fair:
        return QColor(0xf2, 0xa9, 0x00);
    case TQuality::Poor:
        return QColor(0xc6, 0x28, 0x28);
    case TQuality::Unknown:
        break;
    }
    return {};
}

QColor TRadioPanelView::QualityForeground(TQuality quality) {
    return quality == TQuality::Excellent || quality == TQuality::Poor ? QColor(Qt::white)
                                                                       : QColor(Qt::black);
}

void TRadioPanelView::EnsureMetricLabels(int count) {
    while (static_cast<int>(metrics_.size()) < count) {
        const int index = static_cast<int>(metrics_.size());
        const int row = index / kMetricsPerRow;
        const int column = index % kMetricsPerRow * 3;
        TMetricLabels labels{new QLabel(this), new QLabel(this), new QLabel(this)};
        labels.Name->setObjectName(QString("lblMetricName%1").arg(index));
        labels.Value->setObjectName(QString("lblMetricValue%1").arg(index));
        labels.Quality->setObjectName(QString("lblMetricQuality%1").arg(index));
        labels.Value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A gap between one measurement's word and the next one's name.
        labels.Name->setContentsMargins(column > 0 ? 12 : 0, 0, 0, 0);
        labels.Quality->setAlignment(Qt::AlignCenter);
        metricGrid_->addWidget(labels.Name, row, column);
        metricGrid_->addWidget(labels.Value, row, column + 1);
        metricGrid_->addWidget(labels.Quality, row, column + 2);
        metrics_.push_back(labels);
    }
}

void TRadioPanelView::ShowMetric(const TMetricLabels& labels, const TMetricText& metric) {
    labels.Name->setText(QString::fromStdString(metric.Name));
    labels.Value->setText(QString::fromStdString(metric.Value));
    labels.Quality->setText(QualityText(metric.Level));
    if (metric.Level == TQuality::Unknown) {
        labels.Quality->setStyleSheet({});
    } else {
        labels.Quality->setStyleSheet(
            QString("QLabel { background-color: %1; color: %2; border-radius: 3px; "
                    "padding: 0px 5px; }")
                .arg(QualityBackground(metric.Level).name(),
                     QualityForeground(metric.Level).name()));
    }
    for (QLabel* label : {labels.Name, labels.Value, labels.Quality})
        label->show();
}

void TRadioPanelView::Show(const TRadioPanel& panel) {
    ShowCarriers(panel.Carriers);
    if (panel.Empty()) {
        hide();
        technology_->clear();
        identity_->clear();
        shownMetrics_ = 0;
        return;
    }
    technology_->setText(QString::fromStdString(panel.Technology));
    shownMetrics_ = static_cast<int>(panel.Metrics.size());
    EnsureMetricLabels(shownMetrics_);
    for (int i = 0; i < static_cast<int>(metrics_.size()); ++i)
        ShowMetric(metrics_[i], i < shownMetrics_ ? panel.Metrics[i] : TMetricText{});
    QStringList identity;
    for (const auto& [name, value] : panel.Identity)
        identity << IdentityName(name) + ' ' + QString::fromStdString(value);
    identity_->setText(identity.join(QString::fromUtf8("   \u00b7   ")));
    show();
}

QString TRadioPanelView::TechnologyText() const {
    return technology_->text();
}

QString TRadioPanelView::IdentityText() const {
    return identity_->text();
}

} // namespace celdara
