// What the main window keeps as data: the signal history and the graph saved on request,
// and every poll cycle logged to a file the user chose.
#include "app/MainWindow.h"
#include "app/StatusPanel.h"
#include "appinfo/VTolmAppInfo.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QFileDialog>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QStatusBar>

namespace celdara {

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
    if (!rkwXPGraph1->grab().save(path, "PNG")) {
        error = tr("Cannot save the graph to %1.").arg(path);
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
    ShowLogState();
    return opened;
}

void TfrmMain::RestoreLog() {
    std::string stored;
    VTolmAppInfo1->ReadSetting("Log", "File", stored, "");
    QString error;
    if (!stored.empty() && !StartLog(QString::fromStdString(stored), error))
        AddLine("  " + error.toStdString(), kTermKindEvent);
}

void TfrmMain::PollCycleCompleted() {
    if (!log_.IsOpen())
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
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save signal history"), "signal-history.csv", tr("CSV files (*.csv)"));
    QString error;
    if (!path.isEmpty() && !SaveSignalHistory(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

void TfrmMain::mnuSaveGraphClick() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save graph as image"),
                                                      "signal-graph.png", tr("PNG images (*.png)"));
    QString error;
    if (!path.isEmpty() && !SaveGraphImage(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

void TfrmMain::mnuLogToFileClick() {
    // Records are appended, so choosing an existing log is no overwrite.
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Log every poll cycle to"), QString::fromStdString(log_.Path()),
        tr("CSV files (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    QString error;
    if (!path.isEmpty() && !StartLog(path, error))
        QMessageBox::warning(this, tr("Celdara"), error);
}

} // namespace celdara
