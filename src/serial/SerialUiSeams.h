// The two pieces of user interface the serial component reaches: the port box it fills
// (a combo box in the program) and the port-settings dialog. The window layer implements
// them; the component only talks to these interfaces.
#pragma once

#include "serial/SerialRecords.h"

#include <string>
#include <vector>

namespace celdara {

// A list of port names with an edit text, as FindPorts fills it.
class TPortListBox {
public:
    virtual ~TPortListBox() = default;
    virtual std::vector<std::string> Items() const = 0;
    virtual void SetItems(const std::vector<std::string>& items) = 0;
    virtual std::string Text() const = 0;
    virtual bool Focused() const = 0;
    // Selects the item equal to `text`, searching from the last item to the first, first
    // case-sensitively, then ignoring case; without a match an editable box takes the text
    // and a drop-down list reports false.
    virtual bool SelectComboText(const std::string& text) = 0;
};

enum class TConfigDialogResult { Confirmed, Cancelled, Failed };

// The port-settings dialog: shows the fields that SetFromDCB takes and, when confirmed,
// leaves the user's choice in `dcb`.
class TSerialConfigDialog {
public:
    virtual ~TSerialConfigDialog() = default;
    virtual TConfigDialogResult Execute(const std::string& portName, TDCB& dcb,
                                        bool useAppWindow) = 0;
};

// The dialog that components use unless they are given one (the window layer installs it
// at start; nullptr: none, and the dialog counts as failed).
void SetDefaultSerialConfigDialog(TSerialConfigDialog* dialog);
TSerialConfigDialog* DefaultSerialConfigDialog();

} // namespace celdara
