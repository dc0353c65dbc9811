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
    setEditText(text);
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

void PortComboBox::SetTextQuietly(const QString& text) {
    QSignalBlocker block(this);
    setEditText(text);
}

void PortComboBox::showPopup() {
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

} // namespace celdara
