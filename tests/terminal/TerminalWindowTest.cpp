// The terminal window, offscreen: keys and buttons, the entry lines, docking and closing,
// naming, and traffic in the real text view.
#include "terminal/TerminalKinds.h"
#include "terminal/VTolmTerminal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTranslator>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace celdara {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double kNineOhFive = (9 * 3600 + 5 * 60 + 3.120) / 86400.0;

class TerminalWindowTest : public ::testing::Test {
protected:
    void SetUp() override { terminal = NewTerminal(); }

    // A terminal as a program starts it, its choices kept in this test's own file.
    std::unique_ptr<VTolmTerminal> NewTerminal() {
        auto made = std::make_unique<VTolmTerminal>(
            nullptr, nullptr, TerminalClock{[this] { return tick; }, [] { return kNineOhFive; }});
        made->BeginLoading();
        made->SetName("termMain");
        made->SetCaption("Terminal");
        made->SetVisible(true);
        made->SetChoicesFile(ChoicesFile());
        made->OnTermSendData = TTermSendData::From(
            [this](const std::uint8_t* data, int count) { sent.emplace_back(data, data + count); });
        made->Loaded();
        return made;
    }
    // In a folder not made yet, as on a first start.
    QString ChoicesFile() const { return choicesDir.filePath("Celdara/terminal.ini"); }

    template <typename T>
    T* Control(const char* suffix) {
        QWidget* form = terminal->Form();
        const QString name = QStringLiteral("termMain") + QLatin1String(suffix);
        if (form == nullptr)
            return nullptr;
        if (form->objectName() == name)
            return qobject_cast<T*>(form);
        return form->findChild<T*>(name);
    }
    QLineEdit* TextEntry() { return Control<QLineEdit>("_ManualLine"); }
    QLineEdit* HexEntry() { return Control<QLineEdit>("_HexManualLine"); }
    QCheckBox* HexEntryBox() { return Control<QCheckBox>("_HexEntry"); }
    QPlainTextEdit* View() { return Control<QPlainTextEdit>("_RichEdit"); }
    // The line at the top of the view (without wrapping the scroll bar counts lines).
    QString TopLine() {
        return View()->document()->findBlockByNumber(View()->verticalScrollBar()->value()).text();
    }

    // Closed lines "E line 0" ... and the empty line after them: `lines` lines in all.
    void FillLines(int lines) {
        for (int i = 0; i < lines - 1; ++i)
            terminal->AddLine("line " + std::to_string(i), 6);
        terminal->FlushView();
    }

    Tick tick = 5000;
    QTemporaryDir choicesDir;
    std::unique_ptr<VTolmTerminal> terminal;
    std::vector<Bytes> sent;
};

TEST_F(TerminalWindowTest, TypedLineIsSentWithTheLineEndOfItsKey) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Bytes expected;
    };
    const Case cases[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, {0x41, 0x54, 0x0D}},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, {0x41, 0x54, 0x0D}},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, {0x41, 0x54, 0x1B}},
        {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, {0x41, 0x54, 0x1A}},
    };
    for (const Case& c : cases) {
        sent.clear();
        QTest::keyClicks(TextEntry(), "AT");
        QTest::keyClick(TextEntry(), c.key, c.modifiers);
        ASSERT_EQ(sent.size(), 1u) << c.name;
        EXPECT_EQ(sent[0], c.expected) << c.name;
        EXPECT_TRUE(TextEntry()->text().isEmpty()) << c.name;
        EXPECT_TRUE(HexEntry()->text().isEmpty()) << c.name;
    }
}

TEST_F(TerminalWindowTest, DirectButtonSendsWithoutLineEnd) {
    QTest::keyClicks(TextEntry(), "AT");
    QPushButton* direct = Control<QPushButton>("_BtnDirect");
    ASSERT_NE(direct, nullptr);
    QTest::mouseClick(direct, Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x41, 0x54}));
    EXPECT_TRUE(TextEntry()->text().isEmpty());

    // The send button appends CR, also to an empty entry.
    QTest::mouseClick(Control<QPushButton>("_SendLinebutton"), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], (Bytes{0x0D}));
}

