#include "AppTestSupport.h"
#include "app/StatusPanel.h"
#include "app/Translations.h"
#include "appinfo/VTolmAppInfo.h"
#include "core/Timer.h"
#include "modem/OperatorTable.h"
#include "serial/LyrComm32.h"
#include "serial/SerialDevice.h"
#include "terminal/VTolmTerminal.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
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

    // The desktop adds the program's name; the title itself holds only the version.
    const QRegularExpression versionTitle(R"(^Version \d+\.\d+\.\d+\.\d+$)");
    EXPECT_TRUE(versionTitle.match(w.windowTitle()).hasMatch()) << w.windowTitle().toStdString();
    EXPECT_EQ(w.StatusPanels[kPanelPort]->text(), "virtual-modem");
    EXPECT_EQ(w.StatusPanels[kPanelDevice]->text(), "Device: Celdara Virtual GSM modem");
    // At the default size every panel shows its whole text, whatever this machine's fonts.
    for (TStatusPanel* panel : w.StatusPanels)
        EXPECT_EQ(panel->ShownText(), panel->text()) << panel->objectName().toStdString();
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

TEST_F(AppTest, AStatusTextThatDoesNotFitIsCutVisiblyWithTheWholeTextAsItsHint) {
    TfrmMain& w = OpenWindow();
    const std::string device = "Device: Celdara Virtual GSM modem with a name far too long";
    w.SetStatusPanel(kPanelDevice, device);
    w.SetStatusPanel(kPanelOperator, "Vodafone CZ (23003), not registered, not searching");
    // A window made narrow: the panels give way instead of widening the window.
    w.resize(w.minimumSizeHint().width(), w.height());
    QCoreApplication::processEvents();
    ASSERT_LT(w.StatusBar1->width(), w.StatusBar1->sizeHint().width());
    TStatusPanel* panel = w.StatusPanels[kPanelDevice];
    EXPECT_TRUE(panel->ShownText().endsWith(QChar(0x2026))) << panel->ShownText().toStdString();
    EXPECT_LT(panel->ShownText().size(), panel->text().size());
    EXPECT_EQ(panel->toolTip().toStdString(), device);
    EXPECT_EQ(panel->text().toStdString(), device);
    // Every panel still shows the start of its text.
    for (TStatusPanel* each : w.StatusPanels)
        EXPECT_GE(each->ShownText().size(), std::min<qsizetype>(each->text().size(), 8))
            << each->text().toStdString();
}

