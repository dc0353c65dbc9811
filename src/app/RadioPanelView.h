// The radio metrics panel of the main window: the technology line in bold, each
// measurement with its value and a quality word on the word's colour, the cell's identity,
// and the carriers table while there is more than one carrier. Hidden while the modem tells
// of no radio technology, so that a GSM modem's window looks as it always did.
#pragma once

#include "modem/StatusDisplay.h"

#include <QColor>
#include <QCoreApplication>
#include <QFrame>
#include <QString>
#include <vector>

class QGridLayout;
class QLabel;
class QTableWidget;

namespace celdara {

class TRadioPanelView : public QFrame {
    Q_DECLARE_TR_FUNCTIONS(TRadioPanelView)

public:
    explicit TRadioPanelView(QWidget* parent = nullptr);

    void Show(const TRadioPanel& panel);

    // The quality word in the user's language; empty for Unknown.
    static QString QualityText(TQuality quality);
    // The word's background and its text's colour: the pair is the same on every palette,
    // so the word stays readable on light and dark ones.
    static QColor QualityBackground(TQuality quality);
    static QColor QualityForeground(TQuality quality);

    // What the panel shows, for the tests.
    QString TechnologyText() const;
    int MetricCount() const { return shownMetrics_; }
    QLabel* MetricName(int index) const { return metrics_.at(index).Name; }
    QLabel* MetricValue(int index) const { return metrics_.at(index).Value; }
    QLabel* MetricQuality(int index) const { return metrics_.at(index).Quality; }
    QString IdentityText() const;
    QTableWidget* CarrierTable() const { return carriers_; }

private:
    struct TMetricLabels {
        QLabel* Name;
        QLabel* Value;
        QLabel* Quality;
    };
    void EnsureMetricLabels(int count);
    void ShowMetric(const TMetricLabels& labels, const TMetricText& metric);
    void CreateCarrierTable();
    void ShowCarriers(const std::vector<TCarrierRowTexts>& rows);

    QLabel* technology_;
    QGridLayout* metricGrid_;
    QLabel* identity_;
    QTableWidget* carriers_;
    std::vector<TMetricLabels> metrics_;
    int shownMetrics_ = 0;
};

} // namespace celdara