TEST_F(TerminalWindowTest, EntriesMirrorEachOther) {
    QTest::keyClicks(TextEntry(), "AT");
    EXPECT_EQ(HexEntry()->text(), "41 54 ");

    HexEntry()->setText("41540d 7e");
    EXPECT_EQ(TextEntry()->text(), QString::fromLatin1("AT\r~"));

    // The bytes sent are what the hex entry holds, even with the hex entry hidden.
    QTest::keyClick(TextEntry(), Qt::Key_Return);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x41, 0x54, 0x0D, 0x7E, 0x0D}));
}

TEST_F(TerminalWindowTest, HexEntryKeys) {
    terminal->SetShowHexEdit(true);
    QTest::keyClicks(HexEntry(), "41 54");
    EXPECT_EQ(TextEntry()->text(), "AT");
    QTest::keyClick(HexEntry(), Qt::Key_Return);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x41, 0x54}));

    QTest::keyClicks(HexEntry(), "4");
    QTest::keyClick(HexEntry(), Qt::Key_Backspace); // left to the entry itself
    EXPECT_TRUE(HexEntry()->text().isEmpty());
    QTest::keyClicks(HexEntry(), "4142");
    QTest::keyClick(HexEntry(), Qt::Key_Escape);
    EXPECT_TRUE(HexEntry()->text().isEmpty());
    EXPECT_TRUE(TextEntry()->text().isEmpty());
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(TerminalWindowTest, KeysTypedIntoTheViewGoToTheTextEntry) {
    QTest::keyClicks(View(), "AT");
    EXPECT_EQ(TextEntry()->text(), "AT");
    QTest::keyClick(View(), Qt::Key_Backspace); // the view keeps Backspace
    EXPECT_EQ(TextEntry()->text(), "AT");
    QTest::keyClicks(Control<QPushButton>("_BtnDirect"), "I");
    EXPECT_EQ(TextEntry()->text(), "ATI");
    QTest::keyClick(View(), Qt::Key_Return);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x41, 0x54, 0x49, 0x0D}));
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_EQ(sent.back(), (Bytes{0x1B}));
}

