#include "app/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace celdara {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmHelp");
    setWindowTitle(tr("Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("brwHelp");
    // Links within the help stay here; the web's go to the desktop's browser, if any.
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(720, 640);
}

QStringList THelpWindow::Locations() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {
        QDir::cleanPath(programDir.filePath(CELDARA_HELP_FROM_PROGRAM "/index.html")),
        QStringLiteral(CELDARA_HELP_INSTALLED_DIR "/index.html"),
        QStringLiteral(CELDARA_SOURCE_DIR "/doc/index.html"),
    };
}

QString THelpWindow::FindDocument(const QStringList& locations) {
    for (const QString& path : locations)
        if (QFileInfo(path).isFile())
            return QFileInfo(path).canonicalFilePath();
    return {};
}

void THelpWindow::ShowContent(const QStringList& locations) {
    const QString path = FindDocument(locations);
    if (path.isEmpty()) {
        QString text =
            "<p>" + tr("The help (index.html) was not found. It was looked for in:") + "</p><ul>";
        for (const QString& place : locations)
            text += "<li>" + place.toHtmlEscaped() + "</li>";
        browser_->setHtml(text + "</ul>");
    } else {
        // The page's folder resolves its pictures and links.
        const QUrl url = QUrl::fromLocalFile(path);
        if (browser_->source() == url)
            browser_->reload();
        else
            browser_->setSource(url);
    }
    show();
    raise();
    activateWindow();
}

} // namespace celdara
