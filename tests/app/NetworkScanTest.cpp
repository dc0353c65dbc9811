// The network search in the window: the dialog's list and its ends, and the search against
// the simulated modem, refused, cancelled, and a network switched to or kept in the table.
#include "AppTestSupport.h"
#include "app/NetworkScanDialog.h"
#include "app/Translations.h"
#include "modem/OperatorTable.h"
#include "simulator/SimSerialDevice.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>

namespace celdara::testing {
namespace {

// A reply as a Czech SIM sees it: the current network on LTE, one on UMTS, a forbidden one
// on GSM, and one of a modem that gives no AcT.
std::vector<TNetworkEntry> SampleNetworks() {
    return {
        {2, "T-Mobile CZ", "TMO CZ", "23001", 7},
        {1, "O2 - CZ", "O2 CZ", "23002", 2},
        {3, "Vodafone CZ", "VF CZ", "23003", 0},
        {0, "", "", "23099", std::nullopt},
    };
}

QStringList RowTexts(const QTableWidget* table, int row) {
    QStringList texts;
    for (int col = 0; col < table->columnCount(); ++col)
        texts << table->item(row, col)->text();
    return texts;
}

using NetworkDialogTest = AppTest;

TEST_F(NetworkDialogTest, EachEndOfTheSearchIsShownInItsOwnWords) {
    const struct {
        const char* name;
        TNetworkScanResult result;
        const char* status; // the start of what the dialog says, if it stays
        int rows;
        bool shown;
    } rows[] = {
        {"networks found", {TScanEnd::Done, "", SampleNetworks()}, "Networks found: 4.", 4, true},
        {"nothing found", {TScanEnd::Done, "", {}}, "The modem found no networks.", 0, true},
        {"refused with +CME ERROR",
         {TScanEnd::Refused, "+CME ERROR: 3 (operation not allowed)", {}},
         "The modem refused the search: +CME ERROR: 3 (operation not allowed)",
         0,
         true},
        {"no answer in time",
         {TScanEnd::Unanswered, "", {}},
         "The modem did not answer the search within 3 minutes.",
         0,
         true},
        {"port lost during the search",
         {TScanEnd::Unanswered, "the port was lost", {}},
         "The search ended without an answer: the port was lost",
         0,
         true},
        {"cancelled", {TScanEnd::Cancelled, "", {}}, "", 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TNetworkScanDialog dialog(nullptr);
        dialog.ShowScanning();
        dialog.show();
        EXPECT_TRUE(dialog.prgScan->isVisible());
        EXPECT_EQ(dialog.btnClose->text(), "Cancel");
        dialog.ShowResult(row.result);
        EXPECT_FALSE(dialog.Scanning());
        EXPECT_EQ(dialog.isVisible(), row.shown);
        EXPECT_FALSE(dialog.prgScan->isVisible());
        if (row.shown) {
            EXPECT_TRUE(dialog.lblStatus->text().startsWith(row.status))
                << dialog.lblStatus->text().toStdString();
        }
        EXPECT_EQ(dialog.tblNetworks->isVisible(), row.rows > 0);
        EXPECT_EQ(dialog.tblNetworks->rowCount(), row.rows);
        EXPECT_EQ(dialog.btnClose->text(), "Close");
    }
}

TEST_F(NetworkDialogTest, EachNetworkIsARowWithItsNamesCodeStateAndTechnology) {
    TNetworkScanDialog dialog(nullptr);
    dialog.ShowScanning();
    dialog.ShowResult({TScanEnd::Done, "", SampleNetworks()});
    const struct {
        const char* name;
        QStringList texts;
        bool bold;
    } rows[] = {
        {"current on LTE", {"T-Mobile CZ", "TMO CZ", "23001", "current", "LTE"}, true},
        {"available on UMTS", {"O2 - CZ", "O2 CZ", "23002", "available", "UMTS"}, false},
        {"forbidden on GSM", {"Vodafone CZ", "VF CZ", "23003", "forbidden", "GSM"}, false},
        {"unknown without names or AcT", {"", "", "23099", "unknown", ""}, false},
    };
    ASSERT_EQ(dialog.tblNetworks->rowCount(), static_cast<int>(std::size(rows)));
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(RowTexts(dialog.tblNetworks, i), rows[i].texts);
        EXPECT_EQ(dialog.tblNetworks->item(i, kNetCode)->font().bold(), rows[i].bold);
    }
    // The current network is the one chosen at first.
    ASSERT_NE(dialog.SelectedNetwork(), nullptr);
    EXPECT_EQ(dialog.SelectedNetwork()->Code, "23001");
    EXPECT_TRUE(dialog.btnSwitch->isEnabled());
}

TEST_F(NetworkDialogTest, AForbiddenNetworkCanBeChosenButTheDialogSaysItIsForbidden) {
    TNetworkScanDialog dialog(nullptr);
    std::vector<std::string> switched;
    dialog.OnSwitch = [&](const TNetworkEntry& entry) { switched.push_back(entry.Code); };
    dialog.ShowScanning();
    dialog.show();
    dialog.ShowResult({TScanEnd::Done, "", SampleNetworks()});
    EXPECT_TRUE(dialog.lblNote->text().isEmpty()) << "the current network is no warning";
    dialog.tblNetworks->selectRow(2);
    EXPECT_TRUE(dialog.lblNote->text().startsWith("Vodafone CZ is forbidden"))
        << dialog.lblNote->text().toStdString();
    ASSERT_TRUE(dialog.btnSwitch->isEnabled());
    dialog.btnSwitch->click();
    EXPECT_EQ(switched, std::vector<std::string>{"23003"});
    EXPECT_FALSE(dialog.isVisible()) << "a switch closes the dialog";

    dialog.ShowResult({TScanEnd::Done, "", SampleNetworks()});
    dialog.tblNetworks->selectRow(1);
    EXPECT_TRUE(dialog.lblNote->text().isEmpty());
}

TEST_F(NetworkDialogTest, CancelOrTheCloseBoxStopsASearchButNotAListShownAlready) {
    TNetworkScanDialog dialog(nullptr);
    int cancels = 0;
    dialog.OnCancel = [&] { ++cancels; };
    dialog.ShowScanning();
    dialog.show();
    dialog.btnClose->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Scanning());