TEST_F(TerminalWindowTest, ScrollKeysScrollTheViewFromEveryControl) {
    FillLines(300);
    QScrollBar* bar = View()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    // A page of the view is its own: it keeps a partly shown line in sight, so with some
    // fonts it is one line more than the bar's page step. Ask the view where a page goes.
    auto pageFrom = [&](int start, QAbstractSlider::SliderAction action) {
        bar->setValue(start);
        bar->triggerAction(action);
        return bar->value();
    };
    const int pageUp = pageFrom(51, QAbstractSlider::SliderPageStepSub);
    const int pageDown = pageFrom(pageUp, QAbstractSlider::SliderPageStepAdd);
    EXPECT_NEAR(51 - pageUp, bar->pageStep(), 1);
    EXPECT_NEAR(pageDown - pageUp, bar->pageStep(), 1);
    QWidget* controls[] = {View(),
                           TextEntry(),
                           HexEntry(),
                           Control<QPushButton>("_SendLinebutton"),
                           Control<QPushButton>("_Clear"),
                           Control<QPushButton>("_BtnUndock"),
                           Control<QPushButton>("_BtnDirect")};
    for (QWidget* control : controls) {
        ASSERT_NE(control, nullptr);
        bar->setValue(50);
        QTest::keyClick(control, Qt::Key_Up);
        EXPECT_EQ(bar->value(), 49) << control->objectName().toStdString();
        QTest::keyClick(control, Qt::Key_Down);
        QTest::keyClick(control, Qt::Key_Down);
        EXPECT_EQ(bar->value(), 51) << control->objectName().toStdString();
        QTest::keyClick(control, Qt::Key_PageUp);
        EXPECT_EQ(bar->value(), pageUp) << control->objectName().toStdString();
        QTest::keyClick(control, Qt::Key_PageDown);
        EXPECT_EQ(bar->value(), pageDown) << control->objectName().toStdString();
    }
    // With Shift the keys are the entry's own (selection), not scrolling.
    bar->setValue(51);
    QTest::keyClicks(TextEntry(), "AT");
    QTest::keyClick(TextEntry(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(bar->value(), 51);
}

// Under a Czech locale the program installs the translation compiled into the terminal.
TEST(TerminalTranslation, UnderACzechLocaleTheControlsCarryTheirCzechCaptionsAndHints) {
    QTranslator czech;
    ASSERT_TRUE(czech.load(QLocale(QLocale::Czech, QLocale::Czechia), "terminal", "_", ":/i18n"));
    ASSERT_TRUE(QCoreApplication::installTranslator(&czech));
    VTolmTerminal terminal(nullptr);
    terminal.SetName("termMain");
    QCoreApplication::removeTranslator(&czech);

    struct Case {
        const char* suffix;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {"_SendLinebutton", "Odeslat", "Odeslat s odřádkováním"},
        {"_Clear", "Vymazat", "Vymazat historii"},
        {"_BtnUndock", "Uvolnit okno", "Uvolnit okno terminálu"},
        {"_BtnDirect", "Přímo", "Odeslat bez odřádkování"},
    };
    for (const Case& c : cases) {
        auto* button = terminal.Form()->findChild<QPushButton*>(QString("termMain") + c.suffix);
        ASSERT_NE(button, nullptr) << c.suffix;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(c.hint));
    }
    EXPECT_EQ(terminal.Form()->findChild<QGroupBox*>("termMain_RGroupMode")->title(),
              QString::fromUtf8("Režim"));
    auto* box = terminal.Form()->findChild<QCheckBox*>("termMain_HexEntry");
    EXPECT_EQ(box->text(), QString::fromUtf8("Hex vstup"));
    EXPECT_EQ(box->toolTip(), QString::fromUtf8("Zobrazit řádek pro zadání bajtů šestnáctkově"));
    EXPECT_EQ(terminal.Form()->windowTitle(), QString::fromUtf8("Terminál"));
}

// A caption is never cut off: each button and the check box are at least as wide as their
// size hint, in English and in Czech ("Uvolnit okno", disabled while floating), also when
// the owner's font is larger than the window's own.
TEST(TerminalTranslation, CaptionsFitTheirControls) {
    struct Case {
        const char* name;
        bool czech;
        qreal pointSize; // 0: the window's own font
    };
    const Case cases[] = {
        {"English", false, 0},
        {"Czech", true, 0},
        {"Czech, larger font", true, 12},
    };
    for (const Case& c : cases) {
        QTranslator czech;
        if (c.czech) {
            ASSERT_TRUE(
                czech.load(QLocale(QLocale::Czech, QLocale::Czechia), "terminal", "_", ":/i18n"));
            QCoreApplication::installTranslator(&czech);
        }
        VTolmTerminal terminal(nullptr);
        terminal.SetName("termMain");
        QCoreApplication::removeTranslator(&czech);
        QWidget* form = terminal.Form();
        if (c.pointSize > 0) {
            QFont font = form->font();
            font.setPointSizeF(c.pointSize);
            form->setFont(font);
        }
        std::vector<QWidget*> controls;
        for (QPushButton* button : form->findChildren<QPushButton*>())
            controls.push_back(button);
        controls.push_back(form->findChild<QCheckBox*>("termMain_HexEntry"));
        ASSERT_EQ(controls.size(), 5u) << c.name;
        for (QWidget* control : controls)
            EXPECT_LE(control->sizeHint().width(), control->width())
                << c.name << ": " << control->objectName().toStdString();
        // Nothing overlaps: the columns move aside for wider ones.
        auto* send = form->findChild<QPushButton*>("termMain_SendLinebutton");
        auto* direct = form->findChild<QPushButton*>("termMain_BtnDirect");
        auto* undock = form->findChild<QPushButton*>("termMain_BtnUndock");
        EXPECT_LT(send->geometry().right(), direct->x()) << c.name;
        EXPECT_EQ(direct->x(), undock->x()) << c.name;
        if (c.czech) {
            EXPECT_EQ(undock->text(), "Uvolnit okno");
        }
    }
}

TEST_F(TerminalWindowTest, ModeGroupFollowsItsItems) {
    QGroupBox* group = Control<QGroupBox>("_RGroupMode");
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->isHidden());
    EXPECT_EQ(terminal->ModeIndex(), -1);

    terminal->SetModeItems({"A", "B", "C"});
    EXPECT_FALSE(group->isHidden());
    EXPECT_EQ(terminal->ModeIndex(), 0);
    terminal->SetModeIndex(7);
    EXPECT_EQ(terminal->ModeIndex(), 2);
    EXPECT_TRUE(group->findChildren<QRadioButton*>().at(2)->isChecked());
    terminal->SetModeIndex(-5);
    EXPECT_EQ(terminal->ModeIndex(), -1);

    terminal->SetModeItems({});
    EXPECT_TRUE(group->isHidden());
    EXPECT_EQ(terminal->ModeIndex(), -1);
}

