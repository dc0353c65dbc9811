#include "terminal/VTolmTerminal.h"

#include "terminal/QtTerminalView.h"
#include "util/HexText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
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

std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

// The terminal window. It forwards what the component must see: closing, resizing and
// moving, activation, and (as the key preview) the keys of its controls.
class TerminalForm : public QWidget {
public:
    explicit TerminalForm(VTolmTerminal& terminal) : terminal_(terminal) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        bool accept = true;
        terminal_.HandleClose(accept);
        if (accept)
            event->accept();
        else
            event->ignore();
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        terminal_.LayOutControls();
        terminal_.RememberFloatingBounds();
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        terminal_.RememberFloatingBounds();
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            terminal_.HandleActivated();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!terminal_.HandleKey(this, event))
            QWidget::keyPressEvent(event);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType())
            return terminal_.HandleKey(static_cast<QWidget*>(watched),
                                       static_cast<QKeyEvent*>(event));
        return QWidget::eventFilter(watched, event);
    }

private:
    VTolmTerminal& terminal_;
};

VTolmTerminal::VTolmTerminal(TComponent* owner, QWidget* ownerWindow, TerminalClock clock)
    : TComponent(owner), context_(std::make_unique<QObject>()), owner_(ownerWindow),
      output_(std::move(clock)), caption_(QStringLiteral("Terminal")) {
    BuildWindow();
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(app, &QGuiApplication::applicationStateChanged, context_.get(),
                         [this](Qt::ApplicationState state) {
                             HandleApplicationState(state == Qt::ApplicationActive);
                         });
}

VTolmTerminal::~VTolmTerminal() {
    NotifyRemoval();
    destroying_ = true;
    output_.SetLogFileName({});
    output_.SetView(nullptr);
    if (form_ != nullptr) {
        TerminalForm* form = form_;
        ForgetWindow();
        delete form;
    }
}

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

    placed_ = {
        {richEdit_, QRect(0, 0, 398, 357), true, true, true},
        {manualLine_, QRect(2, 358, 396, 21), true, true, false},
        {hexManualLine_, QRect(2, 358, 396, 21), true, true, false},
        {rGroupMode_, QRect(8, 381, 81, 61), false, true, false},
        {sendLineButton_, QRect(96, 388, 75, 25), false, true, false},
        {clear_, QRect(96, 420, 75, 25), false, true, false},
        {btnUndock_, QRect(176, 420, 75, 25), false, true, false},
        {debugInTime_, QRect(258, 389, 140, 21), true, true, false},
        {debugOutTime_, QRect(258, 421, 140, 21), true, true, false},
        {btnDirect_, QRect(176, 388, 75, 25), false, true, false},
    };
    LayOutControls();

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
    // The owner, a tab widget or Qt itself may delete the window: forget it then.
    QObject::connect(form, &QObject::destroyed, context, [this] { ForgetWindow(); });

    // Key preview: the window sees the keys of these controls before they do.
    for (QWidget* control : {static_cast<QWidget*>(richEdit_), static_cast<QWidget*>(manualLine_),
                             static_cast<QWidget*>(hexManualLine_),
                             static_cast<QWidget*>(sendLineButton_), static_cast<QWidget*>(clear_),
                             static_cast<QWidget*>(btnUndock_), static_cast<QWidget*>(btnDirect_)})
        control->installEventFilter(form);

    view_ = std::make_unique<QtTerminalView>(richEdit_, debugInTime_, debugOutTime_);
    output_.SetView(view_.get());
    MakeFloating();
}

void VTolmTerminal::ForgetWindow() {
    if (form_ == nullptr)
        return;
    output_.SetView(nullptr);
    visible_ = false; // a window that is gone is not shown
    form_ = nullptr;
    richEdit_ = nullptr;
    manualLine_ = hexManualLine_ = debugInTime_ = debugOutTime_ = nullptr;
    rGroupMode_ = nullptr;
    modeButtons_ = nullptr;
    sendLineButton_ = clear_ = btnUndock_ = btnDirect_ = nullptr;
    placed_.clear();
}

QWidget* VTolmTerminal::Form() const {
    return form_;
}

void VTolmTerminal::FlushView() {
    if (form_ != nullptr && view_)
        view_->Flush();
}