    dialog.ShowScanning();
    dialog.show();
    dialog.close();
    EXPECT_EQ(cancels, 2);

    dialog.ShowScanning();
    dialog.show();
    dialog.ShowResult({TScanEnd::Done, "", SampleNetworks()});
    dialog.btnClose->click();
    EXPECT_EQ(cancels, 2) << "nothing to stop once the list is there";
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(NetworkDialogTest, TheTimePassedIsCounted) {
    TNetworkScanDialog dialog(nullptr);
    dialog.ShowScanning();
    EXPECT_TRUE(dialog.lblStatus->text().startsWith("Searching for networks: 0:00 passed."))
        << dialog.lblStatus->text().toStdString();
    EXPECT_TRUE(dialog.lblStatus->text().contains("up to 3 minutes"));
    ASSERT_TRUE(WaitFor([&] { return !dialog.lblStatus->text().contains(" 0:00 "); }, 5000));
    EXPECT_TRUE(dialog.lblStatus->text().contains(QRegularExpression(" 0:0[1-4] passed")))
        << dialog.lblStatus->text().toStdString();
}

// The window polling the built-in simulated modem, which answers AT+COPS=? after seconds.
class NetworkScanTest : public AppTest {
protected:
    TfrmMain& PollingWindow() {
        TfrmMain& w = OpenWindow();
        PickPort(kVirtualModemPort);
        EXPECT_TRUE(WaitFor([&] { return w.mnuSearchNetworks->isEnabled(); }, 15000))
            << "state " << w.Monitor().State() << " step " << w.Monitor().Step();
        return w;
    }
    // Asks as the user does; the dialog shows the search at once.
    TNetworkScanDialog* Search(TfrmMain& w) {
        w.mnuSearchNetworks->trigger();
        EXPECT_NE(w.dlgNetworkScan, nullptr);
        if (w.dlgNetworkScan) {
            EXPECT_TRUE(w.dlgNetworkScan->isVisible());
            EXPECT_TRUE(w.dlgNetworkScan->Scanning());
        }
        EXPECT_FALSE(w.mnuSearchNetworks->isEnabled()) << "one search at a time";
        return w.dlgNetworkScan;
    }
    bool WaitForEnd(TNetworkScanDialog* dialog) {
        return dialog && WaitFor([&] { return !dialog->Scanning(); }, 30000);
    }
    std::string RegisteredCode() {
        return RegisterSimulatedModems().Modem(kVirtualModemPort)->Locked([](TSimModem& m) {
            const TSimOperator* op = m.Network().Registered();
            return op ? op->Code : std::string();
        });
    }
    void SetFaults(const TSimFaults& faults) {
        RegisterSimulatedModems().Modem(kVirtualModemPort)->Locked([&](TSimModem& m) {
            m.SetFaults(faults);
        });
    }
    // The row of the first network in `state` other than `notCode`, or -1.
    static int RowOf(const TNetworkScanDialog& dialog, const QString& state,
                     const std::string& notCode = {}) {
        for (int row = 0; row < dialog.tblNetworks->rowCount(); ++row)
            if (dialog.tblNetworks->item(row, kNetState)->text() == state &&
                dialog.tblNetworks->item(row, kNetCode)->text().toStdString() != notCode)
                return row;
        return -1;
    }
};

TEST_F(NetworkScanTest, TheEntryWaitsForAPreparedModem) {
    TfrmMain& w = OpenWindow();
    w.cmbPort->lineEdit()->clear();
    QTest::keyClicks(w.cmbPort->lineEdit(), "ttyGONE9");
    QTest::keyClick(w.cmbPort->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().State() == msOpen; }, 3000));
    QTest::qWait(2 * w.tmrShow->Interval());
    EXPECT_FALSE(w.mnuSearchNetworks->isEnabled());
    w.mnuSearchNetworks->trigger();
    EXPECT_EQ(w.dlgNetworkScan, nullptr);
    EXPECT_FALSE(w.Monitor().NetworkScanBusy());
}

