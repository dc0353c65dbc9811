// What the main window shows of the radio: the metrics panel, the cell grid with the columns
// of the serving technology, and the history graph drawing the level, the RSRP or the SINR.
#include "app/MainWindow.h"
#include "app/RadioPanelView.h"
#include "appinfo/VTolmAppInfo.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QActionGroup>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace celdara {

namespace {

constexpr int kGridColumnWidth = 60;
// The grid is as wide as LTE's seven columns in every technology, its columns share that
// width: nothing beside it moves when the technology changes.
constexpr int kGridWidth = 7 * kGridColumnWidth;
constexpr TGraphSeries kGraphSeries[] = {TGraphSeries::Level, TGraphSeries::Rsrp,
                                         TGraphSeries::Sinr};

} // namespace

void TfrmMain::CreateRadioPanel(QVBoxLayout* layout) {
    radioPanel = new TRadioPanelView(this);
    radioPanel->setObjectName("radioPanel");
    radioPanel->hide();
    layout->addWidget(radioPanel);
}

void TfrmMain::SetRadioPanel(const TRadioPanel& panel) {
    // While the panel shows, the bar and the graph keep at least the height they have at the
    // default size without it: the window grows for the panel and the carriers table, and
    // only a window taller than that gives them room of the graph's. A GSM modem's window
    // never changes.
    const int least = panel.Empty() ? widgets::kGraphMinHeight : GraphDefaultHeight();
    if (rkwXPGraph1->minimumHeight() != least)
        rkwXPGraph1->setMinimumHeight(least);
    radioPanel->Show(panel);
}

void TfrmMain::SetCellGrid(const TCellGrid& grid) {
    const int columns = static_cast<int>(grid.Headers.size());
    const int rows = sgrResult->rowCount();
    if (columns != sgrResult->columnCount()) {
        sgrResult->setColumnCount(columns);
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < columns; ++col)
                if (!sgrResult->item(row, col))
                    sgrResult->setItem(row, col, new QTableWidgetItem);
        FitCellGrid();
    }
    for (int col = 0; col < columns; ++col) {
        const QString header = QString::fromStdString(grid.Headers[col]);
        QTableWidgetItem* item = sgrResult->horizontalHeaderItem(col);
        if (!item || item->text() != header)
            sgrResult->setHorizontalHeaderItem(col, new QTableWidgetItem(header));
    }
    for (int row = 0; row < rows && row < static_cast<int>(grid.Rows.size()); ++row)
        for (int col = 0; col < columns && col < static_cast<int>(grid.Rows[row].size()); ++col) {
            QTableWidgetItem* item = sgrResult->item(row, col);
            const bool number = col < static_cast<int>(grid.NumberColumns.size()) &&
                                grid.NumberColumns[static_cast<std::size_t>(col)];
            item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
            item->setText(QString::fromStdString(grid.Rows[row][col]));
        }
}

void TfrmMain::FitCellGrid() {
    if (gridRowHeight_ <= 0)
        return;
    const int frame = 2 * sgrResult->frameWidth();
    const int columns = std::max(1, sgrResult->columnCount());
    for (int col = 0; col < columns; ++col)
        sgrResult->setColumnWidth(col,
                                  kGridWidth * (col + 1) / columns - kGridWidth * col / columns);
    sgrResult->setFixedSize(kGridWidth + frame, gridRowHeight_ * kGridRows + frame);
}

void TfrmMain::SetGraphSample(const TGraphSample& sample) {
    signalHistory_.Add(std::chrono::system_clock::now(), sample);
    // A cycle that measured nothing at all (no level: a cleared status, a time-out) shows no
    // value in every series; one that measured the level but not what the graph draws holds
    // the line where it was.
    if (sample.Level < 0) {
        rkwXPGraph1->SetUsageValue(widgets::TrkwXPGraph::kNoValue);
        return;
    }
    const std::optional<int> value = SeriesValueOf(sample, graphSeries_);
    rkwXPGraph1->SetUsageValue(value.value_or(rkwXPGraph1->UsageValue()));
}

void TfrmMain::CreateGraphMenu() {
    rkwXPGraph1->setContextMenuPolicy(Qt::ActionsContextMenu);
    graphGroup = new QActionGroup(this);
    graphGroup->setExclusive(true);
    const QString texts[] = {tr("Show level"), tr("Show RSRP"), tr("Show SINR")};
    const char* names[] = {"mnuGraphLevel", "mnuGraphRsrp", "mnuGraphSinr"};
    for (int i = 0; i < 3; ++i) {
        auto* entry = new QAction(texts[i], rkwXPGraph1);
        entry->setObjectName(names[i]);
        entry->setCheckable(true);
        graphGroup->addAction(entry);
        rkwXPGraph1->addAction(entry);
        const TGraphSeries series = kGraphSeries[i];
        connect(entry, &QAction::triggered, this, [this, series] { mnuGraphClick(series); });
    }
    graphGroup->actions().front()->setChecked(true);
    RestoreGraphSeries();
}

void TfrmMain::SelectGraphSeries(TGraphSeries series) {
    graphSeries_ = series;
    const TSeriesScale& scale = ScaleOf(series);
    rkwXPGraph1->SetMaxValue(scale.Span);
    rkwXPGraph1->SetValueOffset(scale.Low);
    rkwXPGraph1->SetUsageLabel(QString::fromLatin1(scale.Unit));
    switch (series) {
    case TGraphSeries::Level:
        rkwXPGraph1->SetUsageCaption(tr("Signal"));
        rkwXPGraph1->SetHistoryCaption(tr("Signal History"));
        break;
    case TGraphSeries::Rsrp:
        rkwXPGraph1->SetUsageCaption(tr("RSRP"));
        rkwXPGraph1->SetHistoryCaption(tr("RSRP History"));
        break;
    case TGraphSeries::Sinr:
        rkwXPGraph1->SetUsageCaption(tr("SINR"));
        rkwXPGraph1->SetHistoryCaption(tr("SINR History"));
        break;
    }
    // The history drawn again in the new series' values, as if it had always drawn them.
    rkwXPGraph1->ReplaceHistory(signalHistory_.Series(series));
    graphGroup->actions().at(static_cast<int>(series))->setChecked(true);
}

void TfrmMain::mnuGraphClick(TGraphSeries series) {
    SelectGraphSeries(series);
    VTolmAppInfo1->WriteSetting("View", "Graph", GraphSeriesName(series));
}

void TfrmMain::RestoreGraphSeries() {
    std::string stored;
    VTolmAppInfo1->ReadSetting("View", "Graph", stored, GraphSeriesName(TGraphSeries::Level));
    SelectGraphSeries(GraphSeriesOfName(stored));
}

} // namespace celdara