void VTolmTerminal::SetName(std::string name) {
    TComponent::SetName(name);
    if (form_ == nullptr || IsDesigning())
        return;
    const QString base = QString::fromStdString(name);
    // The same order as the controls were named in the original window description.
    const std::pair<QObject*, const char*> controls[] = {
        {form_, "_Form"},
        {manualLine_, "_ManualLine"},
        {hexManualLine_, "_HexManualLine"},
        {rGroupMode_, "_RGroupMode"},
        {sendLineButton_, "_SendLinebutton"},
        {btnUndock_, "_BtnUndock"},
        {clear_, "_Clear"},
        {debugInTime_, "_DebugInTime"},
        {debugOutTime_, "_DebugOutTime"},
        {btnDirect_, "_BtnDirect"},
        {richEdit_, "_RichEdit"},
    };
    for (const auto& [control, suffix] : controls)
        control->setObjectName(base + QLatin1String(suffix));
}

void VTolmTerminal::Loaded() {
    TComponent::Loaded();
    if (form_ == nullptr || IsDesigning())
        return;
    form_->setWindowTitle(caption_);
    if (form_->isWindow())
        form_->move(formLeft_, formTop_);
    ApplyDocking();
    form_->setVisible(visible_);
    output_.StartTiming();
    ApplyWindowFlags();
    debugInTime_->setVisible(output_.DebugWindowsVisible());
    debugOutTime_->setVisible(output_.DebugWindowsVisible());
    LayOutEntries();
    SetModeIndex(modeIndex_);
    if (form_->isWindow())
        KeepInWorkArea(true);
    if (owner_)
        form_->setFont(owner_->font());
    if (OnFormCreate)
        OnFormCreate(form_);
}

// --- layout -------------------------------------------------------------------------

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
        if (p.anchorBottom && p.anchorTop)
            r.setHeight(std::max(0, height - r.top() - bottomGap));
        else if (p.anchorBottom)
            r.moveTop(height - bottomGap - r.height());
        p.widget->setGeometry(r);
    }
}

void VTolmTerminal::LayOutEntries() {
    if (form_ == nullptr || placed_.size() < 3)
        return;
    QRect& view = placed_[0].design;
    QRect& text = placed_[1].design;
    const QRect& hex = placed_[2].design;
    if (showHexEdit_)
        text.moveTop(hex.top() - text.height() - 2);
    else
        text.moveTop(hex.top());
    view.setBottom(text.top() - 3); // ends 2 pixels above the text entry
    hexManualLine_->setVisible(showHexEdit_);
    LayOutControls();
}

// --- docking, floating, window style -------------------------------------------------

void VTolmTerminal::MakeFloating() {
    if (form_ == nullptr)
        return;
    // A tool window of its owner has no taskbar entry; with ShowOnTaskbar it is a window of
    // its own.
    QWidget* parent = showOnTaskbar_ ? nullptr : owner_.data();
    Qt::WindowFlags flags = showOnTaskbar_ ? Qt::Window : Qt::Tool;
    if (formOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    form_->setParent(parent, flags);
}

void VTolmTerminal::ApplyWindowFlags() {
    if (form_ == nullptr || !form_->isWindow() || IsLoading() || destroying_)
        return;
    Qt::WindowFlags wanted = showOnTaskbar_ ? Qt::Window : Qt::Tool;
    if (formOnTop_)
        wanted |= Qt::WindowStaysOnTopHint;
    const Qt::WindowFlags current =
        form_->windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    QWidget* wantedParent = showOnTaskbar_ ? nullptr : owner_.data();
    if (current == wanted && form_->parentWidget() == wantedParent)
        return;
    // Changing the window type recreates the native window, which hides it.
    const bool shown = form_->isVisible();
    const QPoint position = form_->pos();
    form_->setParent(wantedParent, wanted);
    form_->move(position);
    if (shown)
        form_->show();
}

void VTolmTerminal::RememberFloatingBounds() {
    if (form_ == nullptr || !form_->isWindow() || IsLoading() || destroying_)
        return;
    formLeft_ = form_->x();
    formTop_ = form_->y();
    formWidth_ = form_->width();
    formHeight_ = form_->height();
}

void VTolmTerminal::UpdateUndockButton() {
    if (btnUndock_ != nullptr)
        btnUndock_->setEnabled(form_ != nullptr && !form_->isWindow());
}

void VTolmTerminal::ApplyDocking() {
    if (form_ == nullptr || IsLoading())
        return;
    QTabWidget* pages = parentPageControl_.data();
    if (pages != nullptr && docked_) {
        if (pages->indexOf(form_) < 0) {
            RememberFloatingBounds();
            form_->setWindowState(Qt::WindowNoState);
            const bool show = visible_;
            const int index = pages->addTab(form_, caption_);
            if (show) {
                form_->show();
                pages->setCurrentIndex(index);
            }
        }
    } else if (!form_->isWindow()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(
                form_->parentWidget() ? form_->parentWidget()->parentWidget() : nullptr)) {
            const int index = tabs->indexOf(form_);
            if (index >= 0)
                tabs->removeTab(index);
        }
        const bool show = visible_;
        MakeFloating();
        form_->move(formLeft_, formTop_);
        form_->resize(formWidth_, formHeight_);
        if (show)
            form_->show();
    }
    UpdateUndockButton();
}