TEST_F(AppTest, AFirstStartBesideAUartPollsTheSimulatedModemAndLeavesTheUartAlone) {
    // A machine with a real UART (type 4) and nothing on it, as most PCs have.
    QTemporaryDir tty;
    ASSERT_TRUE(QDir(tty.path()).mkpath("ttyS0/device"));
    QFile type(QDir(tty.path()).filePath("ttyS0/type"));
    ASSERT_TRUE(type.open(QIODevice::WriteOnly));
    type.write("4\n");
    type.close();
    SetSysfsTtyRoot(tty.path().toStdString());
    TfrmMain& w = OpenWindow();
    SetSysfsTtyRoot({});

    EXPECT_GE(w.cmbPort->findText("ttyS0"), 0) << "the UART is listed and can be chosen";
    EXPECT_EQ(w.cmbPort->currentText(), kVirtualModemPort);
    EXPECT_EQ(w.LyrComm321->CommPort(), kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 1; }, 15000));
    // The program's own pick is no choice of the user's: nothing is stored for it, also when
    // the port box loses the focus (Qt takes an edit text for a pick then) or the list is
    // read again as it drops down.
    w.cmbPort->OnDropDown();
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(w.cmbPort->lineEdit(), &focusOut);
    EXPECT_EQ(w.Monitor().State() == msPoll || w.Monitor().State() == msAnswer, true)
        << "the machine started again: state " << w.Monitor().State();
    CloseWindow();
    QFile settings(ConfigFile("registry.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_FALSE(settings.readAll().contains("COMPort"));
}

TEST_F(AppTest, UnderACzechLocaleTheWindowAndTheTerminalSpeakCzech) {
    ASSERT_GE(InstallTranslations(QLocale(QLocale::Czech, QLocale::Czechia)), 2);
    TfrmMain& w = OpenWindow();
    InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    auto* send = w.termMain->Form()->findChild<QPushButton*>("termMain_SendLinebutton");
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->text(), QString::fromUtf8("Odeslat"));
    EXPECT_EQ(send->toolTip(), QString::fromUtf8("Odeslat s odřádkováním"));
    EXPECT_EQ(w.btnShowTerm->text(), QString::fromUtf8("Zobrazit &terminál"));
    EXPECT_EQ(w.lblSpeed->text(), "= 3 sekundy");
    EXPECT_EQ(w.MainMenu1->actions().at(0)->text(), "&Soubor");

    // Back in English, a new window is English again.
    TfrmMain& english = OpenWindow();
    EXPECT_EQ(english.btnShowTerm->text(), "Show &terminal");
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

TEST_F(AppTest, ReconnectWhenThePortReturnsIsOnAtFirstAndKeptForTheNextStart) {
    TfrmMain& w = OpenWindow();
    QMenu* settings = nullptr;
    for (QAction* entry : w.MainMenu1->actions())
        if (entry->text() == "&Settings")
            settings = entry->menu();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(settings->actions().contains(w.mnuReconnect));
    EXPECT_EQ(w.mnuReconnect->text(), "&Reconnect when the port returns");
    EXPECT_TRUE(w.mnuReconnect->isCheckable());
    EXPECT_TRUE(w.mnuReconnect->isChecked());
    EXPECT_TRUE(w.Monitor().ReconnectLostPort);

    w.mnuReconnect->trigger();
    EXPECT_FALSE(w.Monitor().ReconnectLostPort);
    CloseWindow();
    TfrmMain& off = OpenWindow();
    EXPECT_FALSE(off.mnuReconnect->isChecked());
    EXPECT_FALSE(off.Monitor().ReconnectLostPort);

    off.mnuReconnect->trigger();
    CloseWindow();
    TfrmMain& on = OpenWindow();
    EXPECT_TRUE(on.mnuReconnect->isChecked());
    EXPECT_TRUE(on.Monitor().ReconnectLostPort);
}

TEST_F(AppTest, AStoredPortThatIsGoneIsStillPutIntoTheBoxAndTried) {
    OpenWindow();
    window->cmbPort->lineEdit()->clear();
    QTest::keyClicks(window->cmbPort->lineEdit(), "ttyGONE9");
    QTest::keyClick(window->cmbPort->lineEdit(), Qt::Key_Return);
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

namespace celdara::testing {
namespace {

TEST_F(AppTest, TheSignalHistoryAndTheGraphAreSavedAsATableAndAnImage) {
    TfrmMain& w = OpenWindow();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 2; }, 15000));
    QTest::qWait(3 * w.tmrShow->Interval());

    QString error;
    const QString table = QDir(configDir.path()).filePath("history.csv");
    ASSERT_TRUE(w.SaveSignalHistory(table, error)) << error.toStdString();
    QFile file(table);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "time,level,rsrp,sinr");
    // The GSM modem measures no RSRP or SINR: those fields stay empty.
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT[\d:.]+[+-]\d\d:\d\d,\d*,,$)")
                    .match(lines.last())
                    .hasMatch())
        << lines.last().toStdString();

    const QString image = QDir(configDir.path()).filePath("graph.png");
    ASSERT_TRUE(w.SaveGraphImage(image, error)) << error.toStdString();
    QImage png(image);
    EXPECT_EQ(png.size(), w.rkwXPGraph1->size() * w.rkwXPGraph1->devicePixelRatio());

    EXPECT_FALSE(w.SaveSignalHistory(QDir(configDir.path()).filePath("no/such/dir/h.csv"), error));
    EXPECT_TRUE(error.contains("no/such/dir")) << error.toStdString();
}

TEST_F(AppTest, TheLogGetsEveryCycleResumesAtTheNextStartAndStopsOnceOnAWriteError) {
    const QString path = QDir(configDir.path()).filePath("cycles.csv");
    auto lines = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    };
    {
        TfrmMain& w = OpenWindow();
        QString error;
        ASSERT_TRUE(w.StartLog(path, error)) << error.toStdString();
        PickPort(kVirtualModemPort);
        ASSERT_TRUE(WaitFor([&] { return lines().size() >= 4; }, 15000));
        EXPECT_TRUE(lines()[0].startsWith("time,port,manufacturer,model,"));
        EXPECT_TRUE(lines()[1].contains(",virtual-modem,Celdara,Virtual GSM modem,"));
        EXPECT_TRUE(w.StatusBar1->toolTip().contains("cycles.csv"))
            << w.StatusBar1->toolTip().toStdString();
        CloseWindow();
    }
    const int before = static_cast<int>(lines().size());
    TfrmMain& w = OpenWindow(); // the stored port and the stored log
    EXPECT_TRUE(w.Logging());
    ASSERT_TRUE(WaitFor([&] { return lines().size() >= before + 2; }, 15000));
    EXPECT_EQ(lines().filter(QRegularExpression("^time,")).size(), 1) << "one header";

    // The file goes away under the running log: said once, logging stops, polling goes on.
    QFile::remove(path);
    ASSERT_TRUE(WaitFor([&] { return !w.Logging(); }, 5000));
    const std::uint64_t cycles = w.Monitor().CompletedCycles();
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= cycles + 3; }, 10000));
    EXPECT_EQ(w.findChildren<QMessageBox*>("msgLogFailed").size(), 1);
    EXPECT_FALSE(QFile::exists(path));
    QFile settings(ConfigFile("registry.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_FALSE(settings.readAll().contains("cycles.csv"));
}

} // namespace
} // namespace celdara::testing