TEST_F(TerminalWindowTest, ControlsCarryTheirCaptionsAndHints) {
    struct Case {
        const char* suffix;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {"_SendLinebutton", "Send", "Send with a line end"},
        {"_Clear", "Clear", "Clear the history"},
        {"_BtnUndock", "Undock", "Undock the terminal window"},
        {"_BtnDirect", "Direct", "Send without a line end"},
    };
    for (const Case& c : cases) {
        QPushButton* button = Control<QPushButton>(c.suffix);
        ASSERT_NE(button, nullptr) << c.suffix;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(c.hint));
    }
    EXPECT_EQ(Control<QGroupBox>("_RGroupMode")->title(), "Mode");
    EXPECT_EQ(Control<QWidget>("_Form"), terminal->Form());
    EXPECT_EQ(terminal->Form()->windowTitle(), "Terminal");
    for (const char* suffix : {"_DebugInTime", "_DebugOutTime"}) {
        QLineEdit* field = Control<QLineEdit>(suffix);
        ASSERT_NE(field, nullptr) << suffix;
        EXPECT_TRUE(field->isHidden());
        EXPECT_FALSE(field->isEnabled());
    }
    EXPECT_FALSE(Control<QPushButton>("_BtnUndock")->isEnabled());
}

TEST_F(TerminalWindowTest, RenamingKeepsTextsAndRenamesEveryControl) {
    QTest::keyClicks(TextEntry(), "AT");
    // Renamed as any component, the way an owner sees it.
    static_cast<TComponent*>(terminal.get())->SetName("termOther");
    EXPECT_EQ(terminal->Name(), "termOther");
    QWidget* form = terminal->Form();
    EXPECT_EQ(form->objectName(), "termOther_Form");
    auto* entry = form->findChild<QLineEdit*>("termOther_ManualLine");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text(), "AT");
    EXPECT_NE(form->findChild<QPlainTextEdit*>("termOther_RichEdit"), nullptr);
    EXPECT_EQ(form->findChildren<QWidget*>(QRegularExpression("^termMain")).size(), 0);
}