bool VTolmTerminal::Docked() const {
    return form_ != nullptr ? !form_->isWindow() : docked_;
}

void VTolmTerminal::SetDocked(bool value) {
    if (value == Docked() && value == docked_)
        return;
    docked_ = value;
    ApplyDocking();
}

void VTolmTerminal::SetParentPageControl(QTabWidget* pageControl) {
    if (pageControl == parentPageControl_)
        return;
    // Leave the old page control first; the window floats until it docks again.
    const bool wish = docked_;
    docked_ = false;
    ApplyDocking();
    docked_ = wish;
    parentPageControl_ = pageControl;
    ApplyDocking();
}

void VTolmTerminal::Undock() {
    SetDocked(false);
    QCoreApplication::processEvents();
    ApplyWindowFlags();
}

void VTolmTerminal::KeepInWorkArea(bool shrink) {
    if (form_ == nullptr || !form_->isWindow())
        return;
    QScreen* screen = form_->screen() ? form_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = form_->frameGeometry();
    const QSize extra = frame.size() - form_->size();
    if (shrink) {
        const QSize client(std::min(form_->width(), area.width() - extra.width()),
                           std::min(form_->height(), area.height() - extra.height()));
        if (client != form_->size() && client.isValid())
            form_->resize(client);
        frame = form_->frameGeometry();
    }
    QPoint position = frame.topLeft();
    if (frame.right() > area.right())
        position.rx() -= frame.right() - area.right();
    if (frame.bottom() > area.bottom())
        position.ry() -= frame.bottom() - area.bottom();
    position.setX(std::max(position.x(), area.left()));
    position.setY(std::max(position.y(), area.top()));
    if (position != frame.topLeft())
        form_->move(position);
}

void VTolmTerminal::HandleActivated() {
    ApplyWindowFlags();
    KeepInWorkArea(false);
}

void VTolmTerminal::HandleApplicationState(bool active) {
    if (form_ == nullptr)
        return;
    if (!active) {
        lastActiveWindow_ = QApplication::activeWindow();
        return;
    }
    // Coming back to a terminal with its own taskbar entry, the owner takes the focus, so
    // that the owner's entry is the one that is active.
    QWidget* focus = QApplication::focusWidget();
    if (lastActiveWindow_ == form_ && showOnTaskbar_ && owner_ &&
        (focus == form_ || (focus != nullptr && form_->isAncestorOf(focus))))
        owner_->activateWindow();
}

void VTolmTerminal::HandleClose(bool& accept) {
    if (form_ == nullptr) { // already freed, only waiting to be deleted
        accept = true;
        return;
    }
    switch (termCloseAction_) {
    case trmcaDock:
        accept = false;
        SetDocked(true);
        break;
    case trmcaHide:
        accept = true; // closing a window hides it
        break;
    case trmcaFree: {
        accept = true;
        QWidget* form = form_;
        ForgetWindow();
        form->deleteLater();
        break;
    }
    case trmcaMinimize:
        accept = false;
        form_->showMinimized();
        break;
    }
}

// --- plain property setters -----------------------------------------------------------

void VTolmTerminal::SetCaption(const QString& caption) {
    caption_ = caption;
    if (form_ == nullptr)
        return;
    form_->setWindowTitle(caption);
    if (parentPageControl_) {
        const int index = parentPageControl_->indexOf(form_);
        if (index >= 0)
            parentPageControl_->setTabText(index, caption);
    }
}

