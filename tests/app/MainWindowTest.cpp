#include "AppTestSupport.h"
#include "appinfo/VTolmAppInfo.h"
#include "core/Timer.h"
#include "modem/OperatorTable.h"
#include "serial/LyrComm32.h"
#include "terminal/VTolmTerminal.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <csignal>

namespace celdara::testing {
namespace {

TEST_F(AppTest, PollsTheSimulatedModemAndShowsWhatItLearns) {
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 3; }, 15000))
        << "state " << w.Monitor().State() << " step " << w.Monitor().Step();
    // One more display refresh after the cycles.
    QTest::qWait(2 * w.tmrShow->Interval());

    EXPECT_TRUE(w.windowTitle().startsWith("Celdara, version 0.")) << w.windowTitle().toStdString();
    EXPECT_EQ(w.StatusPanels[kPanelPort]->text(), "virtual-modem");
    // The panel keeps its width and shortens the text; the hint holds all of it.
    EXPECT_EQ(w.StatusPanels[kPanelDevice]->toolTip(), "Device: Celdara Virtual GSM modem");
    EXPECT_TRUE(w.StatusPanels[kPanelDevice]->text().startsWith("Device: Celdara"));
    const QString operatorText = w.StatusPanels[kPanelOperator]->text();
    EXPECT_TRUE(QRegularExpression("^.+ \\(\\d{5}\\), registered, (home network|roaming)$")
                    .match(operatorText)
                    .hasMatch())
        << operatorText.toStdString();
    EXPECT_GE(w.rkwXPGraph1->UsageValue(), 1);
    EXPECT_LE(w.rkwXPGraph1->UsageValue(), 100);
    // The serving cell row is filled: a channel, a band and the country code 230.
    EXPECT_NE(w.sgrResult->item(0, 0)->text(), "-");
    EXPECT_TRUE(w.sgrResult->item(0, 1)->text() == "900" ||
                w.sgrResult->item(0, 1)->text() == "1800");
    EXPECT_TRUE(w.sgrResult->item(0, 5)->text().startsWith("230 "))
        << w.sgrResult->item(0, 5)->text().toStdString();
    EXPECT_EQ(w.sgrResult->horizontalHeaderItem(5)->text(), "MCC MNC");
    EXPECT_EQ(w.cmbPort->palette().color(QPalette::Text), QColor(0, 128, 0));
    EXPECT_EQ(w.lblSpeed->text(), "= 3 seconds");
}

TEST_F(AppTest, UpdateSpeedOneMinuteRefreshesEveryFiveSeconds) {
    TfrmMain& w = OpenWindow();
    EXPECT_EQ(w.tmrShow->Interval(), 250u);
    QAction* minute = w.findChild<QAction*>("mnuSpeed4");
    ASSERT_NE(minute, nullptr);
    minute->trigger();
    EXPECT_EQ(w.tmrShow->Interval(), 5000u);
    EXPECT_EQ(w.lblSpeed->text(), "= 1 minute");
    EXPECT_TRUE(minute->isChecked());
    EXPECT_FALSE(w.findChild<QAction*>("mnuSpeed1")->isChecked());
}

TEST_F(AppTest, TheChosenPortIsStoredAndRestoredAtTheNextStart) {
    OpenWindow();
    PickPort(kFaultyVirtualModemPort);
    CloseWindow();

    TfrmMain& again = OpenWindow();
    EXPECT_EQ(again.cmbPort->currentText(), kFaultyVirtualModemPort);
    EXPECT_EQ(again.Monitor().State() == msInit, false); // the machine runs at once
}

TEST_F(AppTest, AStoredPortThatIsGoneIsStillPutIntoTheBoxAndTried) {
    OpenWindow();
    window->cmbPort->lineEdit()->clear();
    QTest::keyClicks(window->cmbPort->lineEdit(), "ttyGONE9");
    CloseWindow();

    TfrmMain& w = OpenWindow();
    EXPECT_EQ(w.cmbPort->currentText(), "ttyGONE9");
    ASSERT_TRUE(WaitFor(
        [&] { return w.cmbPort->palette().color(QPalette::Text) == QColor(Qt::red); }, 3000));
    EXPECT_EQ(w.Monitor().State(), msOpen);
}

