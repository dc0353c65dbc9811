#include "terminal/QtTerminalView.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace celdara {

namespace {

QTextCharFormat ColourFormat(TerminalRgb rgb) {
    QTextCharFormat format;
    format.setForeground(QColor(rgb.r, rgb.g, rgb.b));
    return format;
}

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtTerminalView::QtTerminalView(QPlainTextEdit* view, QLineEdit* inTime, QLineEdit* outTime)
    : view_(view), inTime_(inTime), outTime_(outTime) {}

int QtTerminalView::TextLength() const {
    return view_ ? view_->document()->characterCount() - 1 : 0;
}

int QtTerminalView::LineCount() const {
    return view_ ? view_->document()->blockCount() : 1;
}

int QtTerminalView::LineStart(int line) const {
    if (!view_)
        return 0;
    const QTextBlock block = view_->document()->findBlockByNumber(line);
    return block.isValid() ? block.position() : TextLength();
}

void QtTerminalView::DeleteFront(int count) {
    if (!view_ || count <= 0)
        return;
    QTextCursor cursor(view_->document());
    cursor.setPosition(std::min(count, TextLength()), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void QtTerminalView::Append(std::string_view text, TerminalRgb base,
                            const std::vector<TerminalColourRun>& runs) {
    if (!view_)
        return;
    QTextCursor cursor(view_->document());
    cursor.movePosition(QTextCursor::End);
    // Runs of one format each inside a single edit block: the document lays out once.
    cursor.beginEditBlock();
    const QTextCharFormat baseFormat = ColourFormat(base);
    std::size_t done = 0;
    for (const TerminalColourRun& run : runs) {
        const auto start = static_cast<std::size_t>(std::max(0, run.start));
        if (start >= text.size())
            break;
        if (start > done)
            cursor.insertText(Latin1(text.substr(done, start - done)), baseFormat);
        const std::size_t length =
            std::min(static_cast<std::size_t>(std::max(0, run.length)), text.size() - start);
        cursor.insertText(Latin1(text.substr(start, length)), ColourFormat(run.colour));
        done = start + length;
    }
    if (done < text.size())
        cursor.insertText(Latin1(text.substr(done)), baseFormat);
    cursor.endEditBlock();
}

void QtTerminalView::ClearText() {
    if (view_)
        view_->clear();
}

bool QtTerminalView::HasFocus() const {
    return view_ && view_->hasFocus();
}

void QtTerminalView::RestoreFocus() {
    if (view_ && view_->window()->isVisible() && view_->isEnabled() &&
        view_->focusPolicy() != Qt::NoFocus && !view_->hasFocus())
        view_->setFocus(Qt::OtherFocusReason);
}

TerminalSelection QtTerminalView::Selection() const {
    if (!view_)
        return {};
    const QTextCursor cursor = view_->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd()};
}

void QtTerminalView::SetSelection(TerminalSelection selection) {
    if (!view_)
        return;
    const int length = TextLength();
    QTextCursor cursor(view_->document());
    cursor.setPosition(std::clamp(selection.start, 0, length));
    cursor.setPosition(std::clamp(selection.end, 0, length), QTextCursor::KeepAnchor);
    // Setting the cursor would scroll to it; the reader's scroll position wins.
    const int first = FirstVisibleLine();
    const int left = view_->horizontalScrollBar()->value();
    view_->setTextCursor(cursor);
    SetFirstVisibleLine(first);
    view_->horizontalScrollBar()->setValue(left);
}

int QtTerminalView::FirstVisibleLine() const {
    // Without word wrap the vertical scroll bar of a plain-text view counts lines.
    return view_ ? view_->verticalScrollBar()->value() : 0;
}

void QtTerminalView::SetFirstVisibleLine(int line) {
    if (view_)
        view_->verticalScrollBar()->setValue(line);
}

void QtTerminalView::ScrollToEnd() {
    if (!view_)
        return;
    QTextCursor cursor = view_->textCursor();
    if (cursor.hasSelection() || !cursor.atEnd()) {
        cursor.movePosition(QTextCursor::End);
        view_->setTextCursor(cursor);
    }
    QScrollBar* bar = view_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void QtTerminalView::Repaint() {
    if (view_)
        view_->viewport()->repaint();
}

void QtTerminalView::ShowDebugTime(bool outgoing, const std::string& text) {
    QLineEdit* field = outgoing ? outTime_.data() : inTime_.data();
    if (field)
        field->setText(QString::fromStdString(text));
}

} // namespace celdara