void VTolmTerminal::SetDebugWindowsVisible(bool value) {
    if (value == output_.DebugWindowsVisible())
        return;
    output_.SetDebugWindowsVisible(value);
    if (form_ != nullptr) {
        debugInTime_->setVisible(value);
        debugOutTime_->setVisible(value);
    }
}

bool VTolmTerminal::Visible() const {
    return form_ != nullptr ? !form_->isHidden() : visible_;
}

void VTolmTerminal::SetVisible(bool value) {
    if (value == Visible())
        return;
    visible_ = value;
    if (!IsLoading() && form_ != nullptr)
        form_->setVisible(value);
}

int VTolmTerminal::FormLeft() const {
    return form_ != nullptr && form_->isWindow() ? form_->x() : formLeft_;
}

void VTolmTerminal::SetFormLeft(int value) {
    formLeft_ = value;
    if (form_ != nullptr && (form_->isWindow() || IsLoading()))
        form_->move(value, form_->isWindow() ? form_->y() : formTop_);
}

int VTolmTerminal::FormTop() const {
    return form_ != nullptr && form_->isWindow() ? form_->y() : formTop_;
}

void VTolmTerminal::SetFormTop(int value) {
    formTop_ = value;
    if (form_ != nullptr && (form_->isWindow() || IsLoading()))
        form_->move(form_->isWindow() ? form_->x() : formLeft_, value);
}

int VTolmTerminal::FormWidth() const {
    return form_ != nullptr && form_->isWindow() ? form_->width() : formWidth_;
}

void VTolmTerminal::SetFormWidth(int value) {
    formWidth_ = value;
    if (form_ != nullptr && form_->isWindow())
        form_->resize(value, form_->height());
}

int VTolmTerminal::FormHeight() const {
    return form_ != nullptr && form_->isWindow() ? form_->height() : formHeight_;
}

void VTolmTerminal::SetFormHeight(int value) {
    formHeight_ = value;
    if (form_ != nullptr && form_->isWindow())
        form_->resize(form_->width(), value);
}

void VTolmTerminal::SetShowOnTaskbar(bool value) {
    if (value == showOnTaskbar_)
        return;
    showOnTaskbar_ = value;
    ApplyWindowFlags();
}

void VTolmTerminal::SetShowHexEdit(bool value) {
    if (value == showHexEdit_)
        return;
    showHexEdit_ = value;
    if (!IsLoading())
        LayOutEntries();
}

void VTolmTerminal::SetFormOnTop(bool value) {
    if (value == formOnTop_)
        return;
    formOnTop_ = value;
    ApplyWindowFlags();
}

void VTolmTerminal::ReadShowTimes(bool value) {
    VTolmTerminal_ShowOptions options = output_.ShowOptions();
    options = value ? (options | vttsoShowTimes) : (options & ~unsigned{vttsoShowTimes});
    output_.SetShowOptions(options);
}

// --- mode group ---------------------------------------------------------------------

void VTolmTerminal::SetModeItems(const QStringList& items) {
    modeItems_ = items;
    RefillModeGroup();
}

void VTolmTerminal::RefillModeGroup() {
    if (form_ == nullptr)
        return;
    const int previous = ModeIndex();
    for (QAbstractButton* button : modeButtons_->buttons()) {
        modeButtons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < modeItems_.size(); ++i) {
        auto* button = new QRadioButton(modeItems_[i], rGroupMode_);
        button->installEventFilter(form_);
        modeButtons_->addButton(button, i);
        rGroupMode_->layout()->addWidget(button);
    }
    rGroupMode_->setVisible(!modeItems_.isEmpty());
    if (!modeItems_.isEmpty())
        SetModeIndex(previous >= 0 && previous < modeItems_.size() ? previous : 0);
    else
        modeIndex_ = -1;
}

int VTolmTerminal::ModeIndex() const {
    if (form_ == nullptr)
        return modeIndex_;
    return modeButtons_->checkedId();
}

void VTolmTerminal::SetModeIndex(int value) {
    const int count = static_cast<int>(modeItems_.size());
    value = std::max(-1, value);
    if (value >= count)
        value = count - 1;
    modeIndex_ = value;
    if (form_ == nullptr)
        return;
    if (value < 0) {
        // An exclusive group cannot uncheck its checked button.
        modeButtons_->setExclusive(false);
        if (QAbstractButton* checked = modeButtons_->checkedButton())
            checked->setChecked(false);
        modeButtons_->setExclusive(true);
    } else if (QAbstractButton* button = modeButtons_->button(value)) {
        button->setChecked(true);
    }
}

