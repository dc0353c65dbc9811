#include "terminal/QtTerminalView.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
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
    : view_(view), flushTimer_(std::make_unique<QTimer>()), inTime_(inTime), outTime_(outTime) {
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(0);
    QObject::connect(flushTimer_.get(), &QTimer::timeout, flushTimer_.get(), [this] { Flush(); });
}

QtTerminalView::~QtTerminalView() = default;

int QtTerminalView::DocumentLength() const {
    return view_ ? view_->document()->characterCount() - 1 : 0;
}

int QtTerminalView::TextLength() const {
    return DocumentLength() + pendingLength_;
}

int QtTerminalView::LineCount() const {
    const int documentLines = view_ ? view_->document()->blockCount() : 1;
    return documentLines + static_cast<int>(pendingLineStarts_.size());
}

int QtTerminalView::LineStart(int line) const {
    if (!view_ || line <= 0)
        return 0;
    const int documentLines = view_->document()->blockCount();
    if (line < documentLines)
        return view_->document()->findBlockByNumber(line).position();
    const auto gathered = static_cast<std::size_t>(line - documentLines);
    if (gathered < pendingLineStarts_.size())
        return DocumentLength() + pendingLineStarts_[gathered];
    return TextLength();
}

void QtTerminalView::DeleteFront(int count) {
    Flush();
    if (!view_ || count <= 0)
        return;
    QTextCursor cursor(view_->document());
    cursor.setPosition(std::min(count, DocumentLength()), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void QtTerminalView::AddSegment(std::string_view text, TerminalRgb colour) {
    if (text.empty())
        return;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            pendingLineStarts_.push_back(pendingLength_ + static_cast<int>(i) + 1);
    pendingLength_ += static_cast<int>(text.size());
    const QTextCharFormat format = ColourFormat(colour);
    if (!pending_.empty() && pending_.back().format == format)
        pending_.back().text += Latin1(text);
    else
        pending_.push_back({Latin1(text), format});
}

void QtTerminalView::Append(std::string_view text, TerminalRgb base,
                            const std::vector<TerminalColourRun>& runs) {
    if (!view_)
        return;
    std::size_t done = 0;
    for (const TerminalColourRun& run : runs) {
        const auto start = static_cast<std::size_t>(std::max(0, run.start));
        if (start >= text.size())
            break;
        if (start > done)
            AddSegment(text.substr(done, start - done), base);
        const std::size_t length =
            std::min(static_cast<std::size_t>(std::max(0, run.length)), text.size() - start);
        AddSegment(text.substr(start, length), run.colour);
        done = start + length;
    }
    if (done < text.size())
        AddSegment(text.substr(done), base);
    if (!pending_.empty() && !flushTimer_->isActive())
        flushTimer_->start();
}

void QtTerminalView::Flush() {
    flushTimer_->stop();
    if (view_ && !pending_.empty()) {
        QTextCursor cursor(view_->document());
        cursor.movePosition(QTextCursor::End);
        // One edit block: the document is laid out once for all of it.
        cursor.beginEditBlock();
        for (const Segment& segment : pending_)
            cursor.insertText(segment.text, segment.format);
        cursor.endEditBlock();
    }
    pending_.clear();
    pendingLength_ = 0;
    pendingLineStarts_.clear();
    if (scrollPending_) {
        scrollPending_ = false;
        ScrollDocumentToEnd();
    }
}

void QtTerminalView::ClearText() {
    pending_.clear();
    pendingLength_ = 0;
    pendingLineStarts_.clear();
    scrollPending_ = false;
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
    // Unchanged (nothing above it was deleted): leave the gathered text gathered.
    if (selection == Selection())
        return;
    Flush();
    const int length = DocumentLength();
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
    if (view_ && line != FirstVisibleLine())
        view_->verticalScrollBar()->setValue(line);
}

void QtTerminalView::ScrollToEnd() {
    if (pendingLength_ > 0) {
        scrollPending_ = true; // once the gathered text is in
        return;
    }
    ScrollDocumentToEnd();
}

void QtTerminalView::ScrollDocumentToEnd() {
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
    Flush();
    if (view_)
        view_->viewport()->repaint();
}

void QtTerminalView::ShowDebugTime(bool outgoing, const std::string& text) {
    QLineEdit* field = outgoing ? outTime_.data() : inTime_.data();
    if (field)
        field->setText(QString::fromStdString(text));
}

} // namespace celdara
