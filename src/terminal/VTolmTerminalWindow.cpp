// The terminal window's controls: made, placed for the design size and laid out again
// when the window changes size.
#include "terminal/QtTerminalView.h"
#include "terminal/TerminalForm.h"
#include "terminal/VTolmTerminal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace celdara {

namespace {

// The controls are placed for a window client area of this size and follow their anchors
// when it changes.
constexpr int kDesignWidth = 400;
constexpr int kDesignHeight = 450;

// Longest texts the entry lines take: the hex entry shows three characters per byte.
constexpr int kMaxTextEntry = 32767;
constexpr int kMaxHexEntry = 3 * kMaxTextEntry;

// The buttons' design width, and the top of the lower entry line.
constexpr int kButtonWidth = 75;
constexpr int kLowerEntryTop = 358;
constexpr int kEntryHeight = 21;

// A column of buttons is as wide as the widest caption needs (another language, a larger
// font), and never narrower than designed.
int ColumnWidth(std::initializer_list<const QWidget*> controls) {
    int width = kButtonWidth;
    for (const QWidget* control : controls)
        width = std::max(width, control->sizeHint().width());
    return width;
}

} // namespace

void VTolmTerminal::BuildWindow() {
    auto* form = new TerminalForm(*this);
    form_ = form;
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->setWindowTitle(tr("Terminal"));
    form->resize(formWidth_, formHeight_);
    // The controls have fixed sizes made for a small dialog font.
    QFont font = form->font();
    font.setPointSizeF(std::min(font.pointSizeF(), 8.0));
    form->setFont(font);

    CreateControls();
    PlaceControls();
    ConnectControls();
    view_ = std::make_unique<QtTerminalView>(richEdit_, debugInTime_, debugOutTime_);
    output_.SetView(view_.get());
    MakeFloating();
}

void VTolmTerminal::CreateControls() {
    QWidget* form = form_;
    richEdit_ = new QPlainTextEdit(form);
    richEdit_->setReadOnly(true);
    richEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    richEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    richEdit_->setWordWrapMode(QTextOption::NoWrap);
    richEdit_->setUndoRedoEnabled(false);
    richEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    richEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    richEdit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    manualLine_ = new QLineEdit(form);
    manualLine_->setMaxLength(kMaxTextEntry);
    hexManualLine_ = new QLineEdit(form);
    hexManualLine_->setMaxLength(kMaxHexEntry);
    hexManualLine_->hide();
    hexEntryBox_ = new QCheckBox(tr("Hex entry"), form);
    hexEntryBox_->setToolTip(tr("Show the entry line for bytes in hexadecimal"));
    richEdit_->setToolTip(
        tr("The marker at the start of each line, after the time:\n"
           "+  received\n"
           "-  sent\n"
           "#  after + or -: the bytes in hexadecimal\n"
           "E  a message of the program, or a line of the modem's reply as the program read it\n"
           "?  of no known kind\n"
           "<#0D> stands for a byte that has no character (here a carriage return)."));

    rGroupMode_ = new QGroupBox(tr("Mode"), form);
    auto* modeLayout = new QVBoxLayout(rGroupMode_);
    modeLayout->setContentsMargins(4, 2, 4, 2);
    modeLayout->setSpacing(0);
    modeButtons_ = new QButtonGroup(rGroupMode_);
    rGroupMode_->hide();

    auto makeButton = [form](const QString& caption, const QString& hint) {
        auto* button = new QPushButton(caption, form);
        button->setToolTip(hint);
        button->setAutoDefault(false);
        return button;
    };
    sendLineButton_ = makeButton(tr("Send"), tr("Send with a line end"));
    clear_ = makeButton(tr("Clear"), tr("Clear the history"));
    btnUndock_ = makeButton(tr("Undock"), tr("Undock the terminal window"));
    btnUndock_->setEnabled(false);
    btnDirect_ = makeButton(tr("Direct"), tr("Send without a line end"));

    auto makeDebugField = [form](const QString& text) {
        auto* field = new QLineEdit(text, form);
        field->setEnabled(false);
        field->hide();
        return field;
    };
    debugInTime_ = makeDebugField(QStringLiteral("DebugInTime"));
    debugOutTime_ = makeDebugField(QStringLiteral("DebugOutTime"));
}