// --- entries and sending --------------------------------------------------------------

void VTolmTerminal::MirrorTextToHex() {
    if (mirrorDepth_ > 0 || hexManualLine_ == nullptr)
        return;
    ++mirrorDepth_;
    hexManualLine_->setText(FromBytes(BytesToHexText(ToBytes(manualLine_->text()))));
    --mirrorDepth_;
}

void VTolmTerminal::MirrorHexToText() {
    if (mirrorDepth_ > 0 || manualLine_ == nullptr)
        return;
    ++mirrorDepth_;
    manualLine_->setText(FromBytes(HexTextToBytes(ToBytes(hexManualLine_->text()))));
    --mirrorDepth_;
}

void VTolmTerminal::SendWithLineEnd() {
    if (pendingLineEnd_ == 0)
        pendingLineEnd_ = '\r';
    Send(true);
}

void VTolmTerminal::SendWithoutLineEnd() {
    Send(false);
}

void VTolmTerminal::Send(bool withLineEnd) {
    if (hexManualLine_ == nullptr)
        return;
    // The hex entry is the source, so what goes out is exactly what it shows.
    std::string bytes = HexTextToBytes(ToBytes(hexManualLine_->text()));
    if (withLineEnd)
        bytes += static_cast<char>(pendingLineEnd_);
    if (OnTermSendData)
        OnTermSendData(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<int>(bytes.size()));
    pendingLineEnd_ = 0;
    if (hexManualLine_ != nullptr) // the handler may have freed the window
        hexManualLine_->clear();
}

// --- keys -----------------------------------------------------------------------------

namespace {

constexpr Qt::KeyboardModifiers kShiftCtrlAlt =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

// The character a key press types, as the terminal's key handling sees it: Enter 13,
// Esc 27, Ctrl+Z 26, Backspace 8, or a printable character. 0 for keys that type nothing
// and for other Ctrl combinations, which stay with the control (copy, paste, select all).
char32_t TypedChar(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Z:
        if (mods & Qt::ControlModifier)
            return 26;
        break;
    default:
        break;
    }
    if (mods & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    const QString text = event->text();
    if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)
        return 0;
    return text[0].unicode();
}

} // namespace

bool VTolmTerminal::HandleScrollKey(QKeyEvent* event) {
    if (richEdit_ == nullptr || (event->modifiers() & kShiftCtrlAlt))
        return false;
    QScrollBar* bar = richEdit_->verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case Qt::Key_Up:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Down:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    default:
        return false;
    }
}

bool VTolmTerminal::HandleTypedKey(QKeyEvent* event) {
    const char32_t c = TypedChar(event);
    switch (c) {
    case 0:
    case 8: // Backspace stays with the focused control
        return false;
    case 13:
        SendWithLineEnd();
        return true;
    case 26:
    case 27:
        pendingLineEnd_ = static_cast<std::uint8_t>(c);
        SendWithLineEnd();
        return true;
    default:
        // The entry holds bytes; a character outside Latin-1 has no byte to stand for.
        if (c <= 0xFF && manualLine_ != nullptr)
            manualLine_->insert(QString(QChar(static_cast<char16_t>(c))));
        return true;
    }
}

bool VTolmTerminal::HandleHexKey(QKeyEvent* event) {
    const char32_t c = TypedChar(event);
    if (c == 27) {
        hexManualLine_->clear();
        if (form_->isVisible() && manualLine_->isEnabled() && manualLine_->isVisible())
            manualLine_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (c == 13) {
        SendWithoutLineEnd();
        return true;
    }
    return false;
}

bool VTolmTerminal::HandleKey(QWidget* target, QKeyEvent* event) {
    if (form_ == nullptr)
        return false;
    if (HandleScrollKey(event))
        return true;
    if (target == richEdit_)
        return HandleTypedKey(event);
    if (target == sendLineButton_ || target == btnDirect_) {
        if (event->key() == Qt::Key_Space)
            return false; // the button clicks itself
        return HandleTypedKey(event);
    }
    if (target == manualLine_)
        return HandleTypedKey(event);
    if (target == hexManualLine_)
        return HandleHexKey(event);
    return false;
}

} // namespace celdara
