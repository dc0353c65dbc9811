// What the main window keeps as data: the signal history and the graph saved on request,
// and every poll cycle logged to a file the user chose.
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/StatusPanel.h"
#include "appinfo/VTolmAppInfo.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QComboBox>
#include <QImageWriter>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QStatusBar>
#include <iterator>

namespace celdara {

namespace {
// The texts of kLogIntervals, in its order.
const char* const kLogIntervalTexts[] = {
    QT_TRANSLATE_NOOP("TfrmMain", "Every cycle"),
    QT_TRANSLATE_NOOP("TfrmMain", "Every second"),
    QT_TRANSLATE_NOOP("TfrmMain", "Every 10 seconds"),
    QT_TRANSLATE_NOOP("TfrmMain", "Every minute"),
};
static_assert(std::size(kLogIntervalTexts) == std::size(kLogIntervals));
} // namespace

void TfrmMain::CreateDataEntries(QMenu* file, QMenu* settings) {
    mnuSaveHistory = file->addAction(tr("Save signal history..."));
    mnuSaveHistory->setObjectName("mnuSaveHistory");
    connect(mnuSaveHistory, &QAction::triggered, this, [this] { mnuSaveHistoryClick(); });
    mnuSaveGraph = file->addAction(tr("Save graph as image..."));
    mnuSaveGraph->setObjectName("mnuSaveGraph");
    connect(mnuSaveGraph, &QAction::triggered, this, [this] { mnuSaveGraphClick(); });

    mnuLogToFile = settings->addAction(tr("Log to file..."));
    mnuLogToFile->setObjectName("mnuLogToFile");
    connect(mnuLogToFile, &QAction::triggered, this, [this] { mnuLogToFileClick(); });
    mnuStopLog = settings->addAction(tr("Stop logging"));
    mnuStopLog->setObjectName("mnuStopLog");
    mnuStopLog->setEnabled(false);
    connect(mnuStopLog, &QAction::triggered, this, [this] {
        QString error;
        StartLog({}, error);
    });
}

bool TfrmMain::SaveSignalHistory(const QString& path, QString& error) const {
    // Written in full or not at all: a half-written table is worse than the old one.
    QSaveFile file(path);
    const std::string csv = signalHistory_.ToCsv();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit()) {
        error = tr("Cannot save the signal history to %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool TfrmMain::SaveGraphImage(const QString& path, QString& error) const {
    // As the history: in full or not at all, and a failure says why.
    QSaveFile file(path);
    QImageWriter writer(&file, "PNG");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(rkwXPGraph1->grab().toImage()) ||
        !file.commit()) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        error = tr("Cannot save the graph to %1: %2").arg(path, reason);
        return false;
    }
    return true;
}

bool TfrmMain::StartLog(const QString& path, QString& error) {
    log_.Close();
    bool opened = true;
    if (!path.isEmpty() && !log_.Open(path.toStdString(), TRecordFormat::Csv)) {
        error = QString::fromStdString(log_.Error());
        opened = false;
    }
    VTolmAppInfo1->WriteSetting("Log", "File", opened ? path.toStdString() : std::string());
    logThrottle_.Restart();
    ShowLogState();
    return opened;
}

void TfrmMain::SetLogInterval(int seconds) {
    logThrottle_.SetInterval(seconds);
    VTolmAppInfo1->WriteSetting("Log", "Interval", std::to_string(seconds));
}

void TfrmMain::RestoreLog() {
    std::string interval;
    VTolmAppInfo1->ReadSetting("Log", "Interval", interval, std::to_string(kDefaultLogInterval));
    logThrottle_.SetInterval(ParseLogInterval(interval));
    std::string stored;
    VTolmAppInfo1->ReadSetting("Log", "File", stored, "");
    QString error;
    if (!stored.empty() && !StartLog(QString::fromStdString(stored), error))
        AddLine("  " + error.toStdString(), kTermKindEvent);
}

void TfrmMain::PollCycleCompleted() {
    if (!log_.IsOpen() || !logThrottle_.Due(TLogThrottle::Clock::now()))
        return;
    TPollRecord record;
    record.Time = std::chrono::system_clock::now();
    record.Port = PortBoxText();
    record.Manufacturer = monitor_->Manufacturer();
    record.Model = monitor_->Model();
    record.Status = monitor_->ShownStatus();
    if (log_.Append(record)) {
        ShowLogState();
        return;
    }
    // Said once; the log stops and the monitor goes on as before. The box does not wait
    // for the user, so the poll keeps running behind it.
    const QString reason = QString::fromStdString(log_.Error());
    AddLine("  " + reason.toStdString() + " Logging stopped.", kTermKindEvent);
    VTolmAppInfo1->WriteSetting("Log", "File", "");
    ShowLogState();
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Celdara"),
                                tr("%1 Logging stopped.").arg(reason), QMessageBox::Ok, this);
    box->setObjectName("msgLogFailed");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TfrmMain::ShowLogState() {
    mnuStopLog->setEnabled(log_.IsOpen());
    StatusBar1->setToolTip(log_.IsOpen() ? tr("Logging to %1 (%2)")
                                               .arg(QString::fromStdString(log_.Path()),
                                                    QLocale().formattedDataSize(log_.Size()))
                                         : QString());
}

void TfrmMain::mnuSaveHistoryClick() {
    const QString path = AskSaveFileName(
        this, {tr("Save signal history"), "signal-history.csv", tr("CSV files (*.csv)")});
    QString error;
    if (!path.isEmpty() && !SaveSignalHistory(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

void TfrmMain::mnuSaveGraphClick() {
    const QString path = AskSaveFileName(
        this, {tr("Save graph as image"), "signal-graph.png", tr("PNG images (*.png)")});
    QString error;
    if (!path.isEmpty() && !SaveGraphImage(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

void TfrmMain::mnuLogToFileClick() {
    QComboBox interval;
    interval.setObjectName("cmbLogInterval");
    for (std::size_t i = 0; i < std::size(kLogIntervals); ++i)
        interval.addItem(tr(kLogIntervalTexts[i]), kLogIntervals[i]);
    interval.setCurrentIndex(interval.findData(logThrottle_.Interval()));
    // Records are appended, so choosing an existing log is no overwrite.
    const QString path =
        AskSaveFileName(this,
                        {tr("Log the poll cycles to"), QString::fromStdString(log_.Path()),
                         tr("CSV files (*.csv)"), QFileDialog::DontConfirmOverwrite},
                        &interval, tr("&Interval:"));
    if (path.isEmpty())
        return;
    SetLogInterval(interval.currentData().toInt());
    QString error;
    if (!StartLog(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

} // namespace celdara