TEST_F(NetworkScanTest, TheListShowsTheSimulatedNetworksWithTheirStates) {
    TfrmMain& w = PollingWindow();
    EXPECT_EQ(w.mnuSearchNetworks->text(), "Search for &networks...");
    TNetworkScanDialog* dialog = Search(w);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_TRUE(dialog->isVisible());
    const std::string registered = RegisteredCode();
    ASSERT_FALSE(registered.empty());
    ASSERT_GE(dialog->tblNetworks->rowCount(), 2) << dialog->lblStatus->text().toStdString();
    int current = 0;
    for (int row = 0; row < dialog->tblNetworks->rowCount(); ++row) {
        const QStringList texts = RowTexts(dialog->tblNetworks, row);
        SCOPED_TRACE(texts.join(" | ").toStdString());
        EXPECT_TRUE(QRegularExpression("^\\d{5,6}$").match(texts[kNetCode]).hasMatch());
        EXPECT_FALSE(texts[kNetLongName].isEmpty());
        EXPECT_FALSE(texts[kNetShortName].isEmpty());
        const bool isCurrent = texts[kNetCode].toStdString() == registered;
        if (isCurrent)
            EXPECT_EQ(texts[kNetState], "current");
        else
            EXPECT_TRUE(texts[kNetState] == "available" || texts[kNetState] == "forbidden");
        current += isCurrent;
    }
    EXPECT_EQ(current, 1);
    ASSERT_NE(dialog->SelectedNetwork(), nullptr);
    EXPECT_EQ(dialog->SelectedNetwork()->Code, registered);
    // The simulated SIM bars one of the networks the modem sees.
    const int forbidden = RowOf(*dialog, "forbidden");
    ASSERT_GE(forbidden, 0);
    dialog->tblNetworks->selectRow(forbidden);
    EXPECT_TRUE(dialog->lblNote->text().contains("is forbidden"));

    // Polling goes on, and another search can be asked for.
    const std::uint64_t cycles = w.Monitor().CompletedCycles();
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= cycles + 2; }, 15000));
    EXPECT_TRUE(WaitFor([&] { return w.mnuSearchNetworks->isEnabled(); }, 2000));
}

TEST_F(NetworkScanTest, ARefusedSearchShowsTheModemsError) {
    TfrmMain& w = PollingWindow();
    TSimFaults faults;
    faults.ErrorCommands = {"+COPS=?"}; // the scan alone, with "no network service"
    SetFaults(faults);
    TNetworkScanDialog* dialog = Search(w);
    const bool ended = WaitForEnd(dialog);
    SetFaults({});
    ASSERT_TRUE(ended);
    EXPECT_TRUE(dialog->lblStatus->text().startsWith("The modem refused the search: "))
        << dialog->lblStatus->text().toStdString();
    EXPECT_TRUE(dialog->lblStatus->text().contains("ERROR"));
    EXPECT_EQ(dialog->tblNetworks->rowCount(), 0);
    const std::uint64_t cycles = w.Monitor().CompletedCycles();
    EXPECT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= cycles + 2; }, 15000));
}

