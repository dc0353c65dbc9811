// The operator group as a user meets it: the modem's selection checked from the first
// start, a switch said in the status bar while it runs, and nothing left checked of a port
// the user has left.
#include "AppTestSupport.h"
#include "app/StatusPanel.h"
#include "widgets/TrkwXPGraph.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QStatusBar>

namespace celdara::testing {
namespace {

QRadioButton* Item(TfrmMain& w, int index) {
    return w.rgpOperators->findChild<QRadioButton*>(QString("rgpOperators_Item%1").arg(index));
}

// The index of the checked item, -1 for none.
int Checked(TfrmMain& w) {
    for (int i = 0;; ++i) {
        QRadioButton* item = Item(w, i);
        if (!item)
            return -1;
        if (item->isChecked())
            return i;
    }
}

class OperatorGroupTest : public AppTest {
protected:
    // The built-in modems live as long as the process: each case starts in automatic
    // selection, as a modem fresh from the box does.
    void SetUp() override {
        for (const char* port : {kVirtualModemPort, kLteVirtualModemPort})
            RegisterSimulatedModems().Modem(port)->Locked(
                [](TSimModem& m) { m.Network().SelectAutomatic(); });
    }
};

TEST_F(OperatorGroupTest, AtFirstStartAutomaticSelectionIsChecked) {
    TfrmMain& w = OpenWindow();
    EXPECT_EQ(Checked(w), -1) << "nothing is known before the modem answers";
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return Checked(w) == 0; }, 15000))
        << "checked " << Checked(w) << " after " << w.Monitor().CompletedCycles() << " cycles";
}

TEST_F(OperatorGroupTest, ASwitchIsSaidThenItsOperatorIsCheckedAndANewPortClearsIt) {
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return Checked(w) == 0; }, 15000));

    // By mouse, as a user picks O2.
    QRadioButton* o2 = Item(w, 2);
    ASSERT_TRUE(o2->isVisible() && o2->isEnabled());
    QTest::mouseClick(o2, Qt::LeftButton, {}, QPoint(8, o2->height() / 2));
    EXPECT_EQ(Checked(w), 2);
    ASSERT_TRUE(WaitFor([&] { return !w.StatusBar1->currentMessage().isEmpty(); }, 10000));
    EXPECT_EQ(w.StatusBar1->currentMessage(), QString::fromUtf8("Switching to O2 (23002)…"));
    EXPECT_FALSE(w.rgpOperators->isEnabled());
    EXPECT_EQ(Checked(w), 2) << "the pick stays while the switch runs";
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
    EXPECT_TRUE(w.StatusBar1->currentMessage().isEmpty());
    ASSERT_TRUE(
        WaitFor([&] { return w.StatusPanels[kPanelOperator]->text().contains("(23002)"); }, 10000));
    EXPECT_EQ(Checked(w), 2) << "the modem's manual selection";

    // Another port: what was checked belonged to the modem on the old one.
    PickPort(kLteVirtualModemPort);
    QCoreApplication::processEvents();
    EXPECT_NE(Checked(w), 2);
    ASSERT_TRUE(WaitFor([&] { return Checked(w) == 0; }, 15000)) << Checked(w);
}

} // namespace
} // namespace celdara::testing
