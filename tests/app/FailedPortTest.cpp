// A port that fails takes the old modem's readings off the screen: the bar, the radio panel,
// the grid and the status bar show none of them, and the port panel says why.
#include "AppTestSupport.h"
#include "app/RadioPanelView.h"
#include "app/StatusPanel.h"
#include "widgets/TrkwXPGraph.h"

#include <QLineEdit>
#include <QTableWidget>

namespace celdara::testing {
namespace {

// Every cell of the grid, as the user reads it.
QStringList GridTexts(const QTableWidget& grid) {
    QStringList texts;
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < grid.columnCount(); ++column)
            if (const QTableWidgetItem* item = grid.item(row, column))
                texts << item->text().trimmed();
    return texts;
}

TEST_F(AppTest, AFailedPortLeavesNoValueOnScreen) {
    TfrmMain& w = OpenWindow();
    PickPort(kLteVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 2; }, 20000));
    QTest::qWait(2 * w.tmrShow->Interval());
    ASSERT_FALSE(w.radioPanel->TechnologyText().isEmpty()) << "the modem's radio was shown";
    ASSERT_GT(w.rkwXPGraph1->UsageValue(), 0);
    ASSERT_TRUE(w.StatusPanels[kPanelDevice]->text().startsWith("Device: "));

    CommitMistypedPort();

    EXPECT_TRUE(w.StatusPanels[kPanelPort]->text().startsWith("Cannot open virtual-lte-modems"))
        << w.StatusPanels[kPanelPort]->text().toStdString();
    EXPECT_EQ(w.StatusPanels[kPanelDevice]->text(), "");
    const QString operatorPanel = w.StatusPanels[kPanelOperator]->text();
    EXPECT_FALSE(operatorPanel.contains("T-Mobile")) << operatorPanel.toStdString();
    EXPECT_FALSE(operatorPanel.contains("23001")) << operatorPanel.toStdString();
    EXPECT_TRUE(w.radioPanel->TechnologyText().isEmpty())
        << w.radioPanel->TechnologyText().toStdString();
    for (const QString& text : GridTexts(*w.sgrResult))
        EXPECT_TRUE(text.isEmpty() || text == "-") << text.toStdString();
    EXPECT_LE(w.rkwXPGraph1->UsageValue(), 0);
    EXPECT_EQ(w.lblConnection->text(), "");
}

} // namespace
} // namespace celdara::testing
