// The program's file dialogs. Qt's own dialog asks the icon provider for each entry's icon and
// type, and the stock provider learns a type by reading the file's first bytes: in /proc
// (/proc/kmsg) or on a FIFO that read never returns, and the whole program, polling included,
// waits with it. These dialogs are told everything from the name and the directory entry alone.
#pragma once

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileIconProvider>

namespace celdara {

// Generic icons (the style's folder, file and drive) and types from a file's name and kind;
// it never opens a file.
class TPlainFileIconProvider : public QFileIconProvider {
    Q_DECLARE_TR_FUNCTIONS(TPlainFileIconProvider)

public:
    TPlainFileIconProvider();
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

    // The one the dialogs share; it keeps no state, so any thread may ask it.
    static TPlainFileIconProvider& Shared();
};

// Qt's own dialog (never the desktop's, which cannot be told not to read files) with the
// plain provider.
void MakeQuietFileDialog(QFileDialog& dialog);

// What a save dialog asks: its title, the suggested file, the filter and its options.
struct TSaveRequest {
    QString Caption;
    QString Suggested;
    QString Filter;
    QFileDialog::Options Options = {};
};

// Asks for a file to write; empty when cancelled. `extra`, when given, is a row of the
// caller's own under the file type (with `extraLabel`), read after the dialog closes.
QString AskSaveFileName(QWidget* parent, const TSaveRequest& request, QWidget* extra = nullptr,
                        const QString& extraLabel = {});

} // namespace celdara
