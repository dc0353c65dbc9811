// The port box: an editable combo box of the ports, each entry a line for the user (name and
// description) and the name to open under (the by-id link, the port's name or a built-in
// device's), and the list-and-select seam through which the serial component fills it.
#pragma once

#include "serial/SerialUiSeams.h"

#include <QComboBox>
#include <QKeyEvent>
#include <functional>

namespace celdara {

class PortComboBox : public QComboBox, public TPortListBox {
public:
    explicit PortComboBox(QWidget* parent = nullptr);

    // Runs before the list drops down (the window refills it there).
    std::function<void()> OnDropDown;
    // Runs when the user commits a port: Enter, a pick from the list, or the focus leaving
    // the box with another name than the port chosen last. Typing alone commits nothing:
    // every prefix of a typed name ("/dev", "/dev/p", "ttyUSB1" of "ttyUSB10") would be
    // opened on the way, and AT commands sent to a device nobody chose.
    std::function<void()> OnCommit;

    // TPortListBox. Changes made through it are the program's, not the user's: they raise
    // no change notification.
    std::vector<std::string> Items() const override;
    void SetItems(const std::vector<std::string>& items) override;
    std::string Text() const override;
    bool Focused() const override;
    bool SelectComboText(const std::string& text) override;

    // Sets the edit text without notifying anyone.
    void SetTextQuietly(const QString& text);

    // One entry: what the list shows, the name to open the port under, and the port's own
    // short name ("ttyUSB2"), by which a port stored before it had a stable link is found.
    struct TPortItem {
        QString Text;
        QString Value;
        QString Name;
    };
    // Fills the list quietly. The shown port stays shown, as the same text unless its entry
    // now names another node (a USB modem back under a new name); an entry shown that the
    // list no longer has stays, as it was, since a lost port is awaited under that name.
    void SetPortItems(const std::vector<TPortItem>& items);
    // The name to open: the port the user committed last, or the one the program showed.
    QString PortValue() const { return chosen_; }
    // The name the shown text stands for: its entry's value, else the text as typed.
    QString ShownValue() const;
    // Shows the entry of a port given by its open name or short name, quietly, as the
    // chosen port; a port that is not listed gets an entry of its own.
    void ShowPortQuietly(const QString& value);

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // `always` for Enter and a pick, which may open the same port anew; the focus leaving
    // commits only a change.
    void Commit(bool always);
    // A key the box takes for itself: Enter commits, and an Alt chord that no menu or
    // button claimed is swallowed rather than typed as its letter.
    bool TakeKey(const QKeyEvent& key);
    void ShowText(const QString& text);
    QString ItemValue(int index) const;
    int FindValue(const QString& value, int role) const;

    QString chosen_;
};

} // namespace celdara