TEST_F(TerminalWindowTest, TrafficIsColouredOneCharacterPerByte) {
    terminal->SetShowOptions(vttsoShowTimes);
    terminal->AddString("AT\r", 5);
    const std::uint8_t raw[] = {'x', 0xE9, 'y'};
    terminal->AddChars(raw, 3, 6);
    terminal->FlushView();
    QTextDocument* doc = View()->document();
    EXPECT_EQ(doc->toPlainText(),
              QString::fromLatin1("9:05:03.120:  - AT<#0D>\n9:05:03.120: E x\xE9y"));
    auto colourAt = [doc](int position) {
        QTextCursor cursor(doc);
        cursor.setPosition(position + 1);
        return cursor.charFormat().foreground().color();
    };
    EXPECT_EQ(colourAt(16), QColor(0, 0, 255));   // "A"
    EXPECT_EQ(colourAt(18), QColor(0, 0, 0));     // "<" of the escape
    EXPECT_EQ(colourAt(22), QColor(0, 0, 0));     // ">"
    EXPECT_EQ(colourAt(25), QColor(128, 0, 128)); // the purple line
    EXPECT_EQ(doc->blockCount(), 2);
}

TEST_F(TerminalWindowTest, FullViewKeeps990LinesAndTheNewText) {
    FillLines(1101);
    ASSERT_EQ(View()->document()->blockCount(), 1101);
    terminal->AddString("new", 5);
    terminal->FlushView();
    QTextDocument* doc = View()->document();
    EXPECT_EQ(doc->blockCount(), 990); // the new text went into the last, empty line
    EXPECT_EQ(doc->firstBlock().text(), "E line 111");
    EXPECT_EQ(doc->findBlockByNumber(988).text(), "E line 1099");
    EXPECT_EQ(doc->lastBlock().text(), " - new");
}

TEST_F(TerminalWindowTest, ReaderKeepsTheirPlaceWhileTheViewIsTrimmed) {
    FillLines(1101);
    QApplication::setActiveWindow(terminal->Form());
    View()->setFocus();
    ASSERT_TRUE(View()->hasFocus());
    QScrollBar* bar = View()->verticalScrollBar();
    bar->setValue(500);
    ASSERT_EQ(TopLine(), "E line 500");

    terminal->AddString("new", 5);
    EXPECT_EQ(TopLine(), "E line 500");
    terminal->AddLine("more", 6);
    EXPECT_EQ(TopLine(), "E line 500");
    EXPECT_TRUE(View()->hasFocus());

    // Without the focus the view follows the newest output.
    TextEntry()->setFocus();
    terminal->AddLine("newest", 6);
    QCoreApplication::processEvents(); // the view shows new output at the next turn
    EXPECT_EQ(View()->document()->lastBlock().previous().text(), "E newest");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(View()->textCursor().atEnd());
}

TEST_F(TerminalWindowTest, DebugFieldsShowTheTimeBetweenSends) {
    terminal->SetDebugWindowsVisible(true);
    QLineEdit* out = Control<QLineEdit>("_DebugOutTime");
    EXPECT_FALSE(out->isHidden());
    terminal->AddString("AT", 5);
    EXPECT_EQ(out->text(), "2000");
    tick += 333;
    terminal->AddLine("OK", 6);
    terminal->AddString("AT", 5);
    EXPECT_EQ(out->text(), "333");
    EXPECT_EQ(Control<QLineEdit>("_DebugInTime")->text(), "DebugInTime");
}

TEST_F(TerminalWindowTest, HexEntryIsLaidOutBelowTheTextEntry) {
    const int textTop = TextEntry()->y();
    terminal->SetShowHexEdit(true);
    EXPECT_FALSE(HexEntry()->isHidden());
    EXPECT_EQ(HexEntry()->y(), textTop);
    EXPECT_EQ(TextEntry()->y(), HexEntry()->y() - TextEntry()->height() - 2);
    EXPECT_EQ(View()->geometry().bottom(), TextEntry()->y() - 3);
    terminal->SetShowHexEdit(false);
    EXPECT_TRUE(HexEntry()->isHidden());
    EXPECT_EQ(TextEntry()->y(), textTop);
}

