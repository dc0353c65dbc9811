#include "app/PortComboBox.h"

#include "appinfo/WindowUtils.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace celdara {

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Keys reach the box or its edit, depending on which Qt gave the focus.
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] { Commit(true); });
}

void PortComboBox::Commit(bool always) {
    const QString value = ShownValue();
    // An emptied box names no port; the one chosen last stays.
    if (value.isEmpty() || (!always && value == chosen_))
        return;
    chosen_ = value;
    if (OnCommit)
        OnCommit();
}

bool PortComboBox::TakeKey(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        Commit(true);
        return true;
    }
    // AltGr arrives as Ctrl+Alt where it types a character of its own.
    const Qt::KeyboardModifiers chord = key.modifiers() & (Qt::AltModifier | Qt::ControlModifier);
    return chord == Qt::AltModifier && !key.text().isEmpty() && key.text().at(0).isPrint();
}

bool PortComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && watched != lineEdit())
        return QComboBox::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return TakeKey(static_cast<const QKeyEvent&>(*event));
    // The list dropping down takes the focus for a moment; that is no leaving.
    if (event->type() == QEvent::FocusOut &&
        static_cast<const QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        Commit(false);
    return false;
}

std::vector<std::string> PortComboBox::Items() const {
    std::vector<std::string> items;
    for (int i = 0; i < count(); ++i)
        items.push_back(itemText(i).toStdString());
    return items;
}

void PortComboBox::SetItems(const std::vector<std::string>& items) {
    QSignalBlocker block(this);
    const QString text = currentText();
    clear();
    for (const std::string& item : items)
        addItem(QString::fromStdString(item));
    ShowText(text);
}

std::string PortComboBox::Text() const {
    return currentText().toStdString();
}

bool PortComboBox::Focused() const {
    return hasFocus();
}

bool PortComboBox::SelectComboText(const std::string& text) {
    QSignalBlocker block(this);
    return celdara::SelectComboText(this, QString::fromStdString(text));
}

void PortComboBox::ShowText(const QString& text) {
    // The current item follows the text: when the edit loses the focus, Qt takes a text that
    // names another item than the current one for the user's pick of that item.
    setCurrentIndex(findText(text));
    setEditText(text);
}

void PortComboBox::SetTextQuietly(const QString& text) {
    QSignalBlocker block(this);
    ShowText(text);
}

namespace {

constexpr int kNameRole = Qt::UserRole + 1;

} // namespace

QString PortComboBox::ItemValue(int index) const {
    const QString value = itemData(index).toString();
    return value.isEmpty() ? itemText(index) : value;
}

int PortComboBox::FindValue(const QString& value, int role) const {
    for (int i = 0; i < count(); ++i)
        if (!value.isEmpty() &&
            (role == Qt::UserRole ? ItemValue(i) : itemData(i, role).toString()) == value)
            return i;
    return -1;
}

QString PortComboBox::ShownValue() const {
    const QString text = currentText();
    int index = currentIndex();
    if (index < 0 || itemText(index) != text)
        index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index >= 0 ? ItemValue(index) : text;
}

void PortComboBox::SetPortItems(const std::vector<TPortItem>& items) {
    QSignalBlocker block(this);
    const QString text = currentText();
    const int cursor = lineEdit()->cursorPosition();
    const bool onEntry = currentIndex() >= 0 && itemText(currentIndex()) == text;
    const QString value = ShownValue();
    clear();
    for (const TPortItem& item : items) {
        addItem(item.Text, item.Value);
        setItemData(count() - 1, item.Name, kNameRole);
    }
    int index = onEntry ? FindValue(value, Qt::UserRole)
                        : findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (onEntry && index < 0) {
        addItem(text, value);
        index = count() - 1;
    }
    // Qt clears the edit with the list; what the user was typing comes back where it was.
    const QString shown = index >= 0 ? itemText(index) : text;
    setCurrentIndex(index);
    setEditText(shown);
    if (shown == text)
        lineEdit()->setCursorPosition(cursor);
}

void PortComboBox::ShowPortQuietly(const QString& value) {
    QSignalBlocker block(this);
    int index = FindValue(value, Qt::UserRole);
    if (index < 0)
        index = FindValue(value, kNameRole);
    if (index < 0 && !value.isEmpty()) {
        addItem(value, value);
        index = count() - 1;
    }
    setCurrentIndex(index);
    setEditText(index >= 0 ? itemText(index) : value);
    chosen_ = ShownValue();
}

void PortComboBox::showPopup() {
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

} // namespace celdara