TEST_F(AppTest, TheDefaultOperatorTableIsWrittenAtTheFirstStart) {
    ASSERT_FALSE(QFile::exists(ConfigFile("mccmnc.ini")));
    TfrmMain& w = OpenWindow();
    QFile file(ConfigFile("mccmnc.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), std::string(kDefaultOperatorTable));
    EXPECT_TRUE(w.rgpOperators->isEnabled());
    const auto buttons = w.rgpOperators->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_EQ(buttons[0]->text(), "Auto select");
    EXPECT_EQ(buttons[2]->text(), "O2 (23002)");
}

TEST_F(AppTest, TheOperatorGroupSwitchesTheSimulatorsOperator) {
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 1; }, 15000));

    QRadioButton* o2 = w.rgpOperators->findChild<QRadioButton*>("rgpOperators_Item2");
    ASSERT_NE(o2, nullptr);
    o2->click();
    EXPECT_FALSE(w.rgpOperators->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
    auto modem = RegisterSimulatedModems().Modem(kVirtualModemPort);
    const std::string code = modem->Locked([](TSimModem& m) {
        const TSimOperator* op = m.Network().Registered();
        return op ? op->Code : std::string();
    });
    EXPECT_EQ(code, "23002");
    ASSERT_TRUE(
        WaitFor([&] { return w.StatusPanels[kPanelOperator]->text().contains("(23002)"); }, 10000))
        << w.StatusPanels[kPanelOperator]->text().toStdString();

    w.rgpOperators->findChild<QRadioButton*>("rgpOperators_Item0")->click();
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
}

TEST_F(AppTest, DebugTerminalShowsTheTerminalAndTheShowButtonBringsItBack) {
    TfrmMain& w = OpenWindow();
    EXPECT_FALSE(w.termMain->Visible());
    w.btnShowTerm->click();
    EXPECT_TRUE(w.termMain->Visible());
    w.termMain->SetVisible(false);
    w.mnuDebugTerminal->trigger();
    EXPECT_TRUE(w.Monitor().DebugTraffic);
    EXPECT_TRUE(w.termMain->Visible());
    w.mnuDebugTerminal->trigger();
    EXPECT_FALSE(w.Monitor().DebugTraffic);
    EXPECT_TRUE(w.termMain->Visible()); // turning it off hides nothing
}

TEST_F(AppTest, TheHelpDocumentIsFound) {
    const QString path = TfrmMain::FindHelpDocument();
    ASSERT_FALSE(path.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("mccmnc.ini"));
}

TEST_F(AppTest, Screenshot) {
    const QByteArray dir = qgetenv("CELDARA_SHOTS_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set CELDARA_SHOTS_DIR to write the screenshot";
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    QTest::qWait(10000);
    w.grab().save(QDir(QString::fromUtf8(dir)).filePath("main-window.png"));
    // The terminal with all traffic shown, as the debug menu entry gives it.
    w.mnuDebugTerminal->trigger();
    QTest::qWait(1500);
    w.termMain->FlushView();
    w.termMain->Form()->grab().save(
        QDir(QString::fromUtf8(dir)).filePath("terminal-in-program.png"));
}

} // namespace
} // namespace celdara::testing

namespace celdara::testing {
namespace {

TEST_F(AppTest, TerminationSignalsCloseTheWindowAsItsCloseBoxDoes) {
    CloseOnTerminationSignals();
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.LyrComm321->IsOpen(); }, 5000));
    auto settingsText = [&] {
        QFile file(ConfigFile("registry.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    ASSERT_FALSE(settingsText().contains("ZOrder")); // no placement saved yet
    std::raise(SIGTERM);
    ASSERT_TRUE(WaitFor([&] { return !w.isVisible(); }, 3000));
    EXPECT_TRUE(settingsText().contains("ZOrder=frmMain"));
    CloseWindow(); // destroying the window closes the port
    int error = 0;
    auto again = RegisterSimulatedModems().OpenDevice(kVirtualModemPort, error);
    EXPECT_NE(again, nullptr) << "the port was left open, error " << error;
}

} // namespace
} // namespace celdara::testing
