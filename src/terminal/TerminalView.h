// What the terminal's output logic needs from the view it writes into. The window provides
// one on a Qt text view; tests provide one on a plain string.
//
// Positions count the view's characters; a line break is one character ('\n'), so a view
// with lines "ab" and "c" has length 4 and its second line starts at 3.
#pragma once

#include "terminal/TerminalKinds.h"

#include <string>
#include <string_view>
#include <vector>

namespace celdara {

struct TerminalColourRun {
    int start = 0; // position within the appended text
    int length = 0;
    TerminalRgb colour;
    friend bool operator==(const TerminalColourRun&, const TerminalColourRun&) = default;
};

struct TerminalSelection {
    int start = 0;
    int end = 0;
    friend bool operator==(const TerminalSelection&, const TerminalSelection&) = default;
};

class TerminalView {
public:
    virtual ~TerminalView() = default;

    virtual int TextLength() const = 0;
    // At least 1: an empty view has one empty line.
    virtual int LineCount() const = 0;
    virtual int LineStart(int line) const = 0;

    // Removes the first `count` characters in one step.
    virtual void DeleteFront(int count) = 0;
    // Appends `text` (Latin-1, '\n' breaks lines) in `base`, then gives each run its colour.
    virtual void Append(std::string_view text, TerminalRgb base,
                        const std::vector<TerminalColourRun>& runs) = 0;
    virtual void ClearText() = 0;

    virtual bool HasFocus() const = 0;
    // Gives the focus back to the view if its window is shown and the view can take it.
    virtual void RestoreFocus() = 0;
    virtual TerminalSelection Selection() const = 0;
    virtual void SetSelection(TerminalSelection selection) = 0;
    virtual int FirstVisibleLine() const = 0;
    virtual void SetFirstVisibleLine(int line) = 0;
    // Caret to the end of the text, scrolled into view.
    virtual void ScrollToEnd() = 0;
    virtual void Repaint() = 0;

    // The two diagnostic fields: incoming (false) or outgoing (true).
    virtual void ShowDebugTime(bool outgoing, const std::string& text) = 0;
};

} // namespace celdara
