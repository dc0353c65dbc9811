// Help → Content shows the help in a window of the program: no browser needed, the page's
// pictures and links work, and a missing page says where it was looked for.
#include "app/HelpWindow.h"

#include "AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

namespace celdara::testing {
namespace {

// The names of the pictures the document shows, and whether each of them was loaded.
std::vector<std::pair<QString, bool>> Pictures(QTextDocument& document) {
    std::vector<std::pair<QString, bool>> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QVariant image = document.resource(QTextDocument::ImageResource, QUrl(name));
            pictures.emplace_back(name, image.isValid() && !image.value<QImage>().isNull());
        }
    return pictures;
}

TEST_F(AppTest, HelpContentShowsTheHelpInAWindowOfTheProgram) {
    TfrmMain& w = OpenWindow();
    auto* content = w.findChild<QAction*>("mnuContent");
    ASSERT_NE(content, nullptr);
    content->trigger();
    ASSERT_NE(w.frmHelp, nullptr);
    EXPECT_TRUE(w.frmHelp->isVisible());
    EXPECT_TRUE(w.findChildren<QMessageBox*>().isEmpty());
    QTextBrowser& browser = *w.frmHelp->Browser();
    EXPECT_EQ(browser.source(), QUrl::fromLocalFile(THelpWindow::FindDocument()));
    EXPECT_TRUE(browser.toPlainText().contains("mccmnc.ini"));
    const auto pictures = Pictures(*browser.document());
    EXPECT_FALSE(pictures.empty());
    for (const auto& [name, loaded] : pictures)
        EXPECT_TRUE(loaded) << name.toStdString();

    // Asked again, the same window comes up.
    THelpWindow* first = w.frmHelp;
    first->hide();
    content->trigger();
    EXPECT_EQ(w.frmHelp, first);
    EXPECT_TRUE(first->isVisible());
}

class HelpPlacesTest : public AppTest {
protected:
    QString Write(const QString& relative, const QByteArray& text) {
        const QString path = QDir(places.path()).filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    QTemporaryDir places;
};

TEST_F(HelpPlacesTest, TheFirstPlaceThatHoldsTheHelpIsShownWithItsPicturesAndLinks) {
    // An installation: the page, a second page it links to, and a picture beside them.
    const QString page = Write("share/doc/celdara/index.html",
                               R"(<p><img src="shot.png"></p><p><a href="more.html">More</a></p>)");
    Write("share/doc/celdara/more.html", "<p>The second page.</p>");
    QImage shot(8, 8, QImage::Format_RGB32);
    shot.fill(Qt::red);
    ASSERT_TRUE(shot.save(QDir(places.path()).filePath("share/doc/celdara/shot.png")));

    THelpWindow help;
    help.ShowContent({QDir(places.path()).filePath("missing/index.html"), page});
    QTextBrowser& browser = *help.Browser();
    EXPECT_EQ(browser.source(), QUrl::fromLocalFile(QFileInfo(page).canonicalFilePath()));
    const auto pictures = Pictures(*browser.document());
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(pictures[0].second);

    // By keyboard: Tab reaches the link, Enter follows it.
    browser.setFocus();
    QTest::keyClick(&browser, Qt::Key_Tab);
    QTest::keyClick(&browser, Qt::Key_Return);
    EXPECT_TRUE(browser.toPlainText().contains("The second page."))
        << browser.source().toString().toStdString();
}

TEST_F(HelpPlacesTest, AMissingHelpSaysEveryPlaceItWasLookedFor) {
    const QStringList nowhere = {QDir(places.path()).filePath("share/doc/celdara/index.html"),
                                 QDir(places.path()).filePath("src/doc/index.html")};
    EXPECT_TRUE(THelpWindow::FindDocument(nowhere).isEmpty());
    THelpWindow help;
    help.ShowContent(nowhere);
    const QString text = help.Browser()->toPlainText();
    EXPECT_TRUE(text.contains("was not found")) << text.toStdString();
    for (const QString& place : nowhere)
        EXPECT_TRUE(text.contains(place)) << place.toStdString();
}

} // namespace
} // namespace celdara::testing
