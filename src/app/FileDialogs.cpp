#include "app/FileDialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QMimeDatabase>

namespace celdara {

TPlainFileIconProvider::TPlainFileIconProvider() {
    setOptions(DontUseCustomDirectoryIcons);
}

TPlainFileIconProvider& TPlainFileIconProvider::Shared() {
    static TPlainFileIconProvider provider;
    return provider;
}

QIcon TPlainFileIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot())
        return icon(Drive);
    return icon(info.isDir() ? Folder : File);
}

QString TPlainFileIconProvider::type(const QFileInfo& info) const {
    if (info.isDir())
        return tr("Folder");
    if (!info.isFile())
        return tr("Special file");
    // By the name only: the default match would read the file.
    const QMimeType mime =
        QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.isDefault() ? tr("File") : mime.comment();
}

void MakeQuietFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&TPlainFileIconProvider::Shared());
}

QString AskSaveFileName(QWidget* parent, const TSaveRequest& request, QWidget* extra,
                        const QString& extraLabel) {
    QFileDialog dialog(parent, request.Caption, request.Suggested, request.Filter);
    dialog.setObjectName("dlgSaveFile");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOptions(dialog.options() | request.Options);
    MakeQuietFileDialog(dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && extra) {
        const int row = grid->rowCount();
        auto* label = new QLabel(extraLabel, &dialog);
        label->setBuddy(extra);
        grid->addWidget(label, row, 0);
        grid->addWidget(extra, row, 1);
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The caller's row outlives the dialog that showed it.
    if (extra)
        extra->setParent(nullptr);
    return accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace celdara
