// The help, doc/index.html, in a window of the program's own: no browser needs to be set up,
// the page's links and pictures work, and a missing page says where it was looked for.
#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QWidget>

class QTextBrowser;

namespace celdara {

class THelpWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(THelpWindow)

public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Where the help may be, in order: the installation beside the program, the installation
    // the program was built for, the source tree of an uninstalled build.
    static QStringList Locations();
    // The first of `locations` that exists; empty when none does.
    static QString FindDocument(const QStringList& locations = Locations());

    // Loads the page afresh (it may have been installed since) and brings the window up.
    void ShowContent(const QStringList& locations = Locations());
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};

} // namespace celdara