TEST_F(NetworkScanTest, ACancelledSearchEndsAtOnceAndPollingGoesOn) {
    TfrmMain& w = PollingWindow();
    TNetworkScanDialog* dialog = Search(w);
    ASSERT_NE(dialog, nullptr);
    // Long enough for the cycle under way to end and the modem to be searching.
    QTest::qWait(1500);
    ASSERT_TRUE(dialog->Scanning());
    dialog->btnClose->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->Scanning());
    const std::uint64_t cycles = w.Monitor().CompletedCycles();
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= cycles + 2; }, 15000))
        << "state " << w.Monitor().State() << " step " << w.Monitor().Step();
    EXPECT_FALSE(dialog->isVisible()) << "the aborted search's end shows nothing";
    EXPECT_TRUE(WaitFor([&] { return w.mnuSearchNetworks->isEnabled(); }, 2000));
}

TEST_F(NetworkScanTest, ChoosingANetworkSwitchesToIt) {
    TfrmMain& w = PollingWindow();
    TNetworkScanDialog* dialog = Search(w);
    ASSERT_TRUE(WaitForEnd(dialog));
    const int row = RowOf(*dialog, "available", RegisteredCode());
    ASSERT_GE(row, 0);
    const std::string code = dialog->tblNetworks->item(row, kNetCode)->text().toStdString();
    dialog->tblNetworks->selectRow(row);
    dialog->btnSwitch->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(w.Monitor().PendingOperator(), code);
    ASSERT_TRUE(WaitFor([&] { return RegisteredCode() == code; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));

    // Back to the automatic choice, as the other cases expect the modem.
    w.rgpOperators->findChild<QRadioButton*>("rgpOperators_Item0")->click();
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
}

TEST_F(NetworkScanTest, AnAddedNetworkJoinsTheOperatorGroup) {
    ASSERT_TRUE(QDir().mkpath(ConfigFile("")));
    QFile table(ConfigFile("mccmnc.ini"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("[General]\r\n23001=T-Mobile\r\n");
    table.close();
    TfrmMain& w = PollingWindow();
    ASSERT_EQ(w.rgpOperators->findChildren<QRadioButton*>().size(), 2);
    TNetworkScanDialog* dialog = Search(w);
    ASSERT_TRUE(WaitForEnd(dialog));
    int row = -1;
    for (int i = 0; i < dialog->tblNetworks->rowCount(); ++i)
        if (dialog->tblNetworks->item(i, kNetCode)->text() != "23001")
            row = i;
    ASSERT_GE(row, 0);
    dialog->tblNetworks->selectRow(row);
    const TNetworkEntry added = *dialog->SelectedNetwork();
    const QString item = QString::fromStdString(added.LongName + " (" + added.Code + ")");
    dialog->btnAdd->click();
    EXPECT_EQ(dialog->lblNote->text(), item + " was added to the operator table.");
    EXPECT_TRUE(dialog->isVisible());
    const auto buttons = w.rgpOperators->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(buttons[2]->text(), item);

    dialog->btnAdd->click();
    EXPECT_TRUE(dialog->lblNote->text().contains("was not added")) << "a code is kept once";
    EXPECT_EQ(w.rgpOperators->findChildren<QRadioButton*>().size(), 3);
}

TEST_F(NetworkScanTest, UnderACzechLocaleTheSearchSpeaksCzech) {
    ASSERT_GE(InstallTranslations(QLocale(QLocale::Czech, QLocale::Czechia)), 2);
    TfrmMain& w = OpenWindow();
    TNetworkScanDialog dialog(&w);
    InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(w.mnuSearchNetworks->text(), QString::fromUtf8("Hledat &sítě..."));
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Hledání sítí"));
    EXPECT_EQ(dialog.btnSwitch->text(), QString::fromUtf8("&Přepnout na síť"));
    EXPECT_EQ(dialog.btnAdd->text(), QString::fromUtf8("Přid&at do tabulky operátorů"));
    EXPECT_EQ(dialog.tblNetworks->horizontalHeaderItem(kNetState)->text(), "Stav");
}

} // namespace
} // namespace celdara::testing