TEST_F(TerminalWindowTest, HexEntryBoxShowsTheHexEntryAndTheChoiceSurvivesANewWindow) {
    QCheckBox* box = HexEntryBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Hex entry");
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(HexEntry()->isHidden());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(HexEntry()->isHidden());
    EXPECT_TRUE(terminal->ShowHexEdit());

    terminal = NewTerminal();
    EXPECT_TRUE(HexEntryBox()->isChecked());
    EXPECT_FALSE(HexEntry()->isHidden());

    // By keyboard: Space on the focused box.
    HexEntryBox()->setFocus();
    QTest::keyClick(HexEntryBox(), Qt::Key_Space);
    EXPECT_TRUE(HexEntry()->isHidden());
    terminal = NewTerminal();
    EXPECT_FALSE(HexEntryBox()->isChecked());
    EXPECT_TRUE(HexEntry()->isHidden());
}

TEST_F(TerminalWindowTest, HexEntryPropertyMovesTheBoxButStoresNothing) {
    terminal->SetShowHexEdit(true);
    EXPECT_TRUE(HexEntryBox()->isChecked());
    terminal = NewTerminal();
    EXPECT_FALSE(terminal->ShowHexEdit());
}

// What the choices file holds for this terminal; the property set while loading is kept
// unless the file says otherwise.
TEST_F(TerminalWindowTest, StoredHexEntryChoiceIsReadOrLeftAlone) {
    struct Case {
        const char* name;
        const char* group;
        const char* value; // null: no entry
        bool loadedWith;
        bool shown;
    };
    const Case cases[] = {
        {"stored 1", "termMain", "1", false, true},
        {"stored true", "termMain", "true", false, true},
        {"stored 0 overrides the property", "termMain", "0", true, false},
        {"stored false", "termMain", "false", true, false},
        {"malformed keeps the property", "termMain", "yes please", true, true},
        {"malformed keeps the default", "termMain", "2", false, false},
        {"empty value", "termMain", "", false, false},
        {"no entry", "termMain", nullptr, true, true},
        {"another terminal's choice", "termOther", "1", false, false},
    };
    for (const Case& c : cases) {
        QFile::remove(ChoicesFile());
        if (c.value != nullptr) {
            QSettings file(ChoicesFile(), QSettings::IniFormat);
            file.setValue(QString(c.group) + "/HexEntry", QString(c.value));
        }
        VTolmTerminal fresh(nullptr);
        fresh.BeginLoading();
        fresh.SetName("termMain");
        fresh.SetChoicesFile(ChoicesFile());
        fresh.SetShowHexEdit(c.loadedWith);
        fresh.Loaded();
        EXPECT_EQ(fresh.ShowHexEdit(), c.shown) << c.name;
        auto* box = fresh.Form()->findChild<QCheckBox*>("termMain_HexEntry");
        EXPECT_EQ(box->isChecked(), c.shown) << c.name;
        EXPECT_EQ(fresh.Form()->findChild<QLineEdit*>("termMain_HexManualLine")->isHidden(),
                  !c.shown)
            << c.name;
    }
}

TEST_F(TerminalWindowTest, WithoutAChoicesFileTheChoiceLastsThisRunOnly) {
    terminal->SetChoicesFile({});
    QTest::mouseClick(HexEntryBox(), Qt::LeftButton, {}, QPoint(4, HexEntryBox()->height() / 2));
    EXPECT_FALSE(HexEntry()->isHidden());
    EXPECT_FALSE(QFile::exists(ChoicesFile()));
}

// The program echoes what it sends into the terminal, the user's command and then the
// poll's; each is a line of its own.
TEST_F(TerminalWindowTest, TypedCommandAndPollCommandEchoOnSeparateLines) {
    terminal->SetShowOptions(vttsoShowTimes);
    terminal->OnTermSendData = TTermSendData::From(
        [this](const std::uint8_t* data, int count) { terminal->AddChars(data, count, 5); });
    QTest::keyClicks(TextEntry(), "ATI");
    QTest::keyClick(TextEntry(), Qt::Key_Return);
    terminal->AddString("AT+CSQ;+COPS=3,0;+COPS?\r", 5);
    terminal->AddLine("+CSQ: 24,0", 6);
    terminal->FlushView();
    EXPECT_EQ(View()->toPlainText(), "9:05:03.120:  - ATI<#0D>\n"
                                     "9:05:03.120:  - AT+CSQ;+COPS=3,0;+COPS?<#0D>\n"
                                     "9:05:03.120: E +CSQ: 24,0\n");
}

