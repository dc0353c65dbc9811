// The port box by keyboard: a name being typed is opened only once the user commits it, and
// the window's Alt chords reach their menus and buttons, never the box.
#include "AppTestSupport.h"
#include "app/Translations.h"
#include "serial/LyrComm32.h"
#include "terminal/VTolmTerminal.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace celdara::testing {
namespace {

class PortKeyboard : public AppTest {
protected:
    // The window polling the simulated modem, its port box holding the focus.
    TfrmMain& PollingWindow() {
        TfrmMain& w = OpenWindow();
        PickPort(kVirtualModemPort);
        EXPECT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 1; }, 15000));
        QApplication::setActiveWindow(&w);
        w.cmbPort->setFocus();
        return w;
    }
    QLineEdit& Edit() { return *window->cmbPort->lineEdit(); }
    std::string Opened() { return window->LyrComm321->CommPort(); }
    QByteArray Settings() {
        QFile file(ConfigFile("registry.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Types `name` key by key into the emptied box; false as soon as a keystroke opened
    // anything or stopped the polling.
    bool TypeWithoutOpening(const QString& name) {
        Edit().clear();
        for (const QChar c : name) {
            QTest::keyClicks(&Edit(), QString(c));
            QTest::qWait(20);
            if (Opened() != kVirtualModemPort || window->Monitor().State() == msOpen)
                return false;
        }
        // The box may complete the name from its list, the rest selected.
        return Edit().text().startsWith(name);
    }
};

struct TCommitCase {
    const char* Name;
    std::function<void(TfrmMain&)> Commit;
};

void PrintTo(const TCommitCase& row, std::ostream* os) {
    *os << row.Name;
}

class PortCommit : public PortKeyboard, public ::testing::WithParamInterface<TCommitCase> {};

TEST_P(PortCommit, OpensTheTypedNameOnlyOnceCommitted) {
    TfrmMain& w = PollingWindow();
    // Every prefix names a port of its own: "/dev", "/dev/", "/dev/p", ..., "ttyUSB1".
    ASSERT_TRUE(TypeWithoutOpening("/dev/ttyUSB10")) << "opened " << Opened();
    QTest::qWait(300);
    EXPECT_EQ(Opened(), kVirtualModemPort);
    EXPECT_FALSE(Settings().contains("ttyUSB1"));

    GetParam().Commit(w);
    ASSERT_TRUE(WaitFor([&] { return Opened() == "/dev/ttyUSB10"; }, 3000)) << Opened();
    EXPECT_TRUE(Settings().contains("/dev/ttyUSB10"));
}

INSTANTIATE_TEST_SUITE_P(
    Window, PortCommit,
    ::testing::Values(
        TCommitCase{"Enter",
                    [](TfrmMain& w) { QTest::keyClick(w.cmbPort->lineEdit(), Qt::Key_Return); }},
        TCommitCase{"KeypadEnter",
                    [](TfrmMain& w) { QTest::keyClick(w.cmbPort->lineEdit(), Qt::Key_Enter); }},
        TCommitCase{"FocusLeavingTheBox",
                    [](TfrmMain& w) {
                        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                        QCoreApplication::sendEvent(w.cmbPort->lineEdit(), &out);
                    }}),
    [](const ::testing::TestParamInfo<TCommitCase>& info) { return info.param.Name; });

TEST_F(PortKeyboard, APickFromTheListOpensAtOnceAndTheListDroppingDownCommitsNothing) {
    TfrmMain& w = PollingWindow();
    ASSERT_TRUE(TypeWithoutOpening("ttyGONE"));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(w.cmbPort->lineEdit(), &popup);
    QTest::qWait(100);
    EXPECT_EQ(Opened(), kVirtualModemPort);

    PickPort(kLteVirtualModemPort);
    EXPECT_EQ(Opened(), kLteVirtualModemPort);
}

TEST_F(PortKeyboard, TheFocusLeavingWithTheSamePortDoesNotOpenItAgain) {
    TfrmMain& w = PollingWindow();
    const std::uint64_t cycles = w.Monitor().CompletedCycles();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w.cmbPort->lineEdit(), &out);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() > cycles; }, 10000));
    EXPECT_TRUE(w.Monitor().State() == msPoll || w.Monitor().State() == msAnswer);
}

TEST_F(PortKeyboard, AFailingPortsRetriesOpenTheCommittedNameNotTheOneBeingTyped) {
    TfrmMain& w = PollingWindow();
    Edit().clear();
    QTest::keyClicks(&Edit(), "ttyGONE9");
    QTest::keyClick(&Edit(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().State() == msOpen; }, 3000));
    Edit().clear();
    QTest::keyClicks(&Edit(), "ttyGONE1");
    QTest::qWait(2500); // two retries of the failing port
    EXPECT_EQ(Opened(), "ttyGONE9");
}

// An Alt chord and the menu it opens (empty: a button, checked by its own effect).
struct TChordCase {
    const char* Name;
    Qt::Key Key;
    const char* MenuText;
};

void PrintTo(const TChordCase& row, std::ostream* os) {
    *os << row.Name;
}

class AltChord : public PortKeyboard, public ::testing::WithParamInterface<TChordCase> {};

TEST_P(AltChord, OpensItsMenuAndLeavesThePortBoxAlone) {
    PollingWindow();
    const QString text = Edit().text();
    QTest::keyClick(&Edit(), GetParam().Key, Qt::AltModifier);
    QTest::qWait(50);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "no menu opened";
    EXPECT_EQ(menu->title(), GetParam().MenuText);
    menu->close();
    EXPECT_EQ(Edit().text(), text);
    EXPECT_EQ(Opened(), kVirtualModemPort);
}

INSTANTIATE_TEST_SUITE_P(Window, AltChord,
                         ::testing::Values(TChordCase{"File", Qt::Key_F, "&File"},
                                           TChordCase{"UpdateSpeed", Qt::Key_U, "&Update Speed"},
                                           TChordCase{"Settings", Qt::Key_S, "&Settings"},
                                           TChordCase{"Help", Qt::Key_H, "&Help"}),
                         [](const ::testing::TestParamInfo<TChordCase>& info) {
                             return info.param.Name;
                         });

TEST_F(PortKeyboard, AltTShowsTheTerminalAndAnUnclaimedChordTypesNothing) {
    TfrmMain& w = PollingWindow();
    const QString text = Edit().text();
    QTest::keyClick(&Edit(), Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(Edit().text(), text);
    QTest::keyClick(&Edit(), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return w.termMain->Visible(); }, 1000));
    EXPECT_EQ(Edit().text(), text);
    EXPECT_EQ(Opened(), kVirtualModemPort);
}

TEST_F(PortKeyboard, EveryMenuAndButtonHasItsOwnAcceleratorInEveryLanguage) {
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::Czech, QLocale::Czechia)}) {
        InstallTranslations(locale);
        TfrmMain& w = OpenWindow();
        QStringList texts;
        for (QAction* menu : w.MainMenu1->actions())
            texts << menu->text();
        texts << w.btnPortParameters->text() << w.btnShowTerm->text();
        QStringList keys;
        for (const QString& text : texts) {
            const QString key = QKeySequence::mnemonic(text).toString();
            EXPECT_FALSE(key.isEmpty()) << text.toStdString() << " has no accelerator";
            EXPECT_FALSE(keys.contains(key))
                << text.toStdString() << " takes " << key.toStdString();
            keys << key;
        }
    }
    InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace
} // namespace celdara::testing
