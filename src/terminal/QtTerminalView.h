// TerminalView on a Qt plain-text view: one character per byte (Latin-1), coloured runs,
// and the two diagnostic fields of the terminal window.
#pragma once

#include "terminal/TerminalView.h"

#include <QPointer>

class QLineEdit;
class QPlainTextEdit;

namespace celdara {

class QtTerminalView : public TerminalView {
public:
    QtTerminalView(QPlainTextEdit* view, QLineEdit* inTime, QLineEdit* outTime);

    int TextLength() const override;
    int LineCount() const override;
    int LineStart(int line) const override;
    void DeleteFront(int count) override;
    void Append(std::string_view text, TerminalRgb base,
                const std::vector<TerminalColourRun>& runs) override;
    void ClearText() override;
    bool HasFocus() const override;
    void RestoreFocus() override;
    TerminalSelection Selection() const override;
    void SetSelection(TerminalSelection selection) override;
    int FirstVisibleLine() const override;
    void SetFirstVisibleLine(int line) override;
    void ScrollToEnd() override;
    void Repaint() override;
    void ShowDebugTime(bool outgoing, const std::string& text) override;

private:
    QPointer<QPlainTextEdit> view_;
    QPointer<QLineEdit> inTime_;
    QPointer<QLineEdit> outTime_;
};

} // namespace celdara
