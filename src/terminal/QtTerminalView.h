// TerminalView on a Qt plain-text view: one character per byte (Latin-1), coloured runs,
// and the two diagnostic fields of the terminal window.
//
// Appended text is gathered and written into the document once per turn of the event
// loop: laying out the document is what costs, and a flood of short lines would otherwise
// lay out the last block several times per line. Everything that needs the document as it
// is (deleting, selecting, repainting) writes the gathered text first, and the counts
// answered here always include it.
#pragma once

#include "terminal/TerminalView.h"

#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QTimer>
#include <memory>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace celdara {

class QtTerminalView : public TerminalView {
public:
    QtTerminalView(QPlainTextEdit* view, QLineEdit* inTime, QLineEdit* outTime);
    ~QtTerminalView() override;

    // Writes the gathered text into the document now.
    void Flush();

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
    struct Segment {
        QString text;
        QTextCharFormat format;
    };

    int DocumentLength() const;
    void AddSegment(std::string_view text, TerminalRgb colour);
    void ScrollDocumentToEnd();

    QPointer<QPlainTextEdit> view_;
    std::vector<Segment> pending_;
    int pendingLength_ = 0;
    std::vector<int> pendingLineStarts_; // offsets in the gathered text after each '\n'
    bool scrollPending_ = false;
    std::unique_ptr<QTimer> flushTimer_;
    QPointer<QLineEdit> inTime_;
    QPointer<QLineEdit> outTime_;
};

} // namespace celdara