void VTolmTerminal::PlaceControls() {
    if (form_ == nullptr || hexEntryBox_ == nullptr)
        return; // the window is still being built, or gone
    const int sendWidth = ColumnWidth({sendLineButton_, clear_});
    const int directLeft = 96 + sendWidth + 5;
    const int directWidth = ColumnWidth({btnDirect_, btnUndock_});
    const int fieldsLeft = directLeft + directWidth + 7;
    const int fieldsWidth = std::max(0, kDesignWidth - 2 - fieldsLeft);
    const int boxWidth = hexEntryBox_->sizeHint().width();
    const int boxLeft = kDesignWidth - 2 - boxWidth;
    const int entryWidth = std::max(0, boxLeft - 4 - 2);
    // The text entry sits on the lower line, or above the hex entry when that is shown.
    const int textTop = showHexEdit_ ? kLowerEntryTop - kEntryHeight - 2 : kLowerEntryTop;
    placed_ = {
        {richEdit_, QRect(QPoint(0, 0), QPoint(kDesignWidth - 3, textTop - 3)), true, true, true},
        {manualLine_, QRect(2, textTop, entryWidth, kEntryHeight), true, true, false},
        {hexManualLine_, QRect(2, kLowerEntryTop, entryWidth, kEntryHeight), true, true, false},
        {hexEntryBox_, QRect(boxLeft, kLowerEntryTop, boxWidth, kEntryHeight), false, true, false,
         true},
        {rGroupMode_, QRect(8, 381, 81, 61), false, true, false},
        {sendLineButton_, QRect(96, 388, sendWidth, 25), false, true, false},
        {clear_, QRect(96, 420, sendWidth, 25), false, true, false},
        {btnUndock_, QRect(directLeft, 420, directWidth, 25), false, true, false},
        {debugInTime_, QRect(fieldsLeft, 389, fieldsWidth, 21), true, true, false},
        {debugOutTime_, QRect(fieldsLeft, 421, fieldsWidth, 21), true, true, false},
        {btnDirect_, QRect(directLeft, 388, directWidth, 25), false, true, false},
    };
    LayOutControls();
}

void VTolmTerminal::ConnectControls() {
    // Connections live no longer than the component (context_) nor than their sender.
    QObject* context = context_.get();
    QObject::connect(manualLine_, &QLineEdit::textChanged, context, [this] { MirrorTextToHex(); });
    QObject::connect(hexManualLine_, &QLineEdit::textChanged, context,
                     [this] { MirrorHexToText(); });
    QObject::connect(sendLineButton_, &QPushButton::clicked, context,
                     [this] { SendWithLineEnd(); });
    QObject::connect(btnDirect_, &QPushButton::clicked, context, [this] { SendWithoutLineEnd(); });
    QObject::connect(clear_, &QPushButton::clicked, context, [this] { Clear(); });
    QObject::connect(btnUndock_, &QPushButton::clicked, context, [this] { Undock(); });
    QObject::connect(hexEntryBox_, &QCheckBox::toggled, context,
                     [this](bool checked) { ChooseHexEntry(checked); });
    // The owner, a tab widget or Qt itself may delete the window: forget it then.
    QObject::connect(form_, &QObject::destroyed, context, [this] { ForgetWindow(); });

    // Key preview: the window sees the keys of these controls before they do.
    for (QWidget* control : {static_cast<QWidget*>(richEdit_), static_cast<QWidget*>(manualLine_),
                             static_cast<QWidget*>(hexManualLine_),
                             static_cast<QWidget*>(sendLineButton_), static_cast<QWidget*>(clear_),
                             static_cast<QWidget*>(btnUndock_), static_cast<QWidget*>(btnDirect_)})
        control->installEventFilter(form_);
}

void VTolmTerminal::ForgetWindow() {
    if (form_ == nullptr)
        return;
    output_.SetView(nullptr);
    visible_ = false; // a window that is gone is not shown
    form_ = nullptr;
    richEdit_ = nullptr;
    manualLine_ = hexManualLine_ = debugInTime_ = debugOutTime_ = nullptr;
    hexEntryBox_ = nullptr;
    rGroupMode_ = nullptr;
    modeButtons_ = nullptr;
    sendLineButton_ = clear_ = btnUndock_ = btnDirect_ = nullptr;
    placed_.clear();
}

void VTolmTerminal::LayOutControls() {
    if (form_ == nullptr)
        return;
    const int width = form_->width();
    const int height = form_->height();
    for (const Placed& p : placed_) {
        QRect r = p.design;
        const int rightGap = kDesignWidth - p.design.right() - 1;
        const int bottomGap = kDesignHeight - p.design.bottom() - 1;
        if (p.anchorRight)
            r.setWidth(std::max(0, width - r.left() - rightGap));
        else if (p.followRight)
            r.moveLeft(width - rightGap - r.width());
        if (p.anchorBottom && p.anchorTop)
            r.setHeight(std::max(0, height - r.top() - bottomGap));
        else if (p.anchorBottom)
            r.moveTop(height - bottomGap - r.height());
        p.widget->setGeometry(r);
    }
}

void VTolmTerminal::LayOutEntries() {
    if (form_ == nullptr)
        return;
    hexManualLine_->setVisible(showHexEdit_);
    PlaceControls();
}

} // namespace celdara
