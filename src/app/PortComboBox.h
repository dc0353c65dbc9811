// The port box: an editable combo box that reads the system's ports again whenever it drops
// down, and the list-and-select seam through which the serial component fills it.
#pragma once

#include "serial/SerialUiSeams.h"

#include <QComboBox>
#include <functional>

namespace celdara {

class PortComboBox : public QComboBox, public TPortListBox {
public:
    explicit PortComboBox(QWidget* parent = nullptr);

    // Runs before the list drops down (the window refills it there).
    std::function<void()> OnDropDown;

    // TPortListBox. Changes made through it are the program's, not the user's: they raise
    // no change notification.
    std::vector<std::string> Items() const override;
    void SetItems(const std::vector<std::string>& items) override;
    std::string Text() const override;
    bool Focused() const override;
    bool SelectComboText(const std::string& text) override;

    // Sets the edit text without notifying anyone.
    void SetTextQuietly(const QString& text);

    void showPopup() override;

private:
    void ShowText(const QString& text);
};

} // namespace celdara
