// What the user types: the text and hexadecimal entries that mirror each other, sending
// them, and the keys the window takes before its controls do.
#include "terminal/TerminalForm.h"
#include "terminal/VTolmTerminal.h"
#include "util/HexText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace celdara {

namespace {

std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

void VTolmTerminal::MirrorTextToHex() {
    Mirror(manualLine_, hexManualLine_, &BytesToHexText);
}

void VTolmTerminal::MirrorHexToText() {
    Mirror(hexManualLine_, manualLine_, &HexTextToBytes);
}

// Each entry follows the other; the change made here must not echo back.
void VTolmTerminal::Mirror(QLineEdit* from, QLineEdit* to,
                           std::string (*convert)(std::string_view)) {
    if (mirrorDepth_ > 0 || from == nullptr || to == nullptr)
        return;
    ++mirrorDepth_;
    to->setText(FromBytes(convert(ToBytes(from->text()))));
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
