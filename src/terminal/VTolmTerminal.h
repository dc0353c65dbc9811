// The debug terminal component: owns a terminal window built at run time (coloured view of
// the traffic, text and hexadecimal entry lines, send buttons, mode group, diagnostic
// fields) that floats or docks into a tab widget, and hands what the user types to
// OnTermSendData. The drawing of traffic itself lives in TerminalOutput.
#pragma once

#include "core/Component.h"
#include "core/Event.h"
#include "terminal/TerminalOutput.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QObject;
class QPlainTextEdit;
class QPushButton;

class QWidget;

namespace celdara {

enum TTermCloseAction { trmcaDock, trmcaHide, trmcaFree, trmcaMinimize };

// The data of OnTermSendData is valid only during the call.
using TTermSendData = TEvent<void(const std::uint8_t* data, int count)>;
using TTermWantModeChange = TEvent<void(int modeNo)>;
using VTolmFormEvent = TEvent<void(QWidget* form)>;

class QtTerminalView;
class TerminalForm;

class VTolmTerminal : public TComponent {
    Q_DECLARE_TR_FUNCTIONS(VTolmTerminal)

public:
    // `ownerWindow` is the window the terminal belongs to (may be null): a floating
    // terminal stays with it, and it gets the focus back when the application is
    // reactivated.
    explicit VTolmTerminal(TComponent* owner, QWidget* ownerWindow = nullptr,
                           TerminalClock clock = SystemTerminalClock());
    ~VTolmTerminal() override;

    // Properties set between BeginLoading and Loaded defer their effect on the window.
    void Loaded() override;

    // Names the window "<name>_Form" and every control "<name>_<suffix>".
    void SetName(std::string name) override;

    // The terminal window, or null once it has been freed.
    QWidget* Form() const;

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool DebugWindowsVisible() const { return output_.DebugWindowsVisible(); }
    void SetDebugWindowsVisible(bool value);
    bool Docked() const;
    void SetDocked(bool value);
    bool Visible() const;
    void SetVisible(bool value);
    bool IgnoreAddChars() const { return output_.IgnoreAddChars(); }
    void SetIgnoreAddChars(bool value) { output_.SetIgnoreAddChars(value); }
    int FormLeft() const;
    void SetFormLeft(int value);
    int FormTop() const;
    void SetFormTop(int value);
    int FormWidth() const;
    void SetFormWidth(int value);
    int FormHeight() const;
    void SetFormHeight(int value);
    int ModeIndex() const;
    void SetModeIndex(int value);
    int MaxLines() const { return output_.MaxLines(); }
    void SetMaxLines(int value) { output_.SetMaxLines(value); }
    int MaxChars() const { return output_.MaxChars(); }
    void SetMaxChars(int value) { output_.SetMaxChars(value); }
    int MaxCharsPerLine() const { return output_.MaxCharsPerLine(); }
    void SetMaxCharsPerLine(int value) { output_.SetMaxCharsPerLine(value); }
    QTabWidget* ParentPageControl() const { return parentPageControl_; }
    void SetParentPageControl(QTabWidget* pageControl);
    TTermCloseAction TermCloseAction() const { return termCloseAction_; }
    void SetTermCloseAction(TTermCloseAction value) { termCloseAction_ = value; }
    const QStringList& ModeItems() const { return modeItems_; }
    void SetModeItems(const QStringList& items);
    bool ShowOnTaskbar() const { return showOnTaskbar_; }
    void SetShowOnTaskbar(bool value);
    bool ShowHexEdit() const { return showHexEdit_; }
    void SetShowHexEdit(bool value);
    // The INI file that keeps the choices the user makes in the window (the hex entry's
    // check box) between starts, under the component's name. Read when the component has
    // been loaded, written when the user changes a choice; empty keeps nothing.
    const QString& ChoicesFile() const { return choicesFile_; }
    void SetChoicesFile(const QString& path) { choicesFile_ = path; }
    VTolmTerminal_ShowOptions ShowOptions() const { return output_.ShowOptions(); }
    void SetShowOptions(VTolmTerminal_ShowOptions value) { output_.SetShowOptions(value); }
    // The older stored property: True adds vttsoShowTimes, False removes it.
    void ReadShowTimes(bool value);
    bool FormOnTop() const { return formOnTop_; }
    void SetFormOnTop(bool value);
    const std::string& LogFileName() const { return output_.LogFileName(); }
    void SetLogFileName(const std::string& name) { output_.SetLogFileName(name); }
    std::int64_t LogFileMaxLen() const { return output_.LogFileMaxLen(); }
    void SetLogFileMaxLen(std::int64_t value) { output_.SetLogFileMaxLen(value); }

