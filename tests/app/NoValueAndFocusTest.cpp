// What the window shows while nothing is measured, and where the keyboard focus is after a
// switch: a failed port leaves the bar empty under a dash and a gap in the history, never
// "0 %"; an operator picked from the keyboard keeps the focus once the switch is over.
#include "AppTestSupport.h"
#include "widgets/TrkwXPGraph.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

namespace celdara::testing {
namespace {

using widgets::TrkwXPGraph;

QRadioButton* Item(TfrmMain& w, int index) {
    return w.rgpOperators->findChild<QRadioButton*>(QString("rgpOperators_Item%1").arg(index));
}

// The index of the item with the focus, -1 when the focus is outside the group.
int FocusedItem(TfrmMain& w) {
    for (int i = 0; QRadioButton* item = Item(w, i); ++i)
        if (QApplication::focusWidget() == item)
            return i;
    return -1;
}

bool HistoryHasGap(const TrkwXPGraph& graph) {
    const std::deque<int>& values = graph.History().Values();
    return std::any_of(values.begin(), values.end(), [](int v) { return v < 0; });
}

TEST_F(AppTest, AFailedPortShowsNoValueInTheBarAndAGapInTheHistory) {
    TfrmMain& w = OpenWindow();
    TrkwXPGraph& graph = *w.rkwXPGraph1;
    PickPort(kLteVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return graph.UsageValue() > 0; }, 20000));
    ASSERT_TRUE(graph.UsageBarText().endsWith(" %")) << graph.UsageBarText().toStdString();
    QTest::qWait(2 * w.tmrShow->Interval());

    CommitMistypedPort();

    EXPECT_EQ(graph.UsageValue(), TrkwXPGraph::kNoValue);
    EXPECT_FALSE(graph.UsageBarText().contains('%')) << graph.UsageBarText().toStdString();
    EXPECT_FALSE(graph.UsageBarText().contains('0')) << graph.UsageBarText().toStdString();
    EXPECT_TRUE(HistoryHasGap(graph));
}

// The keys a user presses on the operator group once Tab has brought the focus there (to
// the checked item, automatic selection), and the item that is picked by them.
struct TKeyboardPick {
    const char* Name;
    std::vector<Qt::Key> Keys;
    int Picked;
};

void PrintTo(const TKeyboardPick& pick, std::ostream* os) {
    *os << pick.Name;
}

class OperatorFocusTest : public AppTest, public ::testing::WithParamInterface<TKeyboardPick> {
protected:
    // The keys go where the focus is; a pick disables the group until the switch is over.
    void PressAndAwaitTheSwitch(TfrmMain& w, const std::vector<Qt::Key>& keys) {
        for (Qt::Key key : keys)
            QTest::keyClick(QApplication::focusWidget(), key);
        ASSERT_TRUE(WaitFor([&] { return !w.rgpOperators->isEnabled(); }, 10000))
            << "a switch runs";
        ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
    }
    static std::string FocusName() {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName().toStdString() : "nothing";
    }

    void SetUp() override {
        RegisterSimulatedModems().Modem(kVirtualModemPort)->Locked([](TSimModem& m) {
            m.Network().SelectAutomatic();
        });
    }
};

TEST_P(OperatorFocusTest, ThePickedItemHasTheFocusWhenTheSwitchIsOver) {
    TfrmMain& w = OpenWindow();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return Item(w, 0) && Item(w, 0)->isChecked(); }, 15000));
    ASSERT_TRUE(w.rgpOperators->isEnabled());

    for (int tabs = 0; FocusedItem(w) < 0 && tabs < 40; ++tabs)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w,
                        Qt::Key_Tab);
    ASSERT_EQ(FocusedItem(w), 0) << "Tab brings the focus to the checked item";

    PressAndAwaitTheSwitch(w, GetParam().Keys);
    EXPECT_TRUE(Item(w, GetParam().Picked)->isChecked());
    EXPECT_EQ(FocusedItem(w), GetParam().Picked) << "focus on " << FocusName();

    // And the keyboard goes on from there without a Tab: the next item, picked again.
    PressAndAwaitTheSwitch(w, {Qt::Key_Down});
    EXPECT_EQ(FocusedItem(w), GetParam().Picked + 1) << "focus on " << FocusName();
}

INSTANTIATE_TEST_SUITE_P(
    ByKeyboard, OperatorFocusTest,
    ::testing::Values(TKeyboardPick{"SpaceOnTheFocusedItem", {Qt::Key_Space}, 0},
                      TKeyboardPick{"ArrowToTheNextOperator", {Qt::Key_Down}, 1}),
    [](const ::testing::TestParamInfo<TKeyboardPick>& info) { return info.param.Name; });

} // namespace
} // namespace celdara::testing