// Every marker a kind can put at the start of a line has a line of the tooltip to itself.
TEST_F(TerminalWindowTest, ViewTooltipExplainsEveryMarker) {
    const QStringList hintLines = View()->toolTip().split('\n');
    for (int kind = 0; kind < kTerminalKindCount; ++kind) {
        for (const char c : TerminalKind(kind).marker) {
            if (c == ' ')
                continue;
            const QString start = QString(QChar(c)) + "  ";
            EXPECT_TRUE(std::any_of(hintLines.begin(), hintLines.end(),
                                    [&](const QString& line) { return line.startsWith(start); }))
                << "kind " << kind << " marker " << c;
        }
    }
}

TEST_F(TerminalWindowTest, ControlsFollowTheWindowSize) {
    QWidget* form = terminal->Form();
    const QRect direct = Control<QPushButton>("_BtnDirect")->geometry();
    const int boxWidth = HexEntryBox()->width();
    form->resize(600, 500);
    EXPECT_EQ(View()->geometry(), QRect(0, 0, 598, 406));
    // The entry stretches, the check box beside it keeps its width and follows the edge.
    EXPECT_EQ(HexEntryBox()->geometry(), QRect(598 - boxWidth, 408, boxWidth, 21));
    EXPECT_EQ(TextEntry()->geometry(), QRect(2, 408, 598 - boxWidth - 6, 21));
    EXPECT_EQ(Control<QPushButton>("_BtnDirect")->geometry(), direct.translated(0, 50));
    EXPECT_EQ(terminal->FormWidth(), 600);
    EXPECT_EQ(terminal->FormHeight(), 500);
}