    TTermSendData OnTermSendData;
    // Kept for stored descriptions; the terminal never raises it.
    TTermWantModeChange OnTermWantModeChange;
    VTolmFormEvent OnFormCreate;

    void AddChars(const std::uint8_t* data, int count, int kind) {
        output_.AddChars(data, count, kind);
    }
    void AddString(std::string_view text, int kind) { output_.AddString(text, kind); }
    void AddLine(std::string_view text, int kind) { output_.AddLine(text, kind); }
    void EndLine() { output_.EndLine(); }
    // The "Clear" button.
    void Clear() { output_.Clear(); }
    // Output reaches the view's document at the next turn of the event loop; this writes
    // it there at once.
    void FlushView();

    TerminalOutput& Output() { return output_; }

private:
    friend class TerminalForm;

    struct Placed {
        QWidget* widget;
        QRect design;
        bool anchorRight;         // stretches with the width
        bool anchorBottom;        // keeps its distance to the bottom edge
        bool anchorTop;           // with anchorBottom: stretches with the height
        bool followRight = false; // keeps its width and its distance to the right edge
    };

    // The window and its controls (VTolmTerminalWindow.cpp).
    void BuildWindow();
    void CreateControls();
    void PlaceControls();
    void ConnectControls();
    void ForgetWindow();
    void LayOutControls();
    void LayOutEntries();

    // Choices kept between starts (VTolmTerminalChoices.cpp).
    void RestoreChoices();
    void ChooseHexEntry(bool show);

    // Floating, docking and closing (VTolmTerminalDocking.cpp).
    void ApplyDocking();
    void MakeFloating();
    void ApplyWindowFlags();
    void RememberFloatingBounds();
    void UpdateUndockButton();
    void KeepInWorkArea(bool shrink);
    void Undock();
    void HandleClose(bool& accept);
    void HandleActivated();
    void HandleApplicationState(bool active);

    // The mode group (VTolmTerminalProperties.cpp).
    void RefillModeGroup();

    // Typed input and sending (VTolmTerminalInput.cpp).
    void MirrorTextToHex();
    void MirrorHexToText();
    void Mirror(QLineEdit* from, QLineEdit* to, std::string (*convert)(std::string_view));
    void SendWithLineEnd();
    void SendWithoutLineEnd();
    void Send(bool withLineEnd);
    // Key handling; each returns true when the key is consumed.
    bool HandleKey(QWidget* target, QKeyEvent* event);
    bool HandleScrollKey(QKeyEvent* event);
    bool HandleTypedKey(QKeyEvent* event);
    bool HandleHexKey(QKeyEvent* event);

    std::unique_ptr<QObject> context_; // receiver of the window's signals
    QPointer<QWidget> owner_;
    TerminalOutput output_;
    std::unique_ptr<QtTerminalView> view_;

    TerminalForm* form_ = nullptr;
    QPlainTextEdit* richEdit_ = nullptr;
    QLineEdit* manualLine_ = nullptr;
    QLineEdit* hexManualLine_ = nullptr;
    QCheckBox* hexEntryBox_ = nullptr;
    QGroupBox* rGroupMode_ = nullptr;
    QButtonGroup* modeButtons_ = nullptr;
    QPushButton* sendLineButton_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* btnUndock_ = nullptr;
    QLineEdit* debugInTime_ = nullptr;
    QLineEdit* debugOutTime_ = nullptr;
    QPushButton* btnDirect_ = nullptr;
    std::vector<Placed> placed_;

    QString caption_;
    bool destroying_ = false;
    bool docked_ = true;
    bool visible_ = false;
    int formLeft_ = 500, formTop_ = 300, formWidth_ = 400, formHeight_ = 450;
    int modeIndex_ = -1;
    QPointer<QTabWidget> parentPageControl_;
    TTermCloseAction termCloseAction_ = trmcaDock;
    QStringList modeItems_;
    bool showOnTaskbar_ = false;
    bool showHexEdit_ = false;
    bool formOnTop_ = false;
    QString choicesFile_;

    std::uint8_t pendingLineEnd_ = 0;
    int mirrorDepth_ = 0;
    QPointer<QWidget> lastActiveWindow_;
};

} // namespace celdara
