#include "app/PortComboBox.h"

#include "appinfo/WindowUtils.h"

#include <QSignalBlocker>

namespace celdara {

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
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

void PortComboBox::showPopup() {
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

} // namespace celdara