TEST_F(TerminalWindowTest, CloseActions) {
    QWidget* form = terminal->Form();
    terminal->SetTermCloseAction(trmcaDock); // no page control: nothing visible happens
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(terminal->Docked());

    terminal->SetTermCloseAction(trmcaMinimize);
    form->close();
    EXPECT_TRUE(form->isMinimized());
    form->showNormal();

    terminal->SetTermCloseAction(trmcaHide);
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(terminal->Visible());
    terminal->SetVisible(true);
    EXPECT_TRUE(form->isVisible());

    terminal->SetTermCloseAction(trmcaFree);
    QPointer<QWidget> guard(form);
    form->close();
    EXPECT_EQ(terminal->Form(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    // Without a window the terminal keeps its settings and ignores output.
    terminal->AddLine("nowhere", 6);
    terminal->SetFormWidth(321);
    EXPECT_EQ(terminal->FormWidth(), 321);
    terminal->SetModeItems({"a", "b"});
    terminal->SetModeIndex(1);
    EXPECT_EQ(terminal->ModeIndex(), 1);
    EXPECT_FALSE(terminal->Visible());
}

TEST_F(TerminalWindowTest, DocksIntoAPageControlAndFloatsAgain) {
    QTabWidget tabs;
    tabs.resize(500, 500);
    tabs.show();
    terminal->SetFormLeft(120);
    terminal->SetFormTop(80);
    terminal->SetParentPageControl(&tabs);
    EXPECT_TRUE(terminal->Docked());
    EXPECT_EQ(tabs.count(), 1);
    EXPECT_EQ(tabs.widget(0), terminal->Form());
    EXPECT_EQ(tabs.tabText(0), "Terminal");
    QPushButton* undock = Control<QPushButton>("_BtnUndock");
    EXPECT_TRUE(undock->isEnabled());

    terminal->SetFormWidth(420); // only the size it takes when it floats again
    EXPECT_EQ(terminal->FormWidth(), 420);
    EXPECT_NE(terminal->Form()->width(), 420);

    QTest::mouseClick(undock, Qt::LeftButton);
    EXPECT_FALSE(terminal->Docked());
    EXPECT_EQ(tabs.count(), 0);
    EXPECT_TRUE(terminal->Form()->isWindow());
    EXPECT_EQ(terminal->Form()->pos(), QPoint(120, 80));
    EXPECT_EQ(terminal->Form()->width(), 420);
    EXPECT_FALSE(undock->isEnabled());

    // Closing with trmcaDock docks it back.
    terminal->SetTermCloseAction(trmcaDock);
    terminal->Form()->close();
    EXPECT_TRUE(terminal->Docked());
    EXPECT_EQ(tabs.count(), 1);

    // The page control going away takes the window with it; the terminal survives.
    terminal->SetParentPageControl(nullptr);
    EXPECT_FALSE(terminal->Docked());
}

TEST_F(TerminalWindowTest, WindowFlagsFollowOnTopAndTaskbar) {
    QWidget* form = terminal->Form();
    EXPECT_EQ(form->windowType(), Qt::Tool);
    terminal->SetFormOnTop(true);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
    terminal->SetShowOnTaskbar(true);
    EXPECT_EQ(form->windowType(), Qt::Window);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    terminal->SetFormOnTop(false);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
}

TEST(TerminalWindowLifetime, OwnerDeletingTheWindowLeavesTheTerminalUsable) {
    auto owner = std::make_unique<QWidget>();
    VTolmTerminal terminal(nullptr, owner.get());
    terminal.Loaded();
    owner.reset(); // the floating tool window belonged to it
    EXPECT_EQ(terminal.Form(), nullptr);
    terminal.AddLine("nowhere", 6);
    terminal.SetDocked(true);
}

} // namespace
} // namespace celdara

namespace celdara {
namespace {

TEST(TerminalComponent, LoadedRaisesOnFormCreateOnceAndKeepsTheWindowOnScreen) {
    VTolmTerminal terminal(nullptr);
    std::vector<QWidget*> created;
    terminal.BeginLoading();
    terminal.OnFormCreate = VTolmFormEvent::From([&](QWidget* form) { created.push_back(form); });
    terminal.SetFormLeft(5000); // far off any screen
    terminal.SetFormTop(-300);
    terminal.SetVisible(true);
    EXPECT_FALSE(terminal.Form()->isVisible()); // deferred while loading
    terminal.EndLoading();
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0], terminal.Form());
    EXPECT_TRUE(terminal.Form()->isVisible());
    const QRect area = terminal.Form()->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(terminal.Form()->frameGeometry()))
        << "window at " << terminal.Form()->x() << "," << terminal.Form()->y();
}

TEST(TerminalComponent, LegacyShowTimesSwitchesTheTimeOption) {
    VTolmTerminal terminal(nullptr);
    terminal.SetShowOptions(vttsoShowLineCounts);
    terminal.ReadShowTimes(true);
    EXPECT_EQ(terminal.ShowOptions(), vttsoShowLineCounts | vttsoShowTimes);
    terminal.ReadShowTimes(false);
    EXPECT_EQ(terminal.ShowOptions(), vttsoShowLineCounts);
}

TEST(TerminalComponent, OwnerFreesTheTerminalAndItsWindow) {
    QPointer<QWidget> form;
    {
        TComponent owner(nullptr);
        auto* terminal = new VTolmTerminal(&owner);
        terminal->SetName("termMain");
        EXPECT_EQ(owner.FindComponent("termMain"), terminal);
        form = terminal->Form();
        ASSERT_FALSE(form.isNull());
    }
    EXPECT_TRUE(form.isNull());
}

} // namespace
} // namespace celdara
