// The file dialogs never read a file to show it: a FIFO or /proc/kmsg would never answer,
// and the program, polling included, would wait with the dialog. A test that finishes is
// the proof that nothing was opened.
#include "app/FileDialogs.h"

#include "AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFileSystemModel>
#include <QTimer>
#include <sys/stat.h>

namespace celdara::testing {
namespace {

class FileDialogsTest : public AppTest {
protected:
    FileDialogsTest() {
        EXPECT_TRUE(files.isValid());
        fifo = QDir(files.path()).filePath("pipe");
        EXPECT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    }
    QTemporaryDir files;
    QString fifo;
};

TEST_F(FileDialogsTest, TheProviderTellsIconAndTypeFromTheEntryAlone) {
    QFile regular(QDir(files.path()).filePath("table.csv"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    struct Row {
        const char* name;
        QString path;
        QString type; // empty: a type of the name's own, not the generic one
    };
    const Row rows[] = {
        {"fifo", fifo, "Special file"},
        {"folder", files.path(), "Folder"},
        {"csv by its name", regular.fileName(), {}},
        // A regular file of procfs whose read blocks until the kernel logs.
        {"kernel log", "/proc/kmsg", "File"},
    };
    const TPlainFileIconProvider& provider = TPlainFileIconProvider::Shared();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QFileInfo info(row.path);
        if (!info.exists())
            continue; // no /proc here
        EXPECT_FALSE(provider.icon(info).isNull());
        const QString type = provider.type(info);
        if (row.type.isEmpty())
            EXPECT_NE(type, "File");
        else
            EXPECT_EQ(type, row.type);
    }
}

TEST_F(FileDialogsTest, AQuietDialogListsAFolderWithAFifo) {
    QFileDialog dialog;
    MakeQuietFileDialog(dialog);
    dialog.setDirectory(files.path());
    dialog.show();
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    // The model asks the provider for the entry's type and icon as it lists the folder.
    ASSERT_TRUE(WaitFor([&] { return model->index(fifo).isValid(); }, 5000));
    const QModelIndex entry = model->index(fifo);
    EXPECT_EQ(model->type(entry), "Special file");
    EXPECT_FALSE(model->fileIcon(entry).isNull());
    EXPECT_EQ(dialog.iconProvider(), &TPlainFileIconProvider::Shared());
}

// Every file dialog of the window is the quiet one.
TEST_F(FileDialogsTest, EveryFileDialogOfTheWindowIsQuiet) {
    TfrmMain& w = OpenWindow();
    for (const char* entry : {"mnuSaveHistory", "mnuSaveGraph", "mnuLogToFile"}) {
        SCOPED_TRACE(entry);
        auto* action = w.findChild<QAction*>(entry);
        ASSERT_NE(action, nullptr);
        QFileDialog* seen = nullptr;
        bool native = true;
        const QAbstractFileIconProvider* provider = nullptr;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = dialog;
            native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            provider = dialog->iconProvider();
            dialog->reject();
        });
        probe.start(20);
        action->trigger();
        probe.stop();
        ASSERT_NE(seen, nullptr);
        EXPECT_FALSE(native);
        EXPECT_EQ(provider, &TPlainFileIconProvider::Shared());
    }
}

} // namespace
} // namespace celdara::testing
